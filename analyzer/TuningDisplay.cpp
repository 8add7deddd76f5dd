// SPDX-License-Identifier: GPL-3.0-or-later
#include "TuningDisplay.h"

#include <QPainter>

#include <array>
#include <cstring>
#include <map>

namespace winorbis::tuningdisplay {

namespace {

// The scale's labels in a small pixel font of their own, so that the picture is the same on every
// machine and needs no font system (orbisctl draws it without a desktop).
const std::map<char, std::array<const char*, 5>>& glyphs() {
    static const std::map<char, std::array<const char*, 5>> table = {
        {'a', {"....", ".##.", "...#", ".###", ".###"}},
        {'c', {"....", ".###", "#...", "#...", ".###"}},
        {'e', {"....", ".##.", "####", "#...", ".###"}},
        {'h', {"#...", "#...", "###.", "#..#", "#..#"}},
        {'i', {"#", ".", "#", "#", "#"}},
        {'n', {"....", "###.", "#..#", "#..#", "#..#"}},
        {'r', {"....", "#.##", "##..", "#...", "#..."}},
        {'s', {"....", ".###", ".##.", "...#", "###."}},
        {'w', {".....", "#...#", "#.#.#", "#.#.#", ".#.#."}},
        {'y', {"....", "#..#", ".###", "...#", "###."}},
        {'z', {"....", "####", "..#.", ".#..", "####"}},
    };
    return table;
}

int labelWidth(const char* text) {
    int width = 0;
    for (const char* c = text; *c; ++c)
        width += int(std::strlen(glyphs().at(*c)[0])) + 1;
    return width > 0 ? width - 1 : 0;
}

void drawLabel(QImage& image, int left, int top, const char* text) {
    for (const char* c = text; *c; ++c) {
        const auto& rows = glyphs().at(*c);
        const int width = int(std::strlen(rows[0]));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < width; ++x)
                if (rows[std::size_t(y)][x] == '#' && image.rect().contains(left + x, top + y))
                    image.setPixel(left + x, top + y, qRgb(0, 0, 0));
        left += width + 1;
    }
}

} // namespace

Summary summarize(const AnalyzerPeriod& period) {
    Summary summary;
    summary.sync = period.syncLength;
    double total = 0.0;
    double moment = 0.0;
    for (int column = 0; column < AnalyzerPeriod::ShownBins; ++column) {
        const std::int32_t count = period.bins[std::size_t(column)];
        if (count > period.bins[std::size_t(summary.peak)])
            summary.peak = column;
        total += count;
        moment += double(count) * column;
    }
    summary.mean = total > 0.0 ? moment / total : 0.0;
    return summary;
}

void draw(QPainter& painter, QSize size, const AnalyzerPeriod& period) {
    const int height = size.height();
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    painter.setPen(QColor(0, 255, 0));
    QPoint from(0, height - 3);
    for (int i = 1; i <= AnalyzerPeriod::ShownBins; ++i) {
        const QPoint to(i - 1, curveRow(period.bins[std::size_t(i - 1)], height));
        painter.drawLine(from, to);
        from = to;
    }
    if (const auto column = syncMarkerColumn(period.syncLength)) {
        painter.setPen(QColor(255, 0, 0));
        painter.drawLine(QPoint(*column, height), QPoint(*column, 0));
    }
}

QImage scale() {
    QImage image(kScaleSize, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 0));
    const std::pair<int, const char*> ticks[] = {
        {kSyncColumn, "sync"}, {kBlackColumn, "schwarz"}, {kWhiteColumn, "weiss"}};
    for (const auto& [column, label] : ticks) {
        for (int y = 0; y < 5; ++y)
            image.setPixel(column, y, qRgb(0, 0, 0));
        drawLabel(image, column - labelWidth(label) / 2, 8, label);
    }
    return image;
}

QImage picture(const AnalyzerPeriod& period) {
    QImage image(kDisplaySize.width(), kDisplaySize.height() + kScaleSize.height(),
                 QImage::Format_RGB32);
    QPainter painter(&image);
    draw(painter, kDisplaySize, period);
    painter.drawImage(0, kDisplaySize.height(), scale());
    return image;
}

} // namespace winorbis::tuningdisplay
