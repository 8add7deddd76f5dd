// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace winorbis {

namespace telnet {
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kIac = 255;

inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kEcho = 1;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPort = 44;

// Com Port Control commands (RFC 2217) as the client sends them; the server answers with the
// same number plus 100.
inline constexpr std::uint8_t kSignature = 0;
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kServerOffset = 100;
inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kStopBitsOne = 1;
} // namespace telnet

// The client's side of a Telnet connection to a serial server (RFC 854 with the Com Port Control
// option of RFC 2217), as a pure streaming block: bytes from the server go in, the serial line's
// data bytes and the answers owed to the server come out, for any split of the stream. Every
// command, negotiation and subnegotiation is taken out of the data; option requests are agreed to
// (binary both ways, suppress go-ahead both ways, com port control on the client's side) or
// refused, each answered once as RFC 854 asks, so that no negotiation loops. Outgoing data gets
// every 0xFF doubled. Nothing here touches a socket or a clock.
class TelnetCodec {
public:
    // What the client says as the connection opens: binary and suppress go-ahead both ways, and
    // that it will use com port control.
    std::vector<std::uint8_t> opening();
    // The com port commands that set the line to baud, 8 data bits, no parity, one stop bit.
    static std::vector<std::uint8_t> lineSettings(int baud);

    // Appends count data bytes for the server: 0xFF doubled, and while the client does not send
    // binary, CR followed by NUL as the network virtual terminal has it.
    void encode(const std::uint8_t* bytes, std::size_t count,
                std::vector<std::uint8_t>& out) const {
        encode(bytes, count, clientSendsBinary(), out);
    }
    // The same for a writer on another thread, which keeps its own copy of clientSendsBinary().
    static void encode(const std::uint8_t* bytes, std::size_t count, bool binary,
                       std::vector<std::uint8_t>& out);
    // Takes count bytes from the server: data bytes go to data, answers to replies.
    void decode(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                std::vector<std::uint8_t>& replies);

    // The server agreed to com port control (DO COM-PORT-OPTION).
    bool comPortAgreed() const { return us_[telnet::kComPort].enabled; }
    // The line speed the server reported after a SET-BAUDRATE, 0 before.
    std::uint32_t confirmedBaud() const { return confirmedBaud_; }
    // The number of com port answers the server has sent.
    int comPortAnswers() const { return comPortAnswers_; }
    // Whether each side sends binary (no CR NUL).
    bool clientSendsBinary() const { return us_[telnet::kBinary].enabled; }
    bool serverSendsBinary() const { return him_[telnet::kBinary].enabled; }

private:
    enum class State { Data, Command, Option, SubOption, Sub, SubCommand };
    // One side's state of an option: agreed, or asked for and not yet answered.
    struct Side {
        bool enabled = false;
        bool asked = false;
    };

    void negotiate(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& replies);
    void endSubnegotiation(std::vector<std::uint8_t>& replies);
    void takeData(std::uint8_t byte, std::vector<std::uint8_t>& data);

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::uint8_t subOption_ = 0;
    std::vector<std::uint8_t> sub_;
    bool lastWasCr_ = false;
    std::array<Side, 256> us_{};
    std::array<Side, 256> him_{};
    std::uint32_t confirmedBaud_ = 0;
    int comPortAnswers_ = 0;
};

} // namespace winorbis
