// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "stationcore/ConverterChoice.h"

#include <QObject>
#include <QPointer>

#include <optional>

class QLabel;

namespace winorbis {

class TForm1;

// The main window's part of the station's converter: the status bar's field of the clock error the
// sound card measures on each picture, and the setup window's switch of converters, which the
// station takes at once unless the command line named the converter for the run.
class StationConverter : public QObject {
    Q_OBJECT
public:
    explicit StationConverter(QObject* parent = nullptr);

    // Whether the setup window's choice takes effect at once; not when the command line named the
    // converter.
    void setSwitchable(bool on) { switchable_ = on; }
    // The choice running: station.conf's at the start.
    void remember(const ConverterChoice& choice) { running_ = choice; }
    const ConverterChoice& running() const { return running_; }
    // The main window it works for, once made.
    void attach(TForm1& main);
    // Switches the station to the converter of the choice, unless that runs already; the text for
    // the status bar, empty when nothing changed. Refused while a reception or a command runs.
    QString apply(const ConverterChoice& choice);
    // The clock error the sound card measured on its last picture.
    std::optional<double> lastClockErrorPpm() const { return lastClock_; }
    // A clock error measured on a picture: the status bar says it, and the setup window offers to
    // take it over.
    void showMeasuredClock(double ppm);

signals:
    void clockMeasured(double ppm);

private:
    bool switchable_ = false;
    ConverterChoice running_;
    QPointer<TForm1> main_;
    QLabel* clockField_ = nullptr;
    std::optional<double> lastClock_;
};

} // namespace winorbis
