// SPDX-License-Identifier: GPL-3.0-or-later
// The Telnet block of the network port: what it says, how it answers, and that the data it
// passes on does not depend on how the incoming stream is split.
#include "link/TelnetCodec.h"

#include <gtest/gtest.h>

#include <random>

using namespace winorbis;
using namespace winorbis::telnet;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Decoded {
    Bytes data, replies;
};

Decoded decodeInChunks(TelnetCodec& codec, const Bytes& stream,
                       const std::vector<std::size_t>& cuts) {
    Decoded out;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        codec.decode(stream.data() + from, cut - from, out.data, out.replies);
        from = cut;
    }
    codec.decode(stream.data() + from, stream.size() - from, out.data, out.replies);
    return out;
}

Decoded decodeWhole(const Bytes& stream) {
    TelnetCodec codec;
    codec.opening();
    return decodeInChunks(codec, stream, {});
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// What a serial server sends over one connection: its negotiation, the answer to the speed, a line
// state notice, commands that want no answer, and data with 0xFF among it.
const Bytes kServerStream = cat({
    {kIac, kWill, kSuppressGoAhead, kIac, kDo, kSuppressGoAhead, kIac, kWill, kEcho},
    {kIac, kDo, kBinary, kIac, kWill, kBinary, kIac, kDo, kComPort},
    {0x10, 0xFF - 1},
    {kIac, kSb, kComPort, 101, 0x00, 0x01, 0xC2, 0x00, kIac, kSe},
    {kIac, kIac, 0x4C, kIac, 241 /* NOP */, 0x00, 0x0D, 0x00},
    {kIac, kSb, kComPort, 106, 0x60, kIac, kSe},
    {kIac, kSb, 24 /* terminal type */, 1, kIac, kIac, 7, kIac, kSe},
    {kIac, 246 /* are you there */, kIac, kIac, kIac, kIac, 0x80},
    {kIac, kDo, 24, 0x55},
});
const Bytes kServerData = {0x10, 0xFE, 0xFF, 0x4C, 0x00, 0x0D, 0x00, 0xFF, 0xFF, 0x80, 0x55};

} // namespace

TEST(TelnetCodec, OpensWithBinaryGoAheadAndComPortAndSetsTheLineAs8N1) {
    TelnetCodec codec;
    EXPECT_EQ(codec.opening(),
              (Bytes{kIac, kWill, kBinary, kIac, kWill, kSuppressGoAhead, kIac, kWill, kComPort,
                     kIac, kDo, kBinary, kIac, kDo, kSuppressGoAhead}));
    EXPECT_TRUE(codec.opening().empty()) << "asked once";

    const Bytes rest = {kIac, kSb,  kComPort, 2,    8,   kIac,     kSe, kIac, kSb,  kComPort, 3,
                        1,    kIac, kSe,      kIac, kSb, kComPort, 4,   1,    kIac, kSe};
    EXPECT_EQ(TelnetCodec::lineSettings(115200),
              cat({{kIac, kSb, kComPort, 1, 0x00, 0x01, 0xC2, 0x00, kIac, kSe}, rest}));
    EXPECT_EQ(TelnetCodec::lineSettings(1200),
              cat({{kIac, kSb, kComPort, 1, 0x00, 0x00, 0x04, 0xB0, kIac, kSe}, rest}));
    // A value byte 0xFF is doubled inside the subnegotiation too.
    const Bytes odd = TelnetCodec::lineSettings(0xFF);
    EXPECT_EQ(Bytes(odd.begin(), odd.begin() + 11),
              (Bytes{kIac, kSb, kComPort, 1, 0, 0, 0, 0xFF, 0xFF, kIac, kSe}));
}

TEST(TelnetCodec, DoublesFFOutAndSendsCrNulOnlyOutsideBinary) {
    const Bytes data = {0xFF, 0x0D, 0x00, 0xFF, 0xFF, 0x0D, 0x41};
    TelnetCodec codec;
    Bytes out;
    codec.encode(data.data(), data.size(), out);
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0x0D, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x0D, 0x00, 0x41}));

    codec.opening();
    Bytes data2, replies;
    const Bytes agreed = {kIac, kDo, kBinary};
    codec.decode(agreed.data(), agreed.size(), data2, replies);
    ASSERT_TRUE(codec.clientSendsBinary());
    out.clear();
    codec.encode(data.data(), data.size(), out);
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0x0D, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x0D, 0x41}));
}

