// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace winorbis {

// The low-pass filter of the frequency display: the tap count N and c[0 ... 512], where c[0] is 0,
// c[1 ... N] come from the filter list of the analyzer layout and the rest is 0.
struct FilterCoefficients {
    static constexpr int MaxCount = 512;
    int count = 0;
    std::array<float, MaxCount + 1> c{};
};

// The entries of the analyzer layout's hidden list `FilterDaten1`: the tap count, then one
// coefficient per entry, written with a decimal comma.
const QStringList& filterDaten1Texts();

// A number written with a decimal comma ("0,00506761234978022", "-1,5E-3"), read the same way
// whatever the locale; a decimal point, a group separator or any other text does not convert.
std::optional<double> commaDecimalToDouble(const QString& text);

// Reads N from the first entry and c[1 ... N] from the next N entries; later entries are not
// read. On failure returns nothing and, when error is given, the message to show.
std::optional<FilterCoefficients> readFilterCoefficients(const QStringList& texts,
                                                         QString* error = nullptr);

} // namespace winorbis
