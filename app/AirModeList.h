// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/Modes.h"

#include <QWidget>

#include <functional>

class QComboBox;

namespace winorbis {

class Station;

// Beside the six TX mode buttons: the other modes the converter in use sends in (the sound card's
// PD, Wraase, Pasokon, MMSSTV ... modes), in a list with a TX button that sends the TX picture in
// the mode chosen. Shown only while the converter has such modes.
class AirModeList : public QWidget {
    Q_OBJECT
public:
    AirModeList(Station& station, QWidget* parent, std::function<void(ModeId)> send);

    // The modes offered, in the table's order.
    QList<ModeId> offered() const { return offered_; }
    // Chooses a mode of the list and sends in it, as the operator does.
    void send(ModeId id);

private:
    void refresh();

    Station& station_;
    std::function<void(ModeId)> send_;
    QComboBox* list_;
    QList<ModeId> offered_;
};

} // namespace winorbis