TEST(TelnetCodec, TakesEveryCommandOutOfTheDataAndAnswersOnlyWhatNeedsAnAnswer) {
    const Decoded whole = decodeWhole(kServerStream);
    EXPECT_EQ(whole.data, kServerData);
    // Echo and terminal type are refused; binary, go-ahead and com port were asked for by the
    // client, so the server's agreement is not answered again.
    EXPECT_EQ(whole.replies, (Bytes{kIac, kDont, kEcho, kIac, kWont, 24}));

    TelnetCodec codec;
    codec.opening();
    Bytes data, replies;
    codec.decode(kServerStream.data(), kServerStream.size(), data, replies);
    EXPECT_TRUE(codec.comPortAgreed());
    EXPECT_TRUE(codec.clientSendsBinary());
    EXPECT_TRUE(codec.serverSendsBinary());
    EXPECT_EQ(codec.confirmedBaud(), 115200u);
    EXPECT_EQ(codec.comPortAnswers(), 2);

    // Requests that change nothing get no answer; a change of an agreed option is confirmed.
    replies.clear();
    const Bytes again = {kIac, kDo,   kBinary, kIac, kWill, kBinary, kIac, kWont, 77,
                         kIac, kDont, 77,      kIac, kDont, kBinary, kIac, kWont, kBinary};
    codec.decode(again.data(), again.size(), data, replies);
    EXPECT_EQ(replies, (Bytes{kIac, kWont, kBinary, kIac, kDont, kBinary}));
    EXPECT_FALSE(codec.clientSendsBinary());
}

TEST(TelnetCodec, AnyCutOfTheIncomingStreamGivesTheSameDataAndAnswers) {
    const Decoded whole = decodeWhole(kServerStream);
    for (std::size_t a = 0; a <= kServerStream.size(); ++a) {
        for (std::size_t b = a; b <= kServerStream.size(); ++b) {
            TelnetCodec codec;
            codec.opening();
            const Decoded cut = decodeInChunks(codec, kServerStream, {a, b});
            ASSERT_EQ(cut.data, whole.data) << "cut at " << a << " and " << b;
            ASSERT_EQ(cut.replies, whole.replies) << "cut at " << a << " and " << b;
        }
    }
    // Byte by byte, and a long random picture stream in random pieces.
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < kServerStream.size(); ++i)
        everyByte.push_back(i);
    TelnetCodec single;
    single.opening();
    EXPECT_EQ(decodeInChunks(single, kServerStream, everyByte).data, kServerData);

    std::mt19937 random(5);
    Bytes picture(50000);
    for (auto& byte : picture)
        byte = random() % 4 == 0 ? 0xFF : std::uint8_t(random());
    TelnetCodec sender, receiver;
    Bytes stream;
    sender.encode(picture.data(), picture.size(), stream);
    std::vector<std::size_t> cuts;
    for (std::size_t at = random() % 700; at < stream.size(); at += 1 + random() % 700)
        cuts.push_back(at);
    EXPECT_EQ(decodeInChunks(receiver, stream, cuts).data, picture);
}

TEST(TelnetCodec, AnswersASignatureRequestAndEndsASubnegotiationCutByACommand) {
    TelnetCodec codec;
    codec.opening();
    const Bytes request = {kIac, kSb, kComPort, 100, kIac, kSe, 0x31};
    Decoded out;
    codec.decode(request.data(), request.size(), out.data, out.replies);
    const Bytes signature = {kIac, kSb, kComPort, 0,   'W', 'i',  'n',
                             'O',  'r', 'b',      'i', 's', kIac, kSe};
    EXPECT_EQ(out.replies, signature);
    EXPECT_EQ(out.data, Bytes{0x31});

    // The speed answer is cut short by a negotiation: the negotiation still counts.
    out = {};
    const Bytes cut = {kIac, kSb, kComPort, 101, 0x00, kIac, kWill, kEcho, 0x32};
    codec.decode(cut.data(), cut.size(), out.data, out.replies);
    EXPECT_EQ(out.replies, (Bytes{kIac, kDont, kEcho}));
    EXPECT_EQ(out.data, Bytes{0x32});
    EXPECT_EQ(codec.confirmedBaud(), 0u);
}

TEST(TelnetCodec, DropsTheNulAfterCrOnlyWhileTheServerIsNotBinary) {
    const Bytes text = {0x0D, 0x00, 0x41, 0x00, 0x0D, 0x0A};
    TelnetCodec plain;
    Decoded out;
    plain.decode(text.data(), text.size(), out.data, out.replies);
    EXPECT_EQ(out.data, (Bytes{0x0D, 0x41, 0x00, 0x0D, 0x0A}));

    TelnetCodec binary;
    binary.opening();
    const Bytes agree = {kIac, kWill, kBinary};
    out = {};
    binary.decode(agree.data(), agree.size(), out.data, out.replies);
    binary.decode(text.data(), text.size(), out.data, out.replies);
    EXPECT_EQ(out.data, text);
}
