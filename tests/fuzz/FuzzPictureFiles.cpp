// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the picture files of the workspace: arbitrary file contents are read by the
// BMP reader and loaded into the TX picture as a ".bmp" or a ".jpg" file (the JPEG through the
// vexfile conversion). A picture that is read has the size its BMP header states, or it is
// refused with a reason; a load that fails shows one error and changes neither the TX picture nor
// its names; a load that succeeds keeps the TX picture's size.
#include "FuzzSupport.h"

#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <cstdlib>
#include <cstring>
#include <optional>

using namespace winorbis;
using fuzz::check;

namespace {

std::uint32_t le32(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}
int le16(const QByteArray& b, int at) {
    return std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8);
}

// The size a BMP file's header states, when the bytes begin as a BMP file does.
std::optional<QSize> statedSize(const QByteArray& b) {
    if (b.size() < 26 || !b.startsWith("BM"))
        return std::nullopt;
    if (le32(b, 14) == 12) // the OS/2 core header: 16-bit sizes
        return QSize(le16(b, 18), le16(b, 20));
    const auto height = std::int32_t(le32(b, 22));
    return QSize(std::int32_t(le32(b, 18)), height < 0 ? -std::int64_t(height) : height);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "picture file written");
    check(file.write(bytes) == bytes.size(), "picture file written whole");
}

void checkBmpRead(const QString& path, const QByteArray& bytes) {
    QString error;
    const QImage picture = BmpFiles::read(path, &error);
    if (picture.isNull()) {
        check(error.startsWith(QStringLiteral("The picture file \"")), "a refusal says why");
        return;
    }
    check(picture.format() == QImage::Format_RGB888, "pictures come back as 24-bit RGB");
    if (const auto stated = statedSize(bytes))
        check(picture.size() == *stated, "a BMP picture has the size its header states");
}

void checkLoad(const QString& path, bool asJpeg) {
    const ProgramFolder folder(fuzz::scratchFolder());
    test::ScriptedDialogs dialogs;
    WorkingPictures pictures;
    static const QImage gradient = WorkingPictures::defaultGradient();
    pictures.tx = gradient;
    pictures.currentFile = QStringLiteral("before.bmp");
    pictures.txName = QStringLiteral("before");
    pictures.draggedName = QStringLiteral("dragged");
    const WorkingPictures before = pictures;
    Settings settings = Settings::defaults(QStringLiteral("DejaVu Sans"));
    PictureFiles files(folder, dialogs, pictures, settings);

    const bool loaded = files.loadIntoTx(path);
    check(pictures.tx.size() == before.tx.size(), "the TX picture keeps its size");
    if (loaded) {
        check(dialogs.texts().isEmpty(), "a load that succeeds shows nothing");
        check(pictures.txName == WorkingPictures::kNone, "a loaded picture has no name");
        check(!pictures.scratch.isNull(), "the loaded picture is kept");
        if (!asJpeg)
            check(pictures.currentFile == path, "the current file is the loaded one");
    } else {
        check(dialogs.count(QStringLiteral("error")) == 1, "a failed load shows one error");
        check(pictures.tx == before.tx, "a failed load leaves the TX picture");
        check(pictures.currentFile == before.currentFile && pictures.txName == before.txName &&
                  pictures.draggedName == before.draggedName,
              "a failed load changes no name");
    }
}

// A small picture from the input, written as a BMP or JPEG file, then edited byte by byte: the
// fuzzer starts from files of the right form instead of having to find their headers.
QByteArray editedPictureFile(fuzz::InputReader& in, bool asJpeg) {
    QImage picture(1 + in.byte() % 48, 1 + in.byte() % 48, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(in.byte(), x * 5, y * 5));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, asJpeg ? "jpeg" : "bmp");
    check(writer.write(picture), "a picture file for editing");
    buffer.close();
    while (!in.atEnd() && !bytes.isEmpty()) {
        const int at = in.word() % int(bytes.size() + 1);
        const std::uint8_t value = in.byte();
        if (at == bytes.size())
            bytes.truncate(value % (bytes.size() + 1));
        else
            bytes[at] = char(value);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    // Pictures that claim to be huge are refused early instead of filling the memory.
    QImageReader::setAllocationLimit(32);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const std::uint8_t how = in.byte();
    const bool asJpeg = how & 1;
    const QByteArray bytes = (how & 2) ? editedPictureFile(in, asJpeg) : in.rest();
    const QString path = fuzz::scratchFolder() +
                         (asJpeg ? QStringLiteral("/fuzz.jpg") : QStringLiteral("/fuzz.bmp"));
    writeFile(path, bytes);

    if (!asJpeg)
        checkBmpRead(path, bytes);
    checkLoad(path, asJpeg);
    return 0;
}
