// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl tune on a recording input fed from the test: the analysis lines of the recorded sound,
// the device it records from, and the ends of a run.
#include "FakeAudioInput.h"
#include "platform/ProgramFolder.h"
#include "settings/StationOptions.h"
#include "tools/orbisctl/Tune.h"

#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// Text written to a stream, read back.
struct Capture {
    Capture()
        : file(std::tmpfile()) {}
    ~Capture() { std::fclose(file); }
    QString text() const {
        std::fflush(file);
        std::rewind(file);
        QByteArray bytes;
        char chunk[4096];
        while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, file))
            bytes.append(chunk, qsizetype(n));
        return QString::fromUtf8(bytes);
    }
    std::FILE* file;
};

std::vector<std::uint8_t> tone(double hertz, int count) {
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < count; ++i)
        samples.push_back(std::uint8_t(
            std::lround(128.0 + 100.0 * std::sin(2.0 * std::numbers::pi * hertz * i / 8000.0))));
    return samples;
}

struct TuneCommand : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    FakeAudioInput input;
    Capture out;
    Capture err;

    int run(const QStringList& arguments, int silenceMs = 2000) {
        return runTune(arguments, folder, input, out.file, err.file, silenceMs);
    }
    // Feeds the samples once the command waits for them.
    void feedLater(std::vector<std::uint8_t> samples) {
        QTimer::singleShot(0, [this, samples] { input.feed(samples); });
    }
};

} // namespace

TEST_F(TuneCommand, PrintsALinePerDisplayUpdateAndStopsAfterTheCount) {
    feedLater(tone(1500, 10 * 3572));
    EXPECT_EQ(run({"--count", "2"}), 0);
    const QStringList lines = out.text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << out.text().toStdString();
    EXPECT_EQ(lines[1], "2 83 0 83.0");
    EXPECT_EQ(input.format, (RecordingFormat{1, 1, 8000}));
    EXPECT_FALSE(input.opened);
    EXPECT_TRUE(err.text().isEmpty());
}

TEST_F(TuneCommand, RecordsFromTheDeviceGivenOrKeptOrTheDefault) {
    input.present = {{"pci", "Built-in"}, {"usb", "USB CODEC"}};
    EXPECT_EQ(run({"--list"}), 0);
    EXPECT_EQ(out.text(), "pci\tBuilt-in\nusb\tUSB CODEC\n");
    EXPECT_TRUE(input.calls.isEmpty());

    feedLater(tone(1900, 2 * 3572));
    EXPECT_EQ(run({"--count", "1"}), 0);
    EXPECT_EQ(input.openedDevice, "pci");
    ASSERT_TRUE(StationOptions::store(folder, "RecordingDevice", "usb").isEmpty());
    feedLater(tone(1900, 2 * 3572));
    EXPECT_EQ(run({"--count", "1"}), 0);
    EXPECT_EQ(input.openedDevice, "usb");
    feedLater(tone(1900, 2 * 3572));
    EXPECT_EQ(run({"--device", "pci", "--count", "1"}), 0);
    EXPECT_EQ(input.openedDevice, "pci");
}

TEST_F(TuneCommand, EndsWithStatusOneWithoutDeviceOrWhenItFallsSilent) {
    EXPECT_EQ(run({"--count", "1"}, 50), 1);
    EXPECT_TRUE(out.text().isEmpty());
    EXPECT_EQ(err.text(), "orbisctl: the recording device delivered no samples for 50 ms\n");
    EXPECT_FALSE(input.opened);

    input.withoutDevices();
    EXPECT_EQ(run({}), 1);
    EXPECT_TRUE(err.text().endsWith("orbisctl: No recording device is present.\n"));
    EXPECT_EQ(run({"--count", "-1"}), 2);
    EXPECT_EQ(run({"--frequency"}), 2);
}
