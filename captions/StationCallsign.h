// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace winorbis {

class ProgramFolder;
struct Settings;

namespace captions {

// The callsign picture that "Call" pastes into the TX picture's corner.
inline const QString kCallsignPictureName = QStringLiteral("\\callsign.bmp");
// Twice the corner it is scaled into (110 x 26), so that the paste shrinks it.
inline constexpr QSize kCallsignPictureSize{220, 52};
inline constexpr int kCallsignMax = 16;

// Why a text cannot be the station's callsign (empty, too long, or with a character the settings
// file cannot keep on its line); empty when it can.
QString callsignProblem(const QString& callsign);

// The settings' callsign drawn in the caption font, text and shadow colours and shadow switch,
// upright and as large as fits, centred on a plain field (white, or black under a light text).
QImage callsignPicture(const Settings& settings);

} // namespace captions

// The station's callsign: sets it in the settings and keeps "\callsign.bmp" made from it and the
// caption style. Used by the setup window, the caption controls and orbisctl alike; it shows
// nothing itself, it only says what went wrong.
class StationCallsign {
public:
    StationCallsign(Settings& settings, const ProgramFolder& folder)
        : settings_(settings)
        , folder_(folder) {}

    // Sets the callsign (spaces around it dropped) and remakes the picture. The reason when the
    // text cannot be a callsign (nothing changes then) or the picture cannot be written (the
    // callsign is set all the same); empty on success.
    QString set(const QString& callsign);
    // Writes the picture from the current settings; the reason on failure, empty on success.
    QString remakePicture() const;
    // The picture file's native path.
    QString picturePath() const;

private:
    Settings& settings_;
    const ProgramFolder& folder_;
};

} // namespace winorbis
