// SPDX-License-Identifier: GPL-3.0-or-later
// The recording device of the tuning display on an input fed from the test: the order of open,
// prepare, start and close, the cutting of the recorded samples into whole buffers, and the
// failures shown to the operator. The sound system's own input is checked on this machine too.
#include "FakeAudioInput.h"
#include "analyzer/AnalyzerTexts.h"
#include "analyzer/TSoundDevice.h"
#include "radio/devices/qt/QtAudioInput.h"
#include "support/ScriptedDialogs.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace winorbis;
using namespace winorbis::test;

namespace {

constexpr int Length = TSoundDevice::BufferLength;

// A window that keeps a copy of each buffer announced, and queues it again unless told not to.
struct Window : SoundDeviceWindow {
    explicit Window(TSoundDevice& d)
        : device(d) {}
    void WaveInData(int recorded) override {
        buffers.emplace_back(buffer.begin(), buffer.begin() + recorded);
        if (requeue)
            device.AddBuffer();
    }
    TSoundDevice& device;
    bool requeue = true;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(Length, 0xEE);
    std::vector<std::vector<std::uint8_t>> buffers;
};

std::vector<std::uint8_t> counting(int count, int from = 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[std::size_t(i)] = std::uint8_t(from + i);
    return bytes;
}

struct SoundDeviceTest : ::testing::Test {
    FakeAudioInput input;
    ScriptedDialogs dialogs;
    TSoundDevice device{input, dialogs};
    Window window{device};

    void openPrepareStart() {
        ASSERT_TRUE(device.Open(&window, 1, 1, 8000));
        device.Prepare(window.buffer.data());
        device.Start();
    }
};

} // namespace

TEST_F(SoundDeviceTest, OpenAsksForTheFormatAndClosesAnOpenDeviceFirst) {
    ASSERT_TRUE(device.Open(&window, 1, 1, 8000));
    EXPECT_EQ(input.format, (RecordingFormat{1, 1, 8000}));
    EXPECT_TRUE(device.isOpen());
    device.Prepare(window.buffer.data());
    input.calls.clear();
    ASSERT_TRUE(device.Open(&window, 2, 2, 11025));
    EXPECT_EQ(input.calls, QStringList({"stop", "close", "open"}));
    EXPECT_EQ(input.format, (RecordingFormat{2, 2, 11025}));
    // The buffer went with the old device.
    EXPECT_FALSE(device.isPrepared());
    device.Start();
    EXPECT_FALSE(input.started);
}

TEST_F(SoundDeviceTest, NothingHappensOutOfOrder) {
    // Prepare and start without an open device, start without a prepared buffer.
    device.Prepare(window.buffer.data());
    EXPECT_FALSE(device.isPrepared());
    device.Start();
    ASSERT_TRUE(device.Open(&window, 1, 1, 8000));
    device.Start();
    EXPECT_FALSE(input.started);
    EXPECT_EQ(input.calls, QStringList({"open"}));
    EXPECT_FALSE(device.AddBuffer());
    // Close without a prepared buffer still stops and closes the device.
    device.Close();
    EXPECT_EQ(input.calls, QStringList({"open", "stop", "close"}));
    EXPECT_FALSE(device.isOpen());
    input.calls.clear();
    device.Close();
    EXPECT_TRUE(input.calls.isEmpty());
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SoundDeviceTest, SamplesAreCutIntoWholeBuffersInOrderWhateverThePieces) {
    openPrepareStart();
    const std::vector<std::uint8_t> all = counting(3 * Length + 100);
    std::size_t at = 0;
    for (const std::size_t piece : {std::size_t(1), std::size_t(Length - 1), std::size_t(5000),
                                    std::size_t(2 * Length), std::size_t(0)}) {
        const std::size_t count = std::min(piece, all.size() - at);
        input.feed(std::span(all).subspan(at, count));
        at += count;
    }
    ASSERT_EQ(at, all.size());
    ASSERT_EQ(window.buffers.size(), 3u);
    for (std::size_t b = 0; b < 3; ++b)
        EXPECT_EQ(window.buffers[b], counting(Length, int(b) * Length)) << "buffer " << b;
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SoundDeviceTest, SamplesWhileNoBufferIsQueuedAreNotRecorded) {
    openPrepareStart();
    window.requeue = false;
    input.feed(counting(Length + 10));
    ASSERT_EQ(window.buffers.size(), 1u);
    EXPECT_FALSE(device.isQueued());
    input.feed(counting(Length, 50));
    EXPECT_EQ(window.buffers.size(), 1u);
    // Queued again, it takes the samples from then on.
    EXPECT_TRUE(device.AddBuffer());
    input.feed(counting(Length, 7));
    ASSERT_EQ(window.buffers.size(), 2u);
    EXPECT_EQ(window.buffers[1], counting(Length, 7));
}

