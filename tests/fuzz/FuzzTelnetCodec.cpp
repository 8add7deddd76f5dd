// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the Telnet block of the network port: arbitrary bytes from a server give the
// same data and answers however the stream is cut; the answers are well-formed commands; a
// client's data stream encoded and decoded again is the data, with server commands among it.
#include "FuzzSupport.h"

#include "link/TelnetCodec.h"

#include <vector>

using namespace winorbis;
using namespace winorbis::telnet;
using fuzz::check;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Decoded {
    Bytes data, replies;
};

Decoded decode(const Bytes& stream, const std::vector<std::size_t>& cuts) {
    TelnetCodec codec;
    codec.opening();
    Decoded out;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        if (cut < from || cut > stream.size())
            continue;
        codec.decode(stream.data() + from, cut - from, out.data, out.replies);
        from = cut;
    }
    codec.decode(stream.data() + from, stream.size() - from, out.data, out.replies);
    return out;
}

// Answers are negotiations (IAC verb option) or com port subnegotiations ending IAC SE.
bool wellFormed(const Bytes& replies) {
    std::size_t i = 0;
    while (i < replies.size()) {
        if (replies.size() - i < 3 || replies[i] != kIac)
            return false;
        if (replies[i + 1] >= kWill && replies[i + 1] <= kDont) {
            i += 3;
            continue;
        }
        if (replies[i + 1] != kSb || replies[i + 2] != kComPort)
            return false;
        i += 3;
        while (i + 1 < replies.size() && !(replies[i] == kIac && replies[i + 1] == kSe))
            i += replies[i] == kIac ? 2 : 1;
        if (i + 1 >= replies.size())
            return false;
        i += 2;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const std::size_t cutA = in.byte(), cutB = cutA + in.byte();
    const QByteArray rest = in.rest();
    const Bytes stream(rest.begin(), rest.end());

    const Decoded whole = decode(stream, {});
    const Decoded cut = decode(stream, {cutA, cutB});
    check(cut.data == whole.data, "the data does not depend on the cut");
    check(cut.replies == whole.replies, "the answers do not depend on the cut");
    check(whole.data.size() <= stream.size(), "no data is made up");
    check(wellFormed(whole.replies), "answers are well-formed commands");

    // The stream as picture data: encoded by one side and decoded by the other it comes back
    // whole, also with server commands before and after it.
    Bytes wire = {kIac, kWill,         kBinary, kIac, kDo,     kBinary,
                  kIac, 241 /* NOP */, kIac,    kDo,  kComPort};
    TelnetCodec::encode(stream.data(), stream.size(), true, wire);
    wire.insert(wire.end(), {kIac, kSb, kComPort, 106, 0, kIac, kSe});
    const Decoded back = decode(wire, {cutA, cutB});
    check(back.data == stream, "encoded data decodes to itself");
    return 0;
}
