// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/LinkOptions.h"
#include "platform/Colour.h"

#include <QString>

#include <array>

namespace winorbis {

// A caption font as the settings file keeps it: the fields of the system font description that
// the file holds, the two colours and a text. Fields the file does not hold stay zero.
struct FontBlock {
    int height = 27;
    int width = 0;
    int escapement = 0; // tenths of a degree
    int weight = 700;
    int italic = 0; // 0 or 1
    QString faceName;
    TColor textColour = colours::clRed;
    TColor shadowColour = colours::clBlack;
    QString text;
    int charSet = 0; // not in the file; the callsign font's is set to 1 after reading

    friend bool operator==(const FontBlock&, const FontBlock&) = default;
};

inline constexpr int kSlotCount = 16;
inline constexpr int kTxNameCount = 5;
inline constexpr int kPageCount = 18;
inline constexpr int kPositionsPerPage = 25;
inline constexpr int kStandardTextCount = 8;
inline constexpr int kFaceNameMax = 31;

// Whether the callsign and the standard texts are drawn with their shadow. A number read from the
// settings file that is neither is kept as it stands and draws no shadow.
enum class CaptionShadow : int { Off = 0, On = 1 };

// Every value that "\COM.DAT" carries from one run to the next, with the defaults of a first start.
struct Settings {
    LinkSpeed linkSpeed = LinkSpeed::Baud115200;
    int portNumber = 1; // 1..4 = COM1..COM4
    int reserved = 0;   // read, kept and written back unchanged
    FontBlock callsignFont;
    CaptionShadow shadow = CaptionShadow::On;
    int fontIndex = 1;
    QString callsign = QStringLiteral("ID");
    QString report = QStringLiteral("595");
    int contestNumber = 1;
    std::array<FontBlock, kStandardTextCount> standardTexts;
    int receiveCounter = 1;
    int txCatalogCounter = 1;
    int catalogPage = 0;
    std::array<QString, kSlotCount> slotNames;
    std::array<QString, kTxNameCount> txNames;
    std::array<QString, kPageCount> pageNames;
    std::array<std::array<QString, kPositionsPerPage>, kPageCount> positionNames;
    bool saveAuto = true; // "Save Pic Auto"
    bool picTx = true;    // "Pic / Tx"
    int beaconInterval = 60;
    OrbisModel model = OrbisModel::OR100;

    // The values of a first start; defaultFace is the second entry of the screen font list.
    static Settings defaults(const QString& defaultFace);

    friend bool operator==(const Settings&, const Settings&) = default;
};

} // namespace winorbis
