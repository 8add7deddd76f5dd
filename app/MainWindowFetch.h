// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "stationcore/Station.h"

namespace winorbis {

class TForm1;

// The main window's part of one fetch of the received picture, made for that fetch: the
// repeater note (in a box for the operator's fetch, in the status line for the automatic one, so
// an unattended repeater never stops), the RX window shown and repainted as the lines come, and
// the store into the slot file, the receive counter and the automatic JPEG copy.
class MainWindowFetch final : public Station::FetchSteps {
public:
    MainWindowFetch(TForm1& window, bool byOperator)
        : window_(window)
        , byOperator_(byOperator) {}

    void starting() override;
    void line(int row) override;
    QStringList store(const QImage& picture, const QString& mode) override;

private:
    TForm1& window_;
    bool byOperator_;
};

} // namespace winorbis
