// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SpectrumAnalysis.h"

#include <QImage>
#include <QSize>

class QPainter;

namespace winorbis {

// The tuning display as it is drawn, and its figures for a text report.
namespace tuningdisplay {

inline constexpr QSize kDisplaySize{256, 60};
inline constexpr QSize kScaleSize{256, 15};
// The scale's tick marks: sync (1200 Hz), black (1500 Hz), white (2300 Hz).
inline constexpr int kSyncColumn = 39;
inline constexpr int kBlackColumn = 85;
inline constexpr int kWhiteColumn = 213;

// A period in figures: the column of the highest shown bin (the lowest column on a tie), the
// recorded sync length (0 for none), and the centre of mass of the shown bins as a column (0 when
// they are all empty).
struct Summary {
    int peak = 0;
    int sync = 0;
    double mean = 0.0;
};
Summary summarize(const AnalyzerPeriod& period);

// The display of a period on a canvas of the given size: black, the green curve of the shown
// bins from (0, H - 3), and the red sync marker for a recorded length over 30.
void draw(QPainter& painter, QSize size, const AnalyzerPeriod& period);
// The scale picture below the display: yellow, with the three tick marks and their labels.
QImage scale();
// The display of a period with the scale below it (256 x 75).
QImage picture(const AnalyzerPeriod& period);

} // namespace tuningdisplay

} // namespace winorbis
