// SPDX-License-Identifier: GPL-3.0-or-later
// The sound card through a private PulseAudio daemon: a tone played into its null sink comes back
// from the sink's monitor at its frequency and level; devices are listed and chosen by name; a
// capture and a playback survive the daemon's death and come back when a new one listens on the
// same socket.
#include "PulseDaemon.h"

#include "platform/Clock.h"
#include "radio/SoundCardAir.h"
#include "radio/devices/SoundSystem.h"
#include "support/EventPump.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

using namespace winorbis::radio;
using winorbis::test::PulseDaemon;
using winorbis::test::pumpUntil;

namespace {

// One daemon for the test program: the sound system of Qt connects once per process.
class SoundCard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (PulseDaemon::program().isEmpty())
            return;
        daemon_ = new PulseDaemon;
        daemon_->exportToThisProcess();
        started_ = daemon_->start(&startError_);
    }
    static void TearDownTestSuite() {
        delete daemon_;
        daemon_ = nullptr;
    }
    void SetUp() override {
        if (PulseDaemon::program().isEmpty()) {
            if (winorbis::test::missingToolFails())
                FAIL() << "pulseaudio is not installed; scripts/install-deps.sh installs it";
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        ASSERT_TRUE(started_) << startError_.toStdString();
    }

    // Reads what the source brings, running the event loop meanwhile, until enough says so or
    // ms of real time have passed. The null sink's virtual devices take up to two seconds to
    // bring their first samples.
    static std::vector<float>
    capture(AudioSource& source, int ms, const std::function<void()>& meanwhile = {},
            const std::function<bool(const std::vector<float>&)>& enough = {}) {
        std::vector<float> all;
        std::vector<float> block(4096);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms && !(enough && enough(all))) {
            if (meanwhile)
                meanwhile();
            QCoreApplication::processEvents();
            const std::size_t n = source.read(block);
            all.insert(all.end(), block.begin(), block.begin() + qsizetype(n));
            if (n == 0)
                QThread::msleep(5);
        }
        return all;
    }

    static inline PulseDaemon* daemon_ = nullptr;
    static inline bool started_ = false;
    static inline QString startError_;
};

std::vector<float> tone(double frequency, double amplitude, double rate, std::size_t count,
                        std::size_t start) {
    std::vector<float> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = float(amplitude *
                           std::sin(2 * std::numbers::pi * frequency * double(start + i) / rate));
    return samples;
}

} // namespace

