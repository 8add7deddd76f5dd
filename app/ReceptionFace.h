// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/AirTime.h"
#include "link/ReceptionController.h"

#include <QString>

class QButtonGroup;
class QLabel;
class QWidget;

namespace Ui {
class TForm1;
}

namespace winorbis {

class BytePort;
class ReceptionController;
class Station;
struct Settings;

// The main window around its reception face: the status line, the caption frames, the automatic
// fetch at the end of a reception and the converter's port. The main window's host implements
// it.
class ReceptionFaceHost {
public:
    virtual ~ReceptionFaceHost() = default;
    virtual void showStatus(const QString& text) = 0;
    virtual void removeFrames() = 0;
    // The automatic fetch at the end of a reception.
    virtual void fetchReceivedPicture() = 0;
    // The converter's port, for the converter field; null for a converter without one (the sound
    // card inside the program), which converterKind() names.
    virtual const BytePort* converterPort() const = 0;
    virtual QString converterKind() const = 0;
};

// What the main window shows of the converter and its reception: the RX stop button, the load
// button, the hidden TX-mode selector, the repeater switch and its mode list, Save Pic Auto, the
// progress bar (time on the air and transfer lines) and the status bar's converter field. The
// station's reception talks to the window through it.
class ReceptionFace final : public ReceptionView, private AirTimeView {
public:
    // portKind names a port that is no device of the user's ("simulated converter"); empty for
    // the port's own kind and name.
    ReceptionFace(Ui::TForm1& ui, Clock& clock, QString portKind, ReceptionFaceHost& host);

    // Builds the repeater list and the converter field, once the window's controls exist.
    void attach(QWidget* window, ReceptionController& reception, Settings& settings);
    // Follows the station's converter, reception and transfers on the face's controls and the
    // RX window, for as long as window lives.
    void follow(Station& station, QWidget* window);
    // A transfer's progress: its lines take the bar over from the time on the air.
    void showTransferProgress(int position, int maximum);
    void transmissionStarted(int totalMs) { airTime_.startTransmission(totalMs); }
    // Save Pic Auto changed: the settings, the fetch button and the box's colour follow it.
    void saveAutoChanged();

    void selectTxModeItem(std::uint8_t status) override;
    void setStatusText(const QString& text) override { host_.showStatus(text); }
    void setLoadButtonEnabled(bool enabled) override;
    void setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) override;
    void showRepeaterItem(int item) override;
    void showRepeaterSwitch(bool on) override;
    void removeFrames() override { host_.removeFrames(); }
    bool savesAutomatically() const override;
    void fetchReceivedPicture() override { host_.fetchReceivedPicture(); }
    void receptionTimeStarted(int totalMs) override { airTime_.startReception(totalMs); }
    void receptionTimeEnded() override { airTime_.stop(); }
    void showConverterPresence(linktext::ConverterPresence presence) override;
    // The converter field's text: portKind names a port that is no device of the user's; empty for
    // the port's own kind and name.
    static QString converterFieldText(const QString& portKind, const BytePort* port,
                                      const QString& converterKind,
                                      linktext::ConverterPresence presence);

private:
    void showProgress(int position, int maximum);
    // AirTimeView
    void showAirTime(int position, int maximum) override { showProgress(position, maximum); }
    void showStatus(const QString& text) override { host_.showStatus(text); }

    Ui::TForm1& ui_;
    QString portKind_;
    ReceptionFaceHost& host_;
    Settings* settings_ = nullptr;
    AirTime airTime_;
    QButtonGroup* repeaterItems_ = nullptr; // RadioGroup1
    QLabel* converterField_ = nullptr;      // the status bar's permanent converter field
};

} // namespace winorbis
