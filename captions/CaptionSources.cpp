// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionSources.h"

#include "settings/Settings.h"

#include <QFontDatabase>

#include <algorithm>

namespace winorbis::captions {

namespace {

CaptionStyle styleOf(const FontBlock& block, bool shadow) {
    CaptionStyle style;
    style.font = LogFont::fromBlock(block);
    style.textColour = block.textColour;
    style.shadowColour = block.shadowColour;
    style.shadow = shadow;
    return style;
}

} // namespace

CaptionStyle captionStyle(const Settings& settings) {
    return styleOf(settings.callsignFont, settings.shadow == CaptionShadow::On);
}

CaptionStyle standardTextStyle(const Settings& settings, int n) {
    if (n < 1 || n > kStandardTextCount)
        return captionStyle(settings);
    return styleOf(settings.standardTexts[std::size_t(n - 1)],
                   settings.shadow == CaptionShadow::On);
}

void storeStandardText(Settings& settings, int n, const QString& text) {
    if (n < 1 || n > kStandardTextCount)
        return;
    FontBlock& block = settings.standardTexts[std::size_t(n - 1)];
    LogFont::fromBlock(settings.callsignFont).storeIn(block);
    block.textColour = settings.callsignFont.textColour;
    block.shadowColour = settings.callsignFont.shadowColour;
    block.text = text;
}

QString defaultFace() {
    const QStringList families = QFontDatabase::families();
    if (families.size() > 1)
        return families[1];
    return families.isEmpty() ? QStringLiteral("Arial") : families.first();
}

QString paddedContest(int number) {
    if (number < 0)
        return QString::number(number);
    return QString::number(number).rightJustified(3, QLatin1Char('0'));
}

std::optional<int> contestFromText(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || text.trimmed().isEmpty())
        return std::nullopt;
    return int(std::clamp<qlonglong>(value, std::numeric_limits<int>::min(), kContestDropMax));
}

} // namespace winorbis::captions
