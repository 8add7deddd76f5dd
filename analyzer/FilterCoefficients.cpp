// SPDX-License-Identifier: GPL-3.0-or-later
#include "FilterCoefficients.h"

#include "AnalyzerTexts.h"

#include <QLocale>

namespace winorbis {

const QStringList& filterDaten1Texts() {
    static const QStringList texts = {
        QStringLiteral("36"),
        QStringLiteral("0,00506761234978022"),
        QStringLiteral("0,0127024490317813"),
        QStringLiteral("0,00133728367471338"),
        QStringLiteral("-0,004247279662437"),
        QStringLiteral("-0,0136112221759751"),
        QStringLiteral("-0,0128977802787499"),
        QStringLiteral("-0,00154242933070306"),
        QStringLiteral("0,0161506132676637"),
        QStringLiteral("0,0269348332050225"),
        QStringLiteral("0,0189182242483063"),
        QStringLiteral("-0,00909186621887239"),
        QStringLiteral("-0,0420776375577316"),
        QStringLiteral("-0,0542403332243621"),
        QStringLiteral("-0,0233120466587365"),
        QStringLiteral("0,0539049386816625"),
        QStringLiteral("0,155207810723234"),
        QStringLiteral("0,241241183038699"),
        QStringLiteral("0,274945667472422"),
        QStringLiteral("0,274945667472422"),
        QStringLiteral("0,241241183038699"),
        QStringLiteral("0,155207810723234"),
        QStringLiteral("0,0539049386816625"),
        QStringLiteral("-0,0233120466587365"),
        QStringLiteral("-0,0542403332243621"),
        QStringLiteral("-0,0420776375577316"),
        QStringLiteral("-0,00909186621887239"),
        QStringLiteral("0,0189182242483063"),
        QStringLiteral("0,0269348332050225"),
        QStringLiteral("0,0161506132676637"),
        QStringLiteral("-0,00154242933070306"),
        QStringLiteral("-0,0128977802787499"),
        QStringLiteral("-0,0136112221759751"),
        QStringLiteral("-0,004247279662437"),
        QStringLiteral("0,00133728367471338"),
        QStringLiteral("0,0127024490317813"),
        QStringLiteral("0,00506761234978022"),
    };
    return texts;
}

std::optional<double> commaDecimalToDouble(const QString& text) {
    QString s = text.trimmed();
    // Only the comma separates the decimals; a point would be a group separator to some locales
    // and a decimal point to others, so it is refused rather than guessed at.
    if (s.isEmpty() || s.contains(QLatin1Char('.')) || s.count(QLatin1Char(',')) > 1)
        return std::nullopt;
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(s, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<FilterCoefficients> readFilterCoefficients(const QStringList& texts, QString* error) {
    const auto fail = [error](const QString& message) -> std::optional<FilterCoefficients> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (texts.isEmpty())
        return fail(analyzertexts::notAnInteger(QString()));
    bool ok = false;
    const int count = texts.front().trimmed().toInt(&ok);
    if (!ok)
        return fail(analyzertexts::notAnInteger(texts.front()));
    if (count < 0 || count > FilterCoefficients::MaxCount || texts.size() <= count)
        return fail(analyzertexts::badTapCount(count));
    FilterCoefficients result;
    result.count = count;
    for (int k = 1; k <= count; ++k) {
        const std::optional<double> value = commaDecimalToDouble(texts.at(k));
        if (!value)
            return fail(analyzertexts::notANumber(texts.at(k)));
        result.c[std::size_t(k)] = float(*value);
    }
    return result;
}

} // namespace winorbis
