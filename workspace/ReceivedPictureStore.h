// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

namespace winorbis {

class ProgramFolder;
struct Settings;

// Stores a picture fetched from the converter: named by its time stamp, written as the mini slot
// file of the receive counter, and, with automatic saving, copied as a JPEG into
// "\AutoSpeichern\", where a line of "received.log" records it. A received picture is never lost:
// the JPEG copy is written even when the slot file cannot be, and every failure is reported while
// the other steps still run.
class ReceivedPictureStore {
public:
    struct Result {
        QString name;     // the time stamp "ddmmyy_hhnnss"
        int slot = 0;     // the receive counter the picture was stored under
        QString slotFile; // native path of the slot file
        bool slotWritten = false;
        QString jpegFile; // native path of the JPEG copy, empty without automatic saving
        QString hint;     // the slot's hint: when (UTC) and in which mode it was received
        QStringList errors;
    };

    explicit ReceivedPictureStore(const ProgramFolder& folder)
        : folder_(folder) {}

    // Stores the picture under the settings' receive counter N: "\Kleinbilder\Bild" N ".bmp",
    // slot N's name (for N = 1..16), the counter advanced (from 16 on back to 1), and with
    // saveAuto the copy "\AutoSpeichern\" stamp ".jpg" of quality 50 (under the first name that
    // unusedFileName gives, so that a picture never replaces another). Each picture's time, mode
    // and files go into "\AutoSpeichern\received.log" (ReceptionLog).
    Result store(const QImage& picture, Settings& settings, bool saveAuto, const QDateTime& when,
                 const QString& mode = {}, const QString& callsign = {}) const;

    // The path in the folder of stamp + suffix, or, when an entry of that name exists (in any
    // letter case), of stamp "_2" suffix, stamp "_3" suffix ... whichever is the first free one.
    // Time stamps have a resolution of one second; this keeps two pictures of one second apart.
    static QString unusedFileName(const QString& folder, const QString& stamp,
                                  const QString& suffix);

private:
    Result storeFiles(const QImage& picture, Settings& settings, bool saveAuto,
                      const QDateTime& when) const;

    const ProgramFolder& folder_;
};

} // namespace winorbis
