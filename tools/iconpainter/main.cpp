// SPDX-License-Identifier: GPL-3.0-or-later
// winorbis-icon: paints the program's icon (dist/io.github.winorbis.WinOrbis.svg) as PNG files of
// the usual theme sizes, from the same figures as the SVG, so that the build needs no SVG
// renderer. Usage: winorbis-icon OUTDIR SIZE... writes OUTDIR/SIZExSIZE.png for each size.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

// The SVG's picture on its 256 x 256 canvas.
void paintIcon(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x23, 0x39, 0x5d));
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    // The antenna with its two pairs of waves, 40 degrees each side of the horizontal.
    const QColor yellow(0xf2, 0xd0, 0x24);
    QPen wave(yellow, 7, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(wave);
    painter.setBrush(Qt::NoBrush);
    const QPointF top(128, 40);
    for (const double radius : {16.0, 30.0}) {
        const QRectF circle(top.x() - radius, top.y() - radius, 2 * radius, 2 * radius);
        painter.drawArc(circle, -40 * 16, 80 * 16);
        painter.drawArc(circle, 140 * 16, 80 * 16);
    }
    painter.drawLine(QPointF(128, 40), QPointF(128, 66));
    painter.setPen(Qt::NoPen);
    painter.setBrush(yellow);
    painter.drawEllipse(top, 6, 6);

    // The monitor: a dark screen with six colour bars, on a stand.
    painter.setPen(QPen(QColor(0xd8, 0xde, 0xe9), 8));
    painter.setBrush(QColor(0x10, 0x18, 0x20));
    painter.drawRoundedRect(QRectF(40, 66, 176, 120), 12, 12);
    painter.setPen(Qt::NoPen);
    const QColor bars[] = {QColor(0xf0, 0xf0, 0xf0), yellow,
                           QColor(0x2e, 0xc4, 0xd6), QColor(0x3c, 0xb4, 0x4b),
                           QColor(0xd6, 0x3c, 0xa8), QColor(0xe2, 0x3b, 0x3b)};
    for (int i = 0; i < 6; ++i)
        painter.fillRect(QRectF(56 + 24 * i, 78, 24, 96), bars[i]);
    painter.setBrush(QColor(0xd8, 0xde, 0xe9));
    painter.drawRect(QRectF(112, 190, 32, 22));
    painter.drawRoundedRect(QRectF(80, 208, 96, 14), 7, 7);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("Usage: winorbis-icon OUTDIR SIZE...\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "winorbis-icon: cannot make %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 4096) {
            std::fprintf(stderr, "winorbis-icon: %s is no icon size\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 256.0, size / 256.0);
        paintIcon(painter);
        painter.end();
        const QString name = out.filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!image.save(name, "PNG")) {
            std::fprintf(stderr, "winorbis-icon: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
