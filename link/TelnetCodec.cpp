// SPDX-License-Identifier: GPL-3.0-or-later
#include "TelnetCodec.h"

namespace winorbis {

namespace {

using namespace telnet;

constexpr std::uint8_t kCr = 13;
constexpr std::uint8_t kNul = 0;
// A subnegotiation longer than this is cut; only its first bytes mean anything to the client.
constexpr std::size_t kMaxSubnegotiation = 512;
constexpr char kClientSignature[] = "WinOrbis";

bool wantOurs(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

bool wantHis(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead;
}

void appendCommand(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option) {
    out.insert(out.end(), {kIac, verb, option});
}

// A com port subnegotiation with its value bytes (0xFF doubled).
void appendComPort(std::vector<std::uint8_t>& out, std::uint8_t command,
                   const std::vector<std::uint8_t>& value) {
    out.insert(out.end(), {kIac, kSb, kComPort, command});
    for (const std::uint8_t byte : value) {
        out.push_back(byte);
        if (byte == kIac)
            out.push_back(kIac);
    }
    out.insert(out.end(), {kIac, kSe});
}

} // namespace

std::vector<std::uint8_t> TelnetCodec::opening() {
    std::vector<std::uint8_t> out;
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        if (!us_[option].enabled && !us_[option].asked) {
            us_[option].asked = true;
            appendCommand(out, kWill, option);
        }
    }
    for (const std::uint8_t option : {kBinary, kSuppressGoAhead}) {
        if (!him_[option].enabled && !him_[option].asked) {
            him_[option].asked = true;
            appendCommand(out, kDo, option);
        }
    }
    return out;
}

std::vector<std::uint8_t> TelnetCodec::lineSettings(int baud) {
    std::vector<std::uint8_t> out;
    const auto value = std::uint32_t(baud);
    appendComPort(out, kSetBaudRate,
                  {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
                   std::uint8_t(value)});
    appendComPort(out, kSetDataSize, {8});
    appendComPort(out, kSetParity, {kParityNone});
    appendComPort(out, kSetStopSize, {kStopBitsOne});
    return out;
}

void TelnetCodec::encode(const std::uint8_t* bytes, std::size_t count, bool binary,
                         std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == kIac)
            out.push_back(kIac);
        else if (bytes[i] == kCr && !binary)
            out.push_back(kNul);
    }
}

void TelnetCodec::takeData(std::uint8_t byte, std::vector<std::uint8_t>& data) {
    // Outside binary a CR travels as CR NUL: the NUL is no data.
    if (byte == kNul && lastWasCr_ && !serverSendsBinary()) {
        lastWasCr_ = false;
        return;
    }
    lastWasCr_ = byte == kCr;
    data.push_back(byte);
}

void TelnetCodec::decode(const std::uint8_t* bytes, std::size_t count,
                         std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& replies) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        switch (state_) {
        case State::Data:
            if (byte == kIac)
                state_ = State::Command;
            else
                takeData(byte, data);
            break;
        case State::Command:
            state_ = State::Data;
            if (byte == kIac) {
                takeData(kIac, data);
            } else if (byte >= kWill && byte <= kDont) {
                verb_ = byte;
                state_ = State::Option;
            } else if (byte == kSb) {
                state_ = State::SubOption;
            }
            // NOP, data mark, break, interrupt, are-you-there, go-ahead and the others carry no
            // data and want no answer from a client.
            break;
        case State::Option:
            state_ = State::Data;
            negotiate(verb_, byte, replies);
            break;
        case State::SubOption:
            subOption_ = byte;
            sub_.clear();
            state_ = State::Sub;
            break;
        case State::Sub:
            if (byte == kIac)
                state_ = State::SubCommand;
            else if (sub_.size() < kMaxSubnegotiation)
                sub_.push_back(byte);
            break;
        case State::SubCommand:
            if (byte == kIac) {
                if (sub_.size() < kMaxSubnegotiation)
                    sub_.push_back(kIac);
                state_ = State::Sub;
            } else if (byte == kSe) {
                state_ = State::Data;
                endSubnegotiation(replies);
            } else {
                // A command inside a subnegotiation ends it unfinished; the command counts.
                endSubnegotiation(replies);
                state_ = State::Command;
                --i;
            }
            break;
        }
    }
}

void TelnetCodec::negotiate(std::uint8_t verb, std::uint8_t option,
                            std::vector<std::uint8_t>& replies) {
    Side& his = him_[option];
    Side& ours = us_[option];
    switch (verb) {
    case kWill:
        if (his.enabled)
            break; // already so: no answer
        if (wantHis(option)) {
            his.enabled = true;
            if (!his.asked)
                appendCommand(replies, kDo, option);
        } else {
            appendCommand(replies, kDont, option);
        }
        his.asked = false;
        break;
    case kWont:
        if (his.enabled)
            appendCommand(replies, kDont, option);
        his.enabled = false;
        his.asked = false; // an answer to our DO is not answered again
        break;
    case kDo:
        if (ours.enabled)
            break;
        if (wantOurs(option)) {
            ours.enabled = true;
            if (!ours.asked)
                appendCommand(replies, kWill, option);
        } else {
            appendCommand(replies, kWont, option);
        }
        ours.asked = false;
        break;
    case kDont:
        if (ours.enabled)
            appendCommand(replies, kWont, option);
        ours.enabled = false;
        ours.asked = false;
        break;
    default:
        break;
    }
}

void TelnetCodec::endSubnegotiation(std::vector<std::uint8_t>& replies) {
    if (subOption_ != kComPort || sub_.empty())
        return;
    const std::uint8_t command = sub_[0];
    if (command < kServerOffset)
        return; // the client's own commands: no server sends them
    ++comPortAnswers_;
    switch (command - kServerOffset) {
    case kSignature:
        // Without text the server asks who the client is.
        if (sub_.size() == 1)
            appendComPort(replies, kSignature,
                          std::vector<std::uint8_t>(std::begin(kClientSignature),
                                                    std::end(kClientSignature) - 1));
        break;
    case kSetBaudRate:
        if (sub_.size() >= 5)
            confirmedBaud_ = std::uint32_t(sub_[1]) << 24 | std::uint32_t(sub_[2]) << 16 |
                             std::uint32_t(sub_[3]) << 8 | std::uint32_t(sub_[4]);
        break;
    default:
        // Data size, parity, stop size, line and modem state notices, flow control: nothing
        // the converter's line needs an answer for.
        break;
    }
}

} // namespace winorbis
