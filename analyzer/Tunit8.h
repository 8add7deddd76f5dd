// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioInput.h"
#include "SpectrumAnalysis.h"
#include "TSoundDevice.h"

#include "platform/ProgramFolder.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QMenu;

namespace Ui {
class Tunit8;
}

namespace winorbis {

class Dialogs;
class DisplayBox;

// The spectrum analyzer window, a tuning aid: while it is shown it records the sound card input
// and shows, about twice a second, how the frequency of the incoming tone was distributed over
// the last 3572 samples, against the scale of the sync, black and white frequencies. The analysis
// lives on from showing to showing. A right-click on the display chooses the recording device.
class Tunit8 : public QWidget, private SoundDeviceWindow {
    Q_OBJECT
public:
    // Without an input, the sound system's recording devices are used.
    explicit Tunit8(Dialogs& dialogs, std::unique_ptr<AudioInput> input = {},
                    QWidget* parent = nullptr);
    ~Tunit8() override;

    // The program folder, whose station options keep the recording device chosen; the choice
    // kept there is taken at once.
    void setProgramFolder(const ProgramFolder& folder);
    // Shows the window; one already shown is only brought to the front.
    void showOrRaise();

    // The handlers of the layout.
    void FlyingButton1Click();
    void FlyingButton2Click() { close(); }

    // The right-click menu of the display: the recording devices, the one in use checked.
    QMenu* recordingDeviceMenu();
    // Records from the device with this id (empty: the system's default) from now on, also in
    // later runs; a window that is shown records from it at once.
    void chooseRecordingDevice(const QString& id);

    const SpectrumAnalysis& analysis() const { return *analysis_; }
    const TSoundDevice& soundDevice() const { return device_; }
    // The period shown last, and how many have been shown.
    const AnalyzerPeriod& lastPeriod() const { return lastPeriod_; }
    int periodsShown() const { return periodsShown_; }
    DisplayBox& displayBox() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void PaintBox1Paint();
    void WaveInData(int recorded) override;
    void drawPeriod(const AnalyzerPeriod& period);
    // The display's hint names the recording device and how to choose another.
    void showDeviceHint();

    std::unique_ptr<Ui::Tunit8> ui_;
    Dialogs& dialogs_;
    std::unique_ptr<AudioInput> input_;
    TSoundDevice device_;
    std::optional<SpectrumAnalysis> analysis_; // made from the layout's filter list
    std::optional<ProgramFolder> folder_;
    std::array<std::uint8_t, TSoundDevice::BufferLength> captureBuffer_{};
    std::array<std::uint8_t, TSoundDevice::BufferLength> workingCopy_{};
    AnalyzerPeriod lastPeriod_;
    int periodsShown_ = 0;
    bool centred_ = false;
    QMenu* deviceMenu_ = nullptr;
};

} // namespace winorbis