TEST_F(SoundDeviceTest, PreparingAgainReleasesThePartlyFilledBuffer) {
    openPrepareStart();
    input.feed(counting(1000));
    std::vector<std::uint8_t> other(Length, 0);
    window.buffer.swap(other);
    device.Prepare(window.buffer.data());
    EXPECT_TRUE(device.isPrepared());
    input.feed(counting(Length, 9));
    ASSERT_EQ(window.buffers.size(), 1u);
    EXPECT_EQ(window.buffers[0], counting(Length, 9));
    // Nothing was written into the released buffer after it was released.
    EXPECT_EQ(std::vector<std::uint8_t>(other.begin() + 1000, other.end()),
              std::vector<std::uint8_t>(Length - 1000, 0xEE));
}

TEST_F(SoundDeviceTest, StopAnnouncesThePartlyFilledBufferAndAfterCloseNothingIsQueued) {
    openPrepareStart();
    input.feed(counting(100));
    input.pending = counting(20, 100);
    device.Stop();
    ASSERT_EQ(window.buffers.size(), 1u);
    EXPECT_EQ(window.buffers[0], counting(120));
    // The window re-queued it; stopping again announces nothing.
    device.Stop();
    EXPECT_EQ(window.buffers.size(), 1u);
    device.Close();
    EXPECT_FALSE(device.isPrepared());
    EXPECT_FALSE(device.AddBuffer());
    input.feed(counting(Length));
    EXPECT_EQ(window.buffers.size(), 1u);
}

TEST_F(SoundDeviceTest, FailuresShowTheSystemsReasonAndLeaveTheDeviceIdle) {
    input.withoutDevices();
    EXPECT_FALSE(device.Open(&window, 1, 1, 8000));
    EXPECT_FALSE(device.isOpen());
    device.Prepare(window.buffer.data());
    device.Start();
    EXPECT_FALSE(input.started);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].text, "No recording device is present.");
    EXPECT_EQ(dialogs.shown()[0].what, "message");

    // A device taken by another program fails when recording starts.
    dialogs.clear();
    input.present = {{"card", "USB Audio"}};
    input.openError.clear();
    input.startError = analyzertexts::deviceCannotOpen("USB Audio");
    ASSERT_TRUE(device.Open(&window, 1, 1, 8000));
    device.Prepare(nullptr);
    EXPECT_EQ(dialogs.texts(), QStringList({analyzertexts::noBuffer}));
    device.Prepare(window.buffer.data());
    device.Start();
    EXPECT_EQ(dialogs.texts(), QStringList({analyzertexts::noBuffer, input.startError}));
    input.feed(counting(Length));
    EXPECT_TRUE(window.buffers.empty());
}

TEST(SoundSystemInput, Signed16SamplesBecomeUnsigned8EvenAcrossPieces) {
    QByteArray carry;
    const auto bytes = [](std::initializer_list<std::int16_t> values) {
        QByteArray b;
        for (const std::int16_t v : values)
            b.append(reinterpret_cast<const char*>(&v), 2);
        return b;
    };
    const QByteArray all = bytes({-32768, -1, 0, 255, 256, 32767});
    QByteArray out = unsigned8FromSigned16(carry, all.left(3));
    out += unsigned8FromSigned16(carry, all.mid(3));
    EXPECT_TRUE(carry.isEmpty());
    EXPECT_EQ(out, QByteArray::fromHex("007f808081ff"));
}

TEST(SoundSystemInput, AMachineWithoutRecordingDeviceGivesTheReasonWithoutWaiting) {
    QtAudioInput input;
    if (!QMediaDevices::audioInputs().isEmpty())
        GTEST_SKIP() << "this machine has a recording device";
    EXPECT_TRUE(input.devices().isEmpty());
    EXPECT_EQ(input.open({1, 1, 8000}, [](std::span<const std::uint8_t>) {}),
              "No recording device is present.");
    EXPECT_EQ(input.start(), analyzertexts::deviceNotOpen);
    input.stop();
    input.close();
}
