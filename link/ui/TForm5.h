// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/LinkOptions.h"
#include "stationcore/Beacons.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QStatusBar;

namespace Ui {
class TForm5;
}

namespace winorbis {

class TFlyingButton;

// The setup window: the converter (the box on a COM port and its device, or the sound card, whose
// page the program fills), the station's callsign, converter model, catalog beacon, ACQ/TX beacon,
// repeater switch, and the web face (whose place the program fills as well). It keeps its own
// rules (the interval field, "Beacon function switched off." and "Start"; the mode boxes that
// clear their partner) and says what the operator asked for through its signals; the beacons
// themselves run elsewhere.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // FormCreate: the COM button of the port number (none outside 1..4), the model item.
    void showPort(int portNumber, OrbisModel model);
    // The device list beside the COM buttons: the devices present and the one the chosen COM
    // number maps to.
    void showDevices(const QStringList& present, const QString& mapped);
    QString chosenDevice() const;
    // The converter choice: the COM port's page, or the sound card's.
    void showConverterKind(bool soundCard);
    bool soundCardChosen() const;
    // The sound card's page, empty until the program puts its controls there.
    QWidget* soundCardPage() const { return soundCardPage_; }
    // The web face's place, below the beacons, empty until the program puts its controls there.
    QWidget* webPage() const { return webPage_; }
    // Asked at "OK": a text says what keeps the window's choices from being taken, and the window
    // stays open with the text in its status line.
    void setAcceptCheck(std::function<QString()> check) { acceptCheck_ = std::move(check); }
    // Each opening shows the interval field at 0, whatever the beacon's interval.
    void resetInterval();
    // The status line; a text that does not fit is elided and has its whole text as the hint.
    void setStatus(const QString& text);
    QString status() const;
    QStatusBar* statusLine() const { return status_; }
    // The callsign field.
    void showCallsign(const QString& callsign);
    QString callsign() const;

    BeaconMode catalogMode() const;
    BeaconMode acqMode() const;
    void setTenMinutes(bool on); // the hidden "Set 10 min." box

    // The controls, for the wiring and the tests.
    QSpinBox* catalogTimer() const { return catalogTimer_; }
    QCheckBox* switchedOff() const { return switchedOff_; }
    TFlyingButton* catalogStart() const { return catalogStart_; }

signals:
    void portChosen(int portNumber);
    void deviceChosen(int portNumber, const QString& device);
    void modelChosen(OrbisModel model);
    void converterKindChosen(bool soundCard);
    void intervalChanged(int seconds);
    void catalogStartClicked();
    void catalogSwitchedOff();
    void catalogModeChanged(BeaconMode mode);
    void repeaterClicked(bool on);
    void acqStartClicked();
    void acqStopClicked();
    void acqModeChanged(BeaconMode mode);
    // The operator typed a callsign and left the field (or pressed Enter).
    void callsignChosen(const QString& callsign);

private:
    void CheckBox1Click();
    void OkClick();
    int chosenPort() const;

    std::unique_ptr<Ui::TForm5> ui_;
    std::array<QRadioButton*, 4> comPorts_{};
    QComboBox* device_ = nullptr;
    QComboBox* converterKind_ = nullptr;
    QStackedWidget* converterPages_ = nullptr;
    QWidget* soundCardPage_ = nullptr;
    QWidget* webPage_ = nullptr;
    std::function<QString()> acceptCheck_;
    std::array<QRadioButton*, 2> models_{};
    QSpinBox* catalogTimer_ = nullptr;
    QCheckBox* switchedOff_ = nullptr;
    TFlyingButton* catalogStart_ = nullptr;
    QCheckBox* catalogRobot_ = nullptr;
    QCheckBox* catalogMartin_ = nullptr;
    QCheckBox* acqRobot_ = nullptr;
    QCheckBox* acqMartin_ = nullptr;
    QCheckBox* tenMinutes_ = nullptr;
    QStatusBar* status_ = nullptr;
    QString statusText_;
    QLineEdit* callsign_ = nullptr;
};

} // namespace winorbis
