// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPictures.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <cmath>
#include <numbers>

namespace winorbis::TestPictures {

namespace {

constexpr int kWidth = kSize.width();
constexpr int kHeight = kSize.height();

// Draws on a 32-bit picture and hands it back as 24 bits per pixel.
template <typename Draw> QImage rgbPicture(Draw draw) {
    QImage canvas(kSize, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    draw(painter);
    painter.end();
    return canvas.convertToFormat(QImage::Format_RGB888);
}

// EBU colour bars at 75 %, the reversed castellations below them, a full hue sweep and a grey
// ramp: saturation, hue and the luminance range in one frame.
QImage colourBars() {
    return rgbPicture([](QPainter& p) {
        constexpr int level = 191;
        const QColor bars[7] = {{level, level, level}, {level, level, 0}, {0, level, level},
                                {0, level, 0},         {level, 0, level}, {level, 0, 0},
                                {0, 0, level}};
        constexpr int barWidth = kWidth / 7; // 60
        for (int i = 0; i < 7; ++i)
            p.fillRect(i * barWidth, 0, barWidth, 160, bars[i]);
        for (int i = 0; i < 7; ++i)
            p.fillRect(i * barWidth, 160, barWidth, 32, i % 2 ? QColor(Qt::black) : bars[6 - i]);
        for (int x = 0; x < kWidth; ++x) {
            p.setPen(QColor::fromHsv(x * 359 / (kWidth - 1), 255, 255));
            p.drawLine(x, 192, x, 223);
            const int grey = x * 255 / (kWidth - 1);
            p.setPen(QColor(grey, grey, grey));
            p.drawLine(x, 224, x, kHeight - 1);
        }
    });
}

// A picture with 8 bits per pixel and the given 16 colours, every pixel set by pick(x, y).
template <typename Pick> QImage palettePicture(const QList<QRgb>& colours, Pick pick) {
    QImage picture(kSize, QImage::Format_Indexed8);
    picture.setColorTable(colours);
    for (int y = 0; y < kHeight; ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < kWidth; ++x)
            line[x] = uchar(pick(x, y));
    }
    return picture;
}

// Sixteen grey steps from black to white in the upper half, from white to black in the lower
// half, so that each step meets its opposite.
QImage greyWedge() {
    QList<QRgb> greys;
    for (int i = 0; i < 16; ++i)
        greys << qRgb(i * 17, i * 17, i * 17);
    return palettePicture(greys, [](int x, int y) {
        const int step = x * 16 / kWidth;
        return y < kHeight / 2 ? step : 15 - step;
    });
}

// Vertical gratings of 8, 6, 4, 3, 2 and 1 pixel wide bars (horizontal resolution), line pairs of
// the same heights (line-to-line sync), and a black band with white lines at both edges and the
// centre and a tick every 20 pixels (start of line, slant and timing). A white frame shows
// what the receiver cuts off.
QImage resolution() {
    return rgbPicture([](QPainter& p) {
        constexpr int widths[6] = {8, 6, 4, 3, 2, 1};
        constexpr int block = kWidth / 6; // 70
        for (int b = 0; b < 6; ++b) {
            for (int x = 0; x < block; ++x) {
                if ((x / widths[b]) % 2 == 0)
                    p.fillRect(b * block + x, 0, 1, 128, Qt::white);
            }
            for (int y = 0; y < 64; ++y) {
                if ((y / widths[b]) % 2 == 0)
                    p.fillRect(b * block, 128 + y, block, 1, Qt::white);
            }
        }
        p.fillRect(0, 192, kWidth, 64, Qt::black);
        for (int x = 0; x < kWidth; x += 20)
            p.fillRect(x, 192, 1, 8, Qt::white);
        for (const int x : {0, kWidth / 2 - 1, kWidth - 2})
            p.fillRect(x, 200, 2, 56, Qt::white);
        p.setPen(Qt::white);
        p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    });
}

// A grid of 32-pixel squares in two shades centred on the picture, a large circle and four small
// ones near the corners (round only when the frame keeps its aspect), a red centre cross and a
// frame.
QImage circleAndGrid() {
    return rgbPicture([](QPainter& p) {
        constexpr int cx = kWidth / 2;
        constexpr int cy = kHeight / 2;
        // Squares in two shades, so that they can be counted along any line.
        int row = 0;
        for (int y = cy % 32 - 32; y < kHeight; y += 32, ++row) {
            int column = 0;
            for (int x = cx % 32 - 32; x < kWidth; x += 32, ++column)
                p.fillRect(x, y, 32, 32,
                           (row + column) % 2 ? QColor(0, 0, 80) : QColor(0, 40, 130));
        }
        p.setPen(QColor(160, 160, 160));
        for (int x = cx % 32; x < kWidth; x += 32)
            p.drawLine(x, 0, x, kHeight - 1);
        for (int y = cy % 32; y < kHeight; y += 32)
            p.drawLine(0, y, kWidth - 1, y);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 3));
        p.drawEllipse(QPointF(cx, cy), 120, 120);
        p.setPen(QPen(Qt::yellow, 2));
        p.drawEllipse(QPointF(cx, cy), 60, 60);
        for (const QPointF centre : {QPointF(34, 34), QPointF(kWidth - 34, 34),
                                     QPointF(34, kHeight - 34), QPointF(kWidth - 34, kHeight - 34)})
            p.drawEllipse(centre, 24, 24);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(cx - 16, cy, cx + 16, cy);
        p.drawLine(cx, cy - 16, cx, cy + 16);
        p.setPen(Qt::white);
        p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    });
}

// A star of 36 black and white sectors on silver (the finest detail that survives, in every
// direction) beside the 16 colours of the palette as two columns of patches.
QImage starAndColours() {
    const QList<QRgb> colours = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    constexpr int black = 0, silver = 7, grey = 8, white = 15;
    constexpr int starWidth = 256;
    constexpr double radius = 120.0;
    constexpr int sectors = 36;
    return palettePicture(colours, [=](int x, int y) {
        if (x >= starWidth) {
            const int column = (x - starWidth) * 2 / (kWidth - starWidth);
            const int row = y * 8 / kHeight;
            return column * 8 + row;
        }
        const double dx = x + 0.5 - starWidth / 2.0;
        const double dy = y + 0.5 - kHeight / 2.0;
        const double r = std::hypot(dx, dy);
        if (r > radius)
            return silver;
        if (r < 3.0)
            return grey;
        const double turn = (std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi);
        return int(turn * sectors) % 2 ? white : black;
    });
}

} // namespace

QImage thumbnail(const QImage& picture) {
    return picture.convertToFormat(QImage::Format_RGB32)
        .scaled(kThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB888);
}

QImage draw(int index) {
    switch (index) {
    case 0:
        return colourBars();
    case 1:
        return greyWedge();
    case 2:
        return resolution();
    case 3:
        return circleAndGrid();
    case 4:
        return starAndColours();
    default:
        return {};
    }
}

} // namespace winorbis::TestPictures
