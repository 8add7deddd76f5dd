// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameScaling.h"

#include "converter/PixelCodec.h"

#include <algorithm>

namespace winorbis::radio::framescaling {

namespace pc = pixelcodec;

QImage frameFromLines(const std::vector<QByteArray>& lines) {
    QImage frame(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    frame.fill(Qt::white);
    for (int row = 0; row < pc::kFrameLines && std::size_t(row) < lines.size(); ++row) {
        const QByteArray& bytes = lines[std::size_t(row)];
        if (bytes.size() != pc::kLineBytes)
            continue;
        const auto pixels =
            pc::decodeLine(reinterpret_cast<const std::uint8_t*>(bytes.constData()));
        std::copy(pixels.begin(), pixels.end(), reinterpret_cast<QRgb*>(frame.scanLine(row)));
    }
    return frame;
}

QImage toFrame(const QImage& picture) {
    if (picture.isNull())
        return {};
    const QImage frame = picture.size() == QSize(pc::kFrameWidth, pc::kFrameLines)
                             ? picture
                             : picture.scaled(pc::kFrameWidth, pc::kFrameLines,
                                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return frame.convertToFormat(QImage::Format_RGB32);
}

QImage toMode(const QImage& frame, ModeId id) {
    const Mode& m = mode(id);
    return frame.scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

int modeLineForRow(ModeId id, int row) {
    const int lines = mode(id).lines;
    return std::clamp(int((row + 0.5) * lines / pc::kFrameLines), 0, lines - 1);
}

void fillRow(const QImage& modePicture, ModeId mode, int row, QImage& frame) {
    if (row < 0 || row >= frame.height())
        return;
    const int line = modeLineForRow(mode, row);
    const QImage scaled =
        modePicture.copy(0, line, modePicture.width(), 1)
            .scaled(frame.width(), 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    std::copy_n(reinterpret_cast<const QRgb*>(scaled.constScanLine(0)), frame.width(),
                reinterpret_cast<QRgb*>(frame.scanLine(row)));
}

} // namespace winorbis::radio::framescaling
