// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/vexfile/PictureConversions.h"

#include "platform/vexfile/DibImage.h"
#include "platform/vexfile/vexfile.h"

#include <QFile>

namespace winorbis::PictureConversions {

namespace {

constexpr char kNoOption[] = "";
constexpr int kJpegQuality = 50;

// Why a picture in memory could not become an image of the library; empty after any other call.
thread_local QString t_imageError;

// An image of the picture library, released with VexelMemFree when it goes.
class Image {
public:
    explicit Image(HGLOBAL handle)
        : handle_(handle) {}
    ~Image() {
        if (handle_ != nullptr)
            VexelMemFree(handle_);
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    HGLOBAL get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HGLOBAL handle_;
};

} // namespace

QString jpegToBmp(const ProgramFolder& folder, const QString& jpegPath) {
    t_imageError.clear();
    const Image image(
        VexelJpegFileLoad(QFile::encodeName(jpegPath).constData(), kNoOption, kNoOption, 0));
    if (!image)
        return {};
    const QString target = folder.path(kTempBmpName);
    // A BMP that could not be written must not be loaded: the file may still hold the picture
    // of an earlier conversion.
    if (VexelBmpFileSave(QFile::encodeName(target).constData(), image.get(), kNoOption, kNoOption,
                         0) == 0)
        return {};
    return target;
}

bool bmpToJpeg(const QString& jpegPath, const QString& bmpPath) {
    t_imageError.clear();
    const Image image(VexelFileLoad(QFile::encodeName(bmpPath).constData(), kNoOption, kNoOption));
    if (!image)
        return false;
    return VexelJpegFileSave(QFile::encodeName(jpegPath).constData(), image.get(), kNoOption,
                             kNoOption, kJpegQuality, 0) != 0;
}

bool imageToJpeg(const QString& jpegPath, const QImage& picture) {
    t_imageError.clear();
    // A BMP file keeps a picture of 8 bits or fewer with a palette and any other as 24 bits, and
    // the library loads it that way; the same image here gives the same JPEG.
    const QImage::Format format = picture.format();
    const bool paletted = format == QImage::Format_Indexed8 || format == QImage::Format_Mono ||
                          format == QImage::Format_MonoLSB || format == QImage::Format_Grayscale8;
    const Image image(vexfile::imageToDib(
        paletted ? picture : picture.convertToFormat(QImage::Format_RGB888), &t_imageError));
    if (!image)
        return false;
    return VexelJpegFileSave(QFile::encodeName(jpegPath).constData(), image.get(), kNoOption,
                             kNoOption, kJpegQuality, 0) != 0;
}

QString lastError() {
    if (!t_imageError.isEmpty())
        return t_imageError;
    return QString::fromUtf8(VexelFileLastError());
}

} // namespace winorbis::PictureConversions
