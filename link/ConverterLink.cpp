// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterLink.h"

#include "LinkTexts.h"
#include "PortFactory.h"
#include "converter/Modes.h"

#include "platform/Clock.h"
#include "platform/ConsoleNotes.h"

#include <utility>

namespace winorbis {

namespace {

constexpr int kIdentifyReads = 20;
constexpr int kIdentifyTrailer = 5;
// The longest time stale input is read before a command that expects an answer.
constexpr int kStaleInputLimitMs = 8000;
constexpr int kCommandAckReads = 2000;
constexpr int kLineAckReads = 100;

} // namespace

ConverterLink::ConverterLink(Clock& clock, LinkFailureSink failures)
    : clock_(clock)
    , failures_(std::move(failures))
    , port_(unusablePort(QString(), clock)) {}

ConverterLink::~ConverterLink() = default;

bool ConverterLink::OpenConverterPort(LinkSpeed speed, const QString& device) {
    // The port in use goes first: a device is never open twice.
    port_ = unusablePort(device, clock_);
    QString error;
    std::unique_ptr<BytePort> port = openPort(device, speed, clock_, &error);
    if (!port) {
        const auto address = PortAddress::parse(device);
        ConsoleNotes::write(
            QStringLiteral("cannot use the %1 %2: %3")
                .arg(address ? address->kindText() : QStringLiteral("serial device"),
                     device.isEmpty() ? QStringLiteral("(none)") : device, error));
        report({linktext::kNoInterface});
        return false;
    }
    port->setGoneHandler([kind = port->kind(), name = port->name()] {
        ConsoleNotes::write(QStringLiteral("the %1 %2 has gone").arg(kind, name));
    });
    port_ = std::move(port);
    port_->discardInput();
    return true;
}

void ConverterLink::attachPort(std::unique_ptr<BytePort> port) {
    port_ = std::move(port);
}

QString ConverterLink::deviceName() const {
    const QString name = port_->name();
    return name.isEmpty() ? QStringLiteral("the converter's port") : name;
}

void ConverterLink::report(const LinkFailure& failure) {
    lastFailure_ = failure.text;
    if (failures_)
        failures_(failure);
    else
        ConsoleNotes::write(failure.text);
}

void ConverterLink::fail(const QString& text) {
    report({text});
}

QString ConverterLink::lostText() const {
    return linktext::kConnectionLost.arg(deviceName());
}

bool ConverterLink::refuseWhileLost(bool byOperator) {
    if (!converterLost())
        return false;
    if (byOperator) {
        report({lostText(), true, LinkFailure::Box::Warning});
    } else {
        lastFailure_ = lostText();
        ConsoleNotes::write(lastFailure_);
    }
    return true;
}

std::uint8_t ConverterLink::IdentifyConverter() {
    if (const std::uint8_t answer = identifyQuietly())
        return answer;
    if (const QString name = port_->name(); !name.isEmpty())
        ConsoleNotes::write(QStringLiteral("no answer from the converter on %1").arg(name));
    report({linktext::kNoConnection, true});
    return 0;
}

void ConverterLink::discardStaleInput() {
    // Bytes of an exchange that ended early (a fetch cut by a signal or a closed tool) may still
    // be on their way: at 1200 baud a picture line takes 7 s. They are read and dropped until the
    // line stays quiet for two characters' time; on a quiet serial line at 115200 baud that
    // costs 5 ms.
    port_->discardInput();
    const std::int64_t until = clock_.nowMs() + kStaleInputLimitMs;
    while (port_->inputWithinTwoCharacters() && clock_.nowMs() < until)
        port_->discardInput();
}

std::uint8_t ConverterLink::identifyQuietly() {
    discardStaleInput();
    port_->writeByte(command::kIdentify);
    port_->drain();
    std::uint8_t byte = 0;
    for (int i = 0; i < kIdentifyReads; ++i) {
        byte = 0;
        port_->readByte(byte);
        lastStatus_ = byte;
        if (byte != 0)
            break;
    }
    if (byte == 0)
        return 0;
    // The answer has the identify's shape: the non-zero byte and five more at once. A lone byte
    // (a status byte, the tail of something else) is no answer.
    std::uint8_t trailer[kIdentifyTrailer];
    if (port_->read(trailer, kIdentifyTrailer) != kIdentifyTrailer) {
        lastStatus_ = 0;
        return 0;
    }
    return byte;
}

bool ConverterLink::SendCommandAwaitAck(std::uint8_t command) {
    port_->writeByte(command);
    // The answer is awaited only once the command has left, as a synchronous write does: at
    // 1200 baud a line of 840 bytes takes 7 s to leave.
    port_->drain();
    for (int i = 0; i < kCommandAckReads; ++i) {
        std::uint8_t byte = 0;
        if (port_->readByte(byte) && byte == kAcknowledge)
            return true;
    }
    fail(linktext::kCommunicationCom);
    return false;
}

bool ConverterLink::AwaitLineAck() {
    port_->drain();
    // The hundredth read ends the wait whatever it brings.
    for (int i = 1; i < kLineAckReads; ++i) {
        std::uint8_t byte = 0;
        if (port_->readByte(byte) && byte == kAcknowledge) {
            port_->readByte(byte);
            return true;
        }
    }
    std::uint8_t last = 0;
    port_->readByte(last);
    fail(linktext::kCommunicationAck);
    return false;
}

void ConverterLink::SendCommandByte(std::uint8_t command) {
    port_->writeByte(command);
}

void ConverterLink::SendBytes(const QByteArray& bytes) {
    port_->write(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()));
}

} // namespace winorbis
