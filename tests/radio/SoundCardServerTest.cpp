// SPDX-License-Identifier: GPL-3.0-or-later
#include "RadioTestSupport.h"

#include "converter/Modes.h"
#include "modem/SstvEncoder.h"
#include "radio/SoundCardServer.h"
#include "support/EventPump.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace winorbis::radio::test {

// The converter on a real pseudo-terminal, its radio pumped by its own timer: bytes written to
// the line start a transmission, a reception's status byte comes back on the line.
TEST(SoundCardServer, ServesTheLineAndTheAirTogether) {
    winorbis::test::VirtualClock clock;
    MemoryAudioSource source(48000);
    MemoryAudioSink sink(48000);
    RecordingPtt ptt(sink);
    QStringList events;
    SoundCardServer::Options options;
    options.event = [&](const QString& text) { events << text; };
    SoundCardServer converter(clock, &source, &sink, &ptt, options);
    QTemporaryDir dir;
    const QString link = dir.filePath("orbis");
    QString error;
    ASSERT_TRUE(converter.openAt(link, &error)) << error.toStdString();
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);

    const auto s2 = sstv::SstvEncoder::encode(
        framescaling::toMode(framePicture(), ModeId::Scottie2), ModeId::Scottie2, {48000.0});
    source.push(s2);
    source.push(std::vector<float>(48000, 0.0f)); // the last line ends
    std::uint8_t byte = 0;
    ASSERT_TRUE(winorbis::test::pumpUntil([&] { return ::read(fd, &byte, 1) == 1; }, 10000));
    EXPECT_EQ(byte, mode(ModeId::Scottie2).box->statusByte);
    ASSERT_TRUE(winorbis::test::pumpUntil(
        [&] { return !events.filter("Received Scottie 2: 256 lines").isEmpty(); }, 10000));
    EXPECT_GE(psnr(framePicture(), converter.line().memoryPicture(1)), 30.0);

    const std::uint8_t send = mode(ModeId::Martin2).box->txByte;
    ASSERT_EQ(::write(fd, &send, 1), 1);
    ASSERT_TRUE(winorbis::test::pumpUntil([&] { return ptt.keyed() && !sink.samples().empty(); }));
    EXPECT_TRUE(events.contains("Transmitting Martin 2"));
    // Ending the converter cuts the transmission and releases the transmitter.
    converter.stop();
    EXPECT_FALSE(ptt.keyed());
    EXPECT_EQ(events.last(), "Transmission cut");
    ::close(fd);
}

} // namespace winorbis::radio::test
