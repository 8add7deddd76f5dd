// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BuiltInSoundCard.h"
#include "ConverterChoice.h"
#include "ReceivedRows.h"
#include "link/LinkOptions.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace winorbis {

class BytePort;
class Clock;
class StationOptions;
class TForm1;

// The converter the station runs on: the box on the serial port of the settings, or the built-in
// sound-card converter, as station.conf chooses it or the command line names it. Owns the built-in
// converter, feeds its received rows into the RX picture and its measured clock error into the
// main window's status bar, and switches the main window to another converter when the setup
// window's choice changes: the port in use closes, the sound card's converter starts or stops,
// and the window opens the new port.
class StationConverter : public QObject {
    Q_OBJECT
public:
    // Standard error: what the converter says ("sound card: Receiving Robot 36 (VIS)").
    using Print = std::function<void(const QString&)>;

    StationConverter(Clock& clock, Print print, bool verbose, QObject* parent = nullptr);
    ~StationConverter() override;

    // At the start, before the window: the choice the options hold, which runs unless the
    // command line names another converter.
    void remember(const StationOptions& options);
    // The sound card's converter with the options' devices, push-to-talk and correction; false
    // with the reason when its line cannot be served.
    bool startSoundCard(const StationOptions& options, QString* error);
    // Whether the setup window's choice takes effect at once; not when the command line named the
    // converter.
    void setSwitchable(bool on) { switchable_ = on; }
    const ConverterChoice& running() const { return running_; }
    bool soundCardRuns() const { return card_ != nullptr; }
    BuiltInSoundCard* soundCard() { return card_.get(); }
    // The sound card converter's line as the window's port: its kind is "Sound card".
    std::unique_ptr<BytePort> soundCardPort(LinkSpeed speed);
    ReceivedRows& receivedRows() { return rows_; }

    // The main window it works for, once made: the sound card's problems and the measured clock
    // error go to its status bar.
    void attach(TForm1& main);
    // Switches the main window to the converter of the choice, unless that runs already; the
    // text for the status bar, empty when nothing changed. Refused while a reception or a
    // converter command runs.
    QString apply(const ConverterChoice& choice);
    // The clock error the sound card measured on its last picture.
    std::optional<double> lastClockErrorPpm() const { return lastClock_; }
    // A clock error measured on a picture (the sound card's radio reports here): the status bar
    // says it, and the setup window offers to take it over.
    void showMeasuredClock(double ppm);
    // Cuts a transmission, releases the push-to-talk, stops the sound card's converter and
    // closes its devices: the program's end.
    void stop();

signals:
    void clockMeasured(double ppm);

private:
    bool startCard(const StationOptions& options, QString* error);
    void warn(const QString& text);

    Clock& clock_;
    Print print_;
    bool verbose_;
    bool switchable_ = false;
    ConverterChoice running_;
    std::unique_ptr<BuiltInSoundCard> card_;
    ReceivedRows rows_;
    QPointer<TForm1> main_;
    QLabel* clockField_ = nullptr;
    std::optional<double> lastClock_;
    // What the sound card said while it started; shown once a window is there, or with the
    // switch's outcome.
    QStringList startWarnings_;
    bool starting_ = false;
};

} // namespace winorbis
