// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the converter model's byte input behind its fault layer: arbitrary bytes from
// the PC, events off the air and changes of the faults, in any order. Every answer is one the
// converter gives to the byte that was fed (garbage first when asked for), the record counts every
// byte fed and keeps the last of them, a line uploaded into a memory comes back unchanged when it
// is fetched, and the memories always hold whole pictures.
#include "FuzzSupport.h"

#include "converter/ConverterFaults.h"
#include "converter/ConverterModel.h"
#include "converter/ConverterRecord.h"
#include "converter/Modes.h"
#include "converter/PixelCodec.h"

#include <array>
#include <optional>

using namespace winorbis;
using fuzz::check;
namespace pc = winorbis::pixelcodec;

namespace {

constexpr std::uint8_t kEscape = 0xFF;

// The identify answer and the faults from the input's next bytes.
void setFaults(ConverterModel& model, ConverterFaults& b, fuzz::InputReader& in) {
    const std::uint8_t flags = in.byte();
    model.identifyAnswer = in.byte();
    b.silent = flags & 1;
    b.ackBeginTransfer = !(flags & 2);
    b.noLineFollowsAckFrom = (flags & 4) ? in.byte() % 8 : -1;
    b.noLineAckFrom = (flags & 8) ? in.byte() % 8 : -1;
    b.silentFromFetchLine = (flags & 16) ? in.byte() % 8 : -1;
    b.garbageBeforeAnswers = (flags & 32) ? in.byte() % 9 : 0;
    b.closeAfterLines = (flags & 64) ? in.byte() % 8 : 0;
    if (flags & 128) {
        b.droppedFetchLines.insert(1 + in.byte() % 8);
        b.cutFetchLines[1 + in.byte() % 8] = in.signedWord() % 900;
    }
}

// What the PC side knows of the memories: the lines it uploaded, until something else overwrites
// the memory.
struct Shadow {
    std::array<std::array<std::optional<QByteArray>, pc::kFrameLines>, 2> lines;
    int transferLine = 0;
    void forget(int memory) {
        for (auto& line : lines[std::size_t(memory - 1)])
            line.reset();
    }
};

// The answer after its garbage: the garbage bytes are checked and cut off.
QByteArray withoutGarbage(const QByteArray& bytes, const ConverterFaults& b) {
    if (bytes.isEmpty())
        return bytes;
    check(bytes.size() >= b.garbageBeforeAnswers, "the garbage comes first");
    for (int i = 0; i < b.garbageBeforeAnswers; ++i)
        check(std::uint8_t(bytes[i]) == 0x55 + i % 7, "garbage is never an answer byte");
    return bytes.mid(b.garbageBeforeAnswers);
}

// Feeds one byte and checks the answer against what the converter answers to it.
void feed(ConverterModel& model, ConverterFaults& faults, Shadow& shadow, std::uint8_t byte,
          ConverterRecord& record) {
    const ConverterFaults b = faults;
    const std::uint8_t identifyAnswer = model.identifyAnswer;
    const bool lineData = model.awaitingLineData();
    const int memory = model.activeMemory();
    record.byte(byte);
    const ConverterModel::Output out = faults.feed(model, byte);
    const QByteArray answer = withoutGarbage(out.bytes, b);
    if (lineData) {
        if (model.awaitingLineData()) {
            check(out.bytes.isEmpty(), "no answer inside a line");
            return;
        }
        // The line is complete: stored, and acknowledged with 128 0 unless told not to.
        const int line = shadow.transferLine++;
        if (line < pc::kFrameLines)
            shadow.lines[std::size_t(memory - 1)][std::size_t(line)] =
                model.memoryLine(memory, line);
        check(answer.isEmpty() || answer == QByteArray("\x80\x00", 2), "a line is acknowledged");
        return;
    }
    if (b.silent) {
        check(out.bytes.isEmpty() && !out.closeLine, "a silent converter answers nothing");
        return;
    }
    switch (byte) {
    case command::kIdentify:
        check(answer == QByteArray(1, char(identifyAnswer)) + "ORB70",
              "identify answers its byte and the trailer");
        return;
    case command::kBeginTransfer:
        shadow.transferLine = 0;
        check(answer == (b.ackBeginTransfer ? QByteArray(1, char(kAcknowledge)) : QByteArray()),
              "begin transfer is acknowledged as told");
        return;
    case command::kLineFollows:
        check(answer.isEmpty() == !model.awaitingLineData(),
              "an acknowledged line announcement awaits the line");
        check(answer.isEmpty() || answer == QByteArray(1, char(kAcknowledge)),
              "a line announcement is acknowledged with 128");
        return;
    case command::kNextLine: {
        const int line = shadow.transferLine++;
        check(answer.size() <= pc::kFetchLineBytes, "a fetched line has at most 841 bytes");
        if (answer.size() == pc::kFetchLineBytes) {
            check(answer.back() == '\x5A', "a whole fetched line ends with its trailer");
            if (line < pc::kFrameLines) {
                const auto& known = shadow.lines[std::size_t(memory - 1)][std::size_t(line)];
                if (known)
                    check(answer.left(pc::kLineBytes) == *known,
                          "an uploaded line is fetched unchanged");
            } else {
                check(answer.left(pc::kLineBytes) == QByteArray(pc::kLineBytes, '\0'),
                      "lines past the frame are black");
            }
        }
        return;
    }
    case command::kDigitize:
        shadow.forget(model.activeMemory());
        break;
    default:
        break;
    }
    check(out.bytes.isEmpty(), "other commands are not answered");
    check(!out.closeLine, "only transfers close the line");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    // A fresh converter for each input, copied from one made once: making one draws two pictures.
    static const ConverterModel fresh;
    ConverterModel model = fresh;
    ConverterFaults faults;
    setFaults(model, faults, in);
    Shadow shadow;
    ConverterRecord record;
    QByteArray fed;

    while (!in.atEnd()) {
        const std::uint8_t byte = in.byte();
        if (byte != kEscape) {
            fed.append(char(byte));
            feed(model, faults, shadow, byte, record);
            continue;
        }
        switch (in.byte() % 8) {
        case 0: // the escape byte itself
            fed.append(char(kEscape));
            feed(model, faults, shadow, kEscape, record);
            break;
        case 1: { // a whole uploaded line: 8, then 840 picture bytes
            fed.append(char(command::kLineFollows));
            feed(model, faults, shadow, command::kLineFollows, record);
            const std::uint8_t seed = in.byte();
            for (int i = 0; i < pc::kLineBytes && model.awaitingLineData(); ++i) {
                fed.append(char(seed + i * 7));
                feed(model, faults, shadow, std::uint8_t(seed + i * 7), record);
            }
            break;
        }
        case 2: { // the PC gives up in the middle of a line
            const ConverterModel::Output out = model.giveUpLine();
            check(out.bytes.isEmpty(), "giving up a line is not answered");
            check(!model.awaitingLineData(), "after giving up, bytes are commands again");
            break;
        }
        case 3: { // a reception off the air
            const std::uint8_t status = in.byte();
            QImage picture(1 + in.byte() % 64, 1 + in.byte() % 64, QImage::Format_RGB32);
            picture.fill(qRgb(status, 0, 255 - status));
            const int memory = model.activeMemory();
            const ConverterModel::Output out = model.receive(status, picture);
            check(out.bytes == QByteArray(1, char(status)), "a reception sends its status byte");
            shadow.forget(memory);
            break;
        }
        case 4: { // a status byte alone
            const std::uint8_t status = in.byte();
            check(model.sendStatus(status).bytes == QByteArray(1, char(status)),
                  "a status is sent as it is");
            break;
        }
        default: // the faults change between two bytes
            setFaults(model, faults, in);
            break;
        }
    }

    const ReceivedBytes& received = record.received();
    check(received.size() == fed.size(), "the record counts every byte fed");
    check(received.kept().size() >= std::min(fed.size(), ReceivedBytes::kKept) &&
              received.kept().size() <= ReceivedBytes::kMaxKept,
          "the record keeps the last bytes within its bounds");
    check(fed.endsWith(received.kept()), "the bytes kept are the last ones fed");
    check(received.count('\x04') == fed.count('\x04'), "the record counts each byte value");
    for (int memory = 1; memory <= 2; ++memory) {
        for (int line = 0; line < pc::kFrameLines; ++line)
            check(model.memoryLine(memory, line).size() == pc::kLineBytes,
                  "memory lines are whole");
        if (size % 16 == 0) // slow: now and then
            check(model.memoryPicture(memory).size() == QSize(pc::kFrameWidth, pc::kFrameLines),
                  "a memory holds a whole picture");
    }
    return 0;
}
