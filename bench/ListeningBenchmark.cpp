// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of listening: the sound-card converter decoding a 48000 Hz capture that holds no
// picture (noise of a receiver with no station on the frequency), read from a WAV file through
// the file input and pumped every 20 ms as the converter's event loop does. Printed as the share
// of one processor core that real-time listening takes.
//   bench_listening [SECONDS]    (default 120 s of audio)
#include "converter/ConverterModel.h"
#include "modem/WavFile.h"
#include "platform/Clock.h"
#include "radio/SoundCardRadio.h"
#include "radio/WavFileAudio.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

using namespace winorbis;

namespace {

// Time that moves only when the benchmark moves it, so that the file is read as fast as it is
// decoded while the converter sees it come at real time.
class SteppedClock final : public Clock {
public:
    std::int64_t nowMs() const override { return now_; }
    void sleep(int ms) override { now_ += ms; }
    bool waitPainting(int ms) override {
        now_ += ms;
        return true;
    }
    bool keepPainting() override { return true; }
    std::unique_ptr<ClockTimer> createTimer(std::function<void()>) override { return nullptr; }

private:
    std::int64_t now_ = 0;
};

double processorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Band-limited-looking receiver hiss: white noise with a slow change of level.
std::vector<std::int16_t> noise(double seconds) {
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<std::int16_t> samples(std::size_t(seconds * 48000));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double level = 3000.0 + 1500.0 * std::sin(double(i) / 48000.0 * 0.7);
        samples[i] = std::int16_t(std::clamp(gauss(random) * level, -32767.0, 32767.0));
    }
    return samples;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 120.0;
    QTemporaryDir dir;
    const QString path = dir.filePath("noise.wav");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(sstv::wavBytes(noise(seconds), 48000)) <= 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    SteppedClock clock;
    QString why;
    auto source = radio::WavFileSource::open(path, clock, &why);
    if (!source) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    ConverterModel model;
    int announcements = 0;
    radio::SoundCardRadio radio(clock, source.get(), nullptr, nullptr,
                                [&](const radio::SoundCardRadio::ModelCall& call) {
                                    announcements += int(call(model).bytes.size());
                                });
    const double start = processorSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    while (!source->atEnd()) {
        clock.sleep(20);
        radio.pump();
    }
    const double used = processorSeconds() - start;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::printf("listening to %.0f s of 48000 Hz noise: %.2f s of processor time (%.2f s on the "
                "clock), %.2f %% of one core; %d false announcements\n",
                seconds, used, wall, 100.0 * used / seconds, announcements);
    return 0;
}
