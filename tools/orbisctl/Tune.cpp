// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tune.h"
#include "Orbisctl.h"

#include "analyzer/FilterCoefficients.h"
#include "analyzer/SpectrumAnalysis.h"
#include "analyzer/TSoundDevice.h"
#include "analyzer/TuningDisplay.h"
#include "platform/ConsoleDialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationWatcher.h"
#include "settings/StationOptions.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace winorbis {

namespace {

// Takes the recorded buffers as the analyzer window does: copy, queue again, analyse. Once
// finished it queues nothing more, so that samples the sound system still holds are not analysed.
class Listener final : public SoundDeviceWindow {
public:
    Listener(TSoundDevice& device, SpectrumAnalysis& analysis, std::function<void()> heard)
        : device_(device)
        , analysis_(analysis)
        , heard_(std::move(heard)) {}

    std::array<std::uint8_t, TSoundDevice::BufferLength> capture{};
    bool finished = false;

    void WaveInData(int recorded) override {
        if (finished)
            return;
        const std::size_t count = std::size_t(std::clamp(recorded, 0, TSoundDevice::BufferLength));
        std::memcpy(work_.data(), capture.data(), count);
        device_.AddBuffer();
        heard_();
        analysis_.process(std::span<const std::uint8_t>(work_.data(), count));
    }

private:
    TSoundDevice& device_;
    SpectrumAnalysis& analysis_;
    std::function<void()> heard_;
    std::array<std::uint8_t, TSoundDevice::BufferLength> work_{};
};

} // namespace

int runTune(const QStringList& arguments, const ProgramFolder& folder, AudioInput& input,
            std::FILE* out, std::FILE* err, int silenceMs) {
    bool list = false;
    bool bins = false;
    int count = 0;
    QString device = StationOptions::load(folder).value(QStringLiteral("RecordingDevice"));
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--list") {
            list = true;
        } else if (a == "--bins") {
            bins = true;
        } else if (a == "--device" && hasValue) {
            device = arguments[++i];
        } else if (a == "--count" && hasValue) {
            bool ok = false;
            count = arguments[++i].toInt(&ok);
            if (!ok || count < 0)
                return usageError(err, QStringLiteral("--count takes a number from 0"));
        } else {
            return usageError(err, QStringLiteral("unknown or incomplete tune option %1").arg(a));
        }
    }
    if (list) {
        for (const RecordingDevice& d : input.devices())
            std::fprintf(out, "%s\t%s\n", qPrintable(d.id), qPrintable(d.name));
        std::fflush(out);
        return 0;
    }

    QString why;
    const auto coefficients = readFilterCoefficients(filterDaten1Texts(), &why);
    if (!coefficients) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
        return 1;
    }
    SpectrumAnalysis analysis(*coefficients);
    QEventLoop loop;
    int status = 0;
    int number = 0;
    Listener* listener = nullptr;
    analysis.setPeriodListener([&](const AnalyzerPeriod& period) {
        const tuningdisplay::Summary s = tuningdisplay::summarize(period);
        std::fprintf(out, "%d %d %d %.1f", ++number, s.peak, s.sync, s.mean);
        if (bins)
            for (const std::int32_t c : period.bins)
                std::fprintf(out, " %d", int(c));
        std::fputc('\n', out);
        std::fflush(out);
        if (count > 0 && number >= count) {
            listener->finished = true;
            loop.quit();
        }
    });

    // A device that delivers nothing (unplugged, taken by the sound server) ends the run.
    QTimer silence;
    silence.setSingleShot(true);
    silence.setInterval(silenceMs);
    QObject::connect(&silence, &QTimer::timeout, &loop, [&] {
        std::fprintf(err, "orbisctl: the recording device delivered no samples for %d ms\n",
                     silenceMs);
        status = 1;
        loop.quit();
    });

    ConsoleDialogs dialogs(err, QStringLiteral("orbisctl: "));
    input.choose(device);
    TSoundDevice sound(input, dialogs);
    Listener window(sound, analysis, [&silence] { silence.start(); });
    listener = &window;
    if (!sound.Open(&window, 1, 1, 8000))
        return 1;
    sound.Prepare(window.capture.data());
    if (!sound.Start())
        return 1;
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &loop,
                     &QEventLoop::quit);
    silence.start();
    loop.exec();
    silence.stop();
    sound.Close();
    return status;
}

} // namespace winorbis
