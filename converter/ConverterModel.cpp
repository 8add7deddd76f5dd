// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterModel.h"

#include "PixelCodec.h"
#include "converter/Modes.h"

namespace winorbis {

namespace {

namespace pc = pixelcodec;

// The bytes that follow the identify answer; the program eats them unread.
const QByteArray kIdentifyTrailer("ORB70", 5);
// The byte after each fetched line block; the program drops it. Not zero, so that a reader that
// took it for picture data would be seen.
constexpr char kFetchTrailer = '\x5A';
const QByteArray kLineAck("\x80\x00", 2);

} // namespace

QString ConverterModel::describe(std::uint8_t byte) {
    return QStringLiteral("%1 (0x%2)").arg(byte).arg(byte, 2, 16, QLatin1Char('0'));
}

ConverterModel::ConverterModel() = default;

std::vector<QByteArray> ConverterModel::encodedFrame(const QImage& picture) {
    const QImage frame = picture.width() == pc::kFrameWidth && picture.height() == pc::kFrameLines
                             ? picture
                             : picture.scaled(pc::kFrameWidth, pc::kFrameLines,
                                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<QByteArray> lines;
    lines.reserve(pc::kFrameLines);
    for (int row = 0; row < pc::kFrameLines; ++row)
        lines.push_back(pc::encodeImageRow(frame, row));
    return lines;
}

std::vector<QByteArray>& ConverterModel::lines(std::size_t index) const {
    // Both memories start with the camera's first picture, made when a memory is first used: a
    // start of the program need not draw and encode it.
    if (memory_[index].empty())
        memory_[index] = encodedFrame(cameraPicture(0));
    return memory_[index];
}

void ConverterModel::storePicture(int memory, const QImage& picture) {
    if (memory < 1 || memory > 2)
        return;
    memory_[std::size_t(memory - 1)] = encodedFrame(picture);
}

const QByteArray& ConverterModel::memoryLine(int memory, int line) const {
    static const QByteArray none;
    if (memory < 1 || memory > 2 || line < 0 || line >= pc::kFrameLines)
        return none;
    return lines(std::size_t(memory - 1))[std::size_t(line)];
}

void ConverterModel::setMemoryLine(int memory, int line, const QByteArray& bytes) {
    if (memory < 1 || memory > 2 || line < 0 || line >= pc::kFrameLines)
        return;
    lines(std::size_t(memory - 1))[std::size_t(line)] = bytes;
}

QImage ConverterModel::memoryPicture(int memory) const {
    if (memory < 1 || memory > 2)
        return {};
    QImage picture(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    for (int line = 0; line < pc::kFrameLines; ++line) {
        const QByteArray& bytes = memoryLine(memory, line);
        if (bytes.size() != pc::kLineBytes)
            return {};
        const auto pixels =
            pc::decodeLine(reinterpret_cast<const std::uint8_t*>(bytes.constData()));
        for (int x = 0; x < pc::kFrameWidth; ++x)
            picture.setPixel(x, line, pixels[std::size_t(x)]);
    }
    return picture;
}

ConverterModel::Output ConverterModel::feed(std::uint8_t byte) {
    Output out;
    if (expectingData_ > 0) {
        lineData(out, byte);
        return out;
    }
    switch (byte) {
    case command::kIdentify:
        event(out, QStringLiteral("identify"));
        out.bytes = QByteArray(1, char(identifyAnswer)) + kIdentifyTrailer;
        return out;
    case command::kBeginTransfer:
        transferLine_ = 0;
        event(out, QStringLiteral("begin transfer / stop reception"));
        radio().stopReception();
        out.bytes = QByteArray(1, char(kAcknowledge));
        return out;
    case command::kLineFollows:
        expectingData_ = pc::kLineBytes;
        lineBuffer_.clear();
        out.bytes = QByteArray(1, char(kAcknowledge));
        return out;
    case command::kNextLine:
        fetchLine(out);
        return out;
    case command::kMemory1:
    case command::kMemory2:
        active_ = byte == command::kMemory1 ? 0 : 1;
        event(out, QStringLiteral("memory %1").arg(active_ + 1));
        return out;
    case command::kDigitize:
        if (const QImage picture = radio().digitize(); !picture.isNull())
            storePicture(activeMemory(), picture);
        event(out, QStringLiteral("digitize into memory %1").arg(activeMemory()));
        return out;
    default:
        break;
    }
    const auto& table = boxModeRows();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Mode& m = table[i];
        if (byte == m.box->txByte) {
            event(out, QStringLiteral("transmit %1").arg(m.name));
            radio().transmit(ModeId(i), lines(std::size_t(active_)));
            return out;
        }
        if (byte == m.box->freeRunByte) {
            event(out, QStringLiteral("free run %1").arg(m.shortName));
            radio().freeRun(ModeId(i));
            return out;
        }
    }
    event(out, QStringLiteral("unknown byte %1").arg(describe(byte)));
    return out;
}

void ConverterModel::lineData(Output& out, std::uint8_t byte) {
    lineBuffer_.append(char(byte));
    if (--expectingData_ > 0)
        return;
    const int line = transferLine_++;
    if (line < pc::kFrameLines)
        lines(std::size_t(active_))[std::size_t(line)] = lineBuffer_;
    lineBuffer_.clear();
    ++uploaded_;
    event(out, QStringLiteral("line %1 received").arg(line));
    out.bytes = kLineAck;
}

void ConverterModel::fetchLine(Output& out) {
    const int line = transferLine_++;
    out.bytes = line < pc::kFrameLines ? lines(std::size_t(active_))[std::size_t(line)]
                                       : QByteArray(pc::kLineBytes, '\0');
    out.bytes.append(kFetchTrailer);
    event(out, QStringLiteral("line %1 sent").arg(line + 1)); // the PC counts fetch lines from 1
}

ConverterModel::Output ConverterModel::giveUpLine() {
    Output out;
    if (expectingData_ <= 0)
        return out;
    out.log << QStringLiteral("line %1 broke off after %2 bytes; given up")
                   .arg(transferLine_)
                   .arg(lineBuffer_.size());
    expectingData_ = 0;
    lineBuffer_.clear();
    return out;
}

ConverterModel::Output ConverterModel::receive(std::uint8_t statusByte, const QImage& picture) {
    Output out;
    storePicture(activeMemory(), picture);
    event(out, QStringLiteral("reception, status %1").arg(describe(statusByte)));
    out.bytes.append(char(statusByte));
    return out;
}

ConverterModel::Output ConverterModel::sendStatus(std::uint8_t statusByte) {
    Output out;
    event(out, QStringLiteral("status %1").arg(describe(statusByte)));
    out.bytes.append(char(statusByte));
    return out;
}

void ConverterModel::event(Output& out, const QString& text) {
    out.events.append(text);
    out.log.append(text);
}

} // namespace winorbis
