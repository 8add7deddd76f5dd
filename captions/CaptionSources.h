// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionFont.h"

#include <QString>

#include <optional>

namespace winorbis {

struct Settings;

// Where the captions' texts and styles come from: the caption font with its colours and shadow
// switch, the eight standard texts with their own fonts and colours, and the contest number.
namespace captions {

inline constexpr int kTypedTextMax = 16;
inline constexpr int kReportMax = 8;
inline constexpr int kContestDropMax = 9999;

// The caption face of a first start: the second entry of the sorted list of screen fonts, as the
// font window lists them.
QString defaultFace();

// The caption font, colours and shadow switch as the settings hold them.
CaptionStyle captionStyle(const Settings& settings);
// Standard text n (1..8): its own font and colours, the shadow switch of the captions.
CaptionStyle standardTextStyle(const Settings& settings, int n);
// Standard text n becomes the text, in a copy of the caption font and its colours.
void storeStandardText(Settings& settings, int n, const QString& text);

// The contest number as its button shows it: at least three digits (7 → "007").
QString paddedContest(int number);
// The number one below, never below 1.
inline int contestDown(int number) {
    return number > 1 ? number - 1 : 1;
}
// A text dropped on the contest number: a decimal integer, capped at 9999; nullopt when the text
// is no decimal integer.
std::optional<int> contestFromText(const QString& text);

// The font window's weights.
inline constexpr int kBold = 700;
inline constexpr int kNormal = 400;

} // namespace captions
} // namespace winorbis
