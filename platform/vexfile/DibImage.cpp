// SPDX-License-Identifier: GPL-3.0-or-later
// Packed DIBs in vexcore memory blocks and the QImages they stand for.
#include "platform/vexfile/DibImage.h"

#include <QCoreApplication>

#include <bit>
#include <cstdint>
#include <cstring>

namespace winorbis::vexfile {

namespace {

constexpr int kMaxSide = 65535;

template <typename T> T readAt(const BYTE* bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

bool isInfoHeaderSize(DWORD size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

void setError(QString* error, const QString& text) {
    if (error != nullptr)
        *error = text;
}

// One colour channel under a mask, scaled to 8 bits.
struct Channel {
    explicit Channel(DWORD mask)
        : mask_(mask)
        , shift_(mask == 0 ? 0 : std::countr_zero(mask))
        , bits_(std::popcount(mask)) {}

    int operator()(DWORD value) const {
        if (bits_ == 0)
            return 0;
        const DWORD v = (value & mask_) >> shift_;
        const DWORD max = bits_ >= 32 ? 0xFFFFFFFFu : (DWORD(1) << bits_) - 1;
        return int((std::uint64_t(v) * 255 + max / 2) / max);
    }

private:
    DWORD mask_;
    int shift_;
    int bits_;
};

} // namespace

std::optional<DibLayout> dibLayout(const BYTE* bytes, std::size_t size, QString* error) {
    if (bytes == nullptr || size < sizeof(BITMAPINFOHEADER)) {
        setError(error, QStringLiteral("The image holds no bitmap header."));
        return std::nullopt;
    }
    DibLayout layout;
    std::memcpy(&layout.header, bytes, sizeof layout.header);
    const BITMAPINFOHEADER& h = layout.header;
    if (!isInfoHeaderSize(h.biSize) || h.biSize > size) {
        setError(
            error,
            QStringLiteral("The image's bitmap header (%1 bytes) is not supported.").arg(h.biSize));
        return std::nullopt;
    }
    const std::int64_t height = h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight;
    if (h.biWidth <= 0 || h.biWidth > kMaxSide || height <= 0 || height > kMaxSide) {
        setError(error, QStringLiteral("The image's size %1 x %2 is not supported.")
                            .arg(h.biWidth)
                            .arg(h.biHeight));
        return std::nullopt;
    }
    layout.width = h.biWidth;
    layout.height = int(height);
    layout.topDown = h.biHeight < 0;
    const WORD bits = h.biBitCount;
    const bool masked = h.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (h.biCompression != BI_RGB && !masked) {
        setError(error, QStringLiteral("Compressed bitmaps (compression %1 with %2 bits per pixel) "
                                       "are not supported.")
                            .arg(h.biCompression)
                            .arg(bits));
        return std::nullopt;
    }
    switch (bits) {
    case 1:
    case 4:
    case 8:
        layout.colours = h.biClrUsed != 0 ? h.biClrUsed : std::size_t(1) << bits;
        break;
    case 16:
    case 24:
    case 32:
        layout.colours = h.biClrUsed;
        break;
    default:
        setError(error,
                 QStringLiteral("Bitmaps with %1 bits per pixel are not supported.").arg(bits));
        return std::nullopt;
    }
    if (masked && h.biSize == 40)
        layout.masks = 3 * sizeof(DWORD);
    layout.stride = (std::size_t(layout.width) * bits + 31) / 32 * 4;
    layout.pixelOffset = h.biSize + layout.masks + layout.colours * sizeof(RGBQUAD);
    layout.totalSize = layout.pixelOffset + layout.stride * std::size_t(layout.height);
    if (layout.colours > 0xFFFFFFu || layout.totalSize > size) {
        setError(error, QStringLiteral("The image's pixels do not fit in its memory "
                                       "(%1 bytes needed, %2 held).")
                            .arg(layout.totalSize)
                            .arg(size));
        return std::nullopt;
    }
    return layout;
}

QImage dibToImage(const BYTE* bytes, std::size_t size, QString* error) {
    const std::optional<DibLayout> found = dibLayout(bytes, size, error);
    if (!found)
        return {};
    const DibLayout& d = *found;
    const WORD bits = d.header.biBitCount;
    auto row = [&](int y) {
        const int stored = d.topDown ? y : d.height - 1 - y;
        return bytes + d.pixelOffset + std::size_t(stored) * d.stride;
    };

    if (bits <= 8) {
        QImage image(d.width, d.height, QImage::Format_Indexed8);
        if (image.isNull()) {
            setError(error, QStringLiteral("Not enough memory for the image."));
            return {};
        }
        QList<QRgb> table(1 << bits, qRgb(0, 0, 0));
        const std::size_t used = std::min<std::size_t>(d.colours, table.size());
        for (std::size_t i = 0; i < used; ++i) {
            const auto quad = readAt<RGBQUAD>(bytes, d.header.biSize + i * sizeof(RGBQUAD));
            table[qsizetype(i)] = qRgb(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
        }
        image.setColorTable(table);
        const int mask = (1 << bits) - 1;
        for (int y = 0; y < d.height; ++y) {
            const BYTE* source = row(y);
            uchar* target = image.scanLine(y);
            for (int x = 0; x < d.width; ++x) {
                const std::size_t bit = std::size_t(x) * bits;
                const int shift = 8 - bits - int(bit % 8);
                target[x] = uchar((source[bit / 8] >> shift) & mask);
            }
        }
        return image;
    }

    QImage image(d.width, d.height, QImage::Format_RGB32);
    if (image.isNull()) {
        setError(error, QStringLiteral("Not enough memory for the image."));
        return {};
    }
    DWORD masks[3] = {0, 0, 0};
    if (d.header.biCompression == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i)
            masks[i] = readAt<DWORD>(bytes, 40 + std::size_t(i) * sizeof(DWORD));
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int y = 0; y < d.height; ++y) {
        const BYTE* source = row(y);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < d.width; ++x) {
            if (bits == 24) {
                const BYTE* p = source + 3 * std::size_t(x);
                target[x] = qRgb(p[2], p[1], p[0]);
            } else {
                const DWORD v = bits == 16 ? readAt<WORD>(source, 2 * std::size_t(x))
                                           : readAt<DWORD>(source, 4 * std::size_t(x));
                target[x] = qRgb(red(v), green(v), blue(v));
            }
        }
    }
    return image;
}

HGLOBAL imageToDib(const QImage& picture, QString* error) {
    if (picture.isNull()) {
        setError(error, QStringLiteral("The picture is empty."));
        return nullptr;
    }
    QImage image;
    QList<QRgb> table;
    WORD bits = 24;
    switch (picture.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        image = picture.convertToFormat(QImage::Format_Grayscale8);
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, i, i));
        bits = 8;
        break;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        image = picture.convertToFormat(QImage::Format_Indexed8);
        table = image.colorTable();
        bits = 8;
        break;
    default:
        image = picture.convertToFormat(QImage::Format_RGB888);
        break;
    }
    if (image.isNull()) {
        setError(error, QStringLiteral("Not enough memory for the image."));
        return nullptr;
    }
    const std::size_t width = std::size_t(image.width());
    const std::size_t height = std::size_t(image.height());
    const std::size_t stride = (width * bits + 31) / 32 * 4;
    const std::size_t offset =
        sizeof(BITMAPINFOHEADER) + std::size_t(table.size()) * sizeof(RGBQUAD);
    const std::size_t total = offset + stride * height;
    const HGLOBAL block = VexGlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
    auto* bytes = static_cast<BYTE*>(VexGlobalLock(block));
    if (bytes == nullptr) {
        VexelMemFree(block);
        setError(error, QStringLiteral("Not enough memory for an image of %1 x %2 pixels.")
                            .arg(width)
                            .arg(height));
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = LONG(width);
    header.biHeight = LONG(height);
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD(stride * height);
    header.biXPelsPerMeter = image.dotsPerMeterX();
    header.biYPelsPerMeter = image.dotsPerMeterY();
    header.biClrUsed = DWORD(table.size());
    std::memcpy(bytes, &header, sizeof header);
    for (qsizetype i = 0; i < table.size(); ++i) {
        const QRgb c = table[i];
        const RGBQUAD quad{BYTE(qBlue(c)), BYTE(qGreen(c)), BYTE(qRed(c)), 0};
        std::memcpy(bytes + sizeof header + std::size_t(i) * sizeof quad, &quad, sizeof quad);
    }
    for (std::size_t y = 0; y < height; ++y) {
        const uchar* source = image.constScanLine(int(y));
        BYTE* target = bytes + offset + (height - 1 - y) * stride; // bottom-up
        if (bits == 8) {
            std::memcpy(target, source, width);
        } else {
            for (std::size_t x = 0; x < width; ++x) {
                target[3 * x] = source[3 * x + 2];
                target[3 * x + 1] = source[3 * x + 1];
                target[3 * x + 2] = source[3 * x];
            }
        }
    }
    VexGlobalUnlock(block);
    return block;
}

QImage imageOfBlock(HGLOBAL block, QString* error) {
    const DWORD size = VexelMemSize(block);
    const auto* bytes = static_cast<const BYTE*>(VexGlobalLock(block));
    if (bytes == nullptr) {
        setError(error, QStringLiteral("The image handle holds no image."));
        return {};
    }
    QImage image = dibToImage(bytes, size, error);
    VexGlobalUnlock(block);
    return image;
}

} // namespace winorbis::vexfile