TEST_F(SoundCard, TheNullSinkAndItsMonitorAreListedAndABadNameIsRefusedWithTheChoice) {
    EXPECT_TRUE(playbackDeviceNames().contains(PulseDaemon::sinkDescription))
        << playbackDeviceNames().join(", ").toStdString();
    EXPECT_TRUE(captureDeviceNames().contains(PulseDaemon::captureDescription))
        << captureDeviceNames().join(", ").toStdString();

    QString error;
    EXPECT_EQ(openAudioSource("Soundblaster 16", &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("There is no sound capture device \"Soundblaster 16\"; the "
                                    "sound server has \"%1\"")
                         .arg(PulseDaemon::captureDescription));
    EXPECT_EQ(openAudioSink("Soundblaster 16", &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("There is no sound playback device \"Soundblaster 16\"; the "
                                    "sound server has \"%1\"")
                         .arg(PulseDaemon::sinkDescription));
}

TEST_F(SoundCard, AToneComesBackFromTheMonitorAtItsFrequencyAndLevel) {
    QString error;
    auto sink = openAudioSink(PulseDaemon::sinkDescription, &error);
    ASSERT_TRUE(sink) << error.toStdString();
    auto source = openAudioSource(PulseDaemon::captureDescription, &error);
    ASSERT_TRUE(source) << error.toStdString();
    EXPECT_EQ(sink->sampleRate(), 48000);
    EXPECT_EQ(source->sampleRate(), 48000);

    constexpr double frequency = 1000;
    constexpr double amplitude = 0.5;
    std::size_t played = 0;
    const std::size_t total = std::size_t(sink->sampleRate() * 1.5);
    const auto feed = [&] {
        // A second ahead, as the converter keeps it.
        while (played < total && sink->pendingMs() < 1000) {
            const std::size_t n = std::min<std::size_t>(960, total - played);
            ASSERT_TRUE(sink->play(tone(frequency, amplitude, sink->sampleRate(), n, played)));
            played += n;
        }
    };
    const auto firstTone = [](const std::vector<float>& samples) {
        return std::find_if(samples.begin(), samples.end(),
                            [](float s) { return std::abs(s) > 0.05f; });
    };
    // Until a second of the tone has come back.
    const std::vector<float> heard =
        capture(*source, 10000, feed, [&](const std::vector<float>& samples) {
            return samples.end() - firstTone(samples) > 48000;
        });
    EXPECT_TRUE(sink->problem().isEmpty()) << sink->problem().toStdString();
    EXPECT_TRUE(source->problem().isEmpty()) << source->problem().toStdString();

    // Half a second from the middle of the tone.
    const auto first =
        std::find_if(heard.begin(), heard.end(), [](float s) { return std::abs(s) > 0.05f; });
    ASSERT_NE(first, heard.end()) << "nothing came back of " << heard.size() << " samples";
    const std::size_t begin = std::size_t(first - heard.begin()) + 24000;
    const std::size_t length = 24000;
    ASSERT_GE(heard.size(), begin + length);
    double power = 0;
    int crossings = 0;
    for (std::size_t i = begin; i < begin + length; ++i) {
        power += double(heard[i]) * heard[i];
        if (heard[i - 1] < 0 && heard[i] >= 0)
            ++crossings;
    }
    const double rms = std::sqrt(power / length);
    const double measured = crossings / (double(length) / source->sampleRate());
    std::printf("[ figure ] loopback: %.1f Hz at RMS %.4f (sent %.0f Hz at RMS %.4f)\n", measured,
                rms, frequency, amplitude / std::sqrt(2.0));
    EXPECT_NEAR(measured, frequency, 4);
    EXPECT_NEAR(rms, amplitude / std::sqrt(2.0), 0.02);
}

TEST_F(SoundCard, StopDropsWhatIsQueued) {
    QString error;
    auto sink = openAudioSink(PulseDaemon::sinkDescription, &error);
    ASSERT_TRUE(sink) << error.toStdString();
    ASSERT_TRUE(sink->play(tone(1000, 0.5, sink->sampleRate(), 96000, 0)));
    EXPECT_GT(sink->pendingMs(), 1500);
    sink->stop();
    EXPECT_LT(sink->pendingMs(), 150);
    EXPECT_TRUE(sink->problem().isEmpty());
    EXPECT_TRUE(sink->play(tone(1000, 0.5, sink->sampleRate(), 4800, 0)));
}

TEST_F(SoundCard, CaptureAndPlaybackOutliveTheSoundServerAndComeBackWithANewOne) {
    QString error;
    auto source = openAudioSource(PulseDaemon::captureDescription, &error);
    ASSERT_TRUE(source) << error.toStdString();
    auto sink = openAudioSink(PulseDaemon::sinkDescription, &error);
    ASSERT_TRUE(sink) << error.toStdString();
    const auto some = [](const std::vector<float>& samples) { return samples.size() > 4800; };
    ASSERT_TRUE(some(capture(*source, 5000, {}, some)));

    daemon_->kill();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(pumpUntil([&] { return !source->problem().isEmpty(); }, 5000));
    const qint64 noticed = timer.elapsed();
    EXPECT_EQ(source->problem(),
              QStringLiteral("Capture device \"%1\" has gone (the sound server stopped or the "
                             "device was unplugged); trying again every second")
                  .arg(PulseDaemon::captureDescription));
    std::vector<float> block(1024);
    EXPECT_EQ(source->read(block), 0u);
    ASSERT_TRUE(pumpUntil([&] { return !sink->problem().isEmpty(); }, 5000));
    EXPECT_EQ(sink->problem(),
              QStringLiteral("Playback device \"%1\" has gone (the sound server stopped or the "
                             "device was unplugged); trying again every second")
                  .arg(PulseDaemon::sinkDescription));
    EXPECT_FALSE(sink->play(block));

    ASSERT_TRUE(daemon_->start(&error)) << error.toStdString();
    timer.restart();
    ASSERT_TRUE(pumpUntil([&] { return source->problem().isEmpty(); }, 10000))
        << source->problem().toStdString();
    const qint64 back = timer.elapsed();
    EXPECT_TRUE(some(capture(*source, 5000, {}, some)));
    ASSERT_TRUE(pumpUntil([&] { return sink->problem().isEmpty(); }, 5000))
        << sink->problem().toStdString();
    EXPECT_TRUE(sink->play(block));
    std::printf("[ figure ] sound server gone noticed after %lld ms; capture back %lld ms after "
                "the new server answered\n",
                noticed, back);
}

TEST_F(SoundCard, ACaptureDeviceUnpluggedIsReportedAndTakenAgainWhenItIsBack) {
    QString error;
    auto source = openAudioSource(PulseDaemon::captureDescription, &error);
    ASSERT_TRUE(source) << error.toStdString();
    const auto some = [](const std::vector<float>& samples) { return samples.size() > 4800; };
    ASSERT_TRUE(some(capture(*source, 5000, {}, some)));

    ASSERT_TRUE(daemon_->unplugCapture());
    ASSERT_TRUE(pumpUntil([&] { return !source->problem().isEmpty(); }, 5000));
    EXPECT_TRUE(source->problem().contains("has gone")) << source->problem().toStdString();
    // Nothing of that name: the source keeps waiting, and does not take another device.
    pumpUntil([] { return false; }, 1500);
    EXPECT_FALSE(source->problem().isEmpty());

    ASSERT_TRUE(daemon_->plugCaptureIn());
    ASSERT_TRUE(pumpUntil([&] { return source->problem().isEmpty(); }, 5000))
        << source->problem().toStdString();
    EXPECT_TRUE(some(capture(*source, 5000, {}, some)));
}

TEST_F(SoundCard, ASoundServerThatHangsIsReportedAsSilenceAndLeftOnceItGoesOn) {
    QString error;
    auto source = openAudioSource(PulseDaemon::captureDescription, &error);
    ASSERT_TRUE(source) << error.toStdString();
    const auto some = [](const std::vector<float>& samples) { return samples.size() > 4800; };
    ASSERT_TRUE(some(capture(*source, 5000, {}, some)));

    daemon_->freeze();
    // The event loop keeps running while the server hangs: the silence is reported meanwhile.
    qint64 longestTurn = 0;
    QElapsedTimer turn;
    turn.start();
    const bool reported = pumpUntil(
        [&] {
            longestTurn = std::max(longestTurn, turn.restart());
            return !source->problem().isEmpty();
        },
        9000);
    // Before the first try to open it again: Qt 6.4 waits without end for a stream of a server
    // that hangs.
    daemon_->thaw();
    std::printf("[ figure ] hung server: longest event-loop turn %lld ms\n", longestTurn);
    ASSERT_TRUE(reported);
    EXPECT_TRUE(source->problem().contains("has brought no sound"))
        << source->problem().toStdString();
    ASSERT_TRUE(pumpUntil([&] { return source->problem().isEmpty(); }, 10000))
        << source->problem().toStdString();
    EXPECT_TRUE(some(capture(*source, 5000, {}, some)));
}

// A transmission goes to the device's thread well ahead of the air: the thread that sends it may
// stall (a busy computer, a write that the disk holds) for longer than the sound server holds,
// and the far station still hears the picture whole. Given a second ahead, the stall below left
// a gap on the air in which the far station lost the picture.
TEST_F(SoundCard, APictureGoesOutWholeWhileTheThreadThatSendsItStalls) {
    QString error;
    auto sink = openThreadedAudioSink(PulseDaemon::sinkDescription, &error);
    ASSERT_TRUE(sink) << error.toStdString();
    auto source = openThreadedAudioSource(PulseDaemon::captureDescription, &error);
    ASSERT_TRUE(source) << error.toStdString();
    winorbis::SystemClock clock;
    SoundCardAir sender(clock, nullptr, sink.get(), nullptr);
    SoundCardAir receiver(clock, source.get(), nullptr, nullptr);
    struct Heard : SoundCardAir::Listener {
        std::optional<winorbis::sstv::PictureEnd> end;
        void receptionEnded(const winorbis::sstv::PictureEnd& e) override {
            if (!end)
                end = e;
        }
    } heard;
    receiver.setListener(&heard);

    const winorbis::Mode& m = winorbis::mode(winorbis::ModeId::Bw8);
    QImage picture(m.pixels, m.lines, QImage::Format_RGB32);
    for (int y = 0; y < m.lines; ++y)
        for (int x = 0; x < m.pixels; ++x) {
            const int grey = (x * 255 / m.pixels + (y / 15) * 60) % 256;
            picture.setPixel(x, y, qRgb(grey, grey, grey));
        }
    // The monitor brings sound a while after it is opened: the picture goes once it does.
    capture(*source, 4000, {}, [](const std::vector<float>& s) { return s.size() > 4800; });
    ASSERT_TRUE(sender.transmit(picture, m.id));
    const auto pumpFor = [&](int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms && !heard.end) {
            sender.pump();
            receiver.pump();
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
    };
    pumpFor(1500);
    QThread::msleep(2500);
    pumpFor(20000);

    ASSERT_TRUE(heard.end) << "no picture came back";
    EXPECT_TRUE(heard.end->complete);
    EXPECT_EQ(heard.end->lines, m.lines);
    double squares = 0;
    for (int y = 0; y < m.lines; ++y)
        for (int x = 0; x < m.pixels; ++x) {
            const int e = qGray(heard.end->picture.pixel(x, y)) - qGray(picture.pixel(x, y));
            squares += e * e;
        }
    const double db = 10 * std::log10(255.0 * 255.0 / (squares / (m.pixels * m.lines) + 1e-9));
    std::printf("[ figure ] B/W 8 after a stall of 2.5 s: %.1f dB\n", db);
    EXPECT_GT(db, 25.0);
}
