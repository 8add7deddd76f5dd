// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

namespace winorbis {

// A received picture kept in a folder of its own (orbisctl watch --save, orbisctl listen,
// orbis-modem --save): a JPEG named by its time stamp, never replacing another, and a line of the
// folder's "received.log", with the callsign sent in FSK after the picture when one came.
struct ReceivedFile {
    QString path; // empty when it could not be written
    QStringList errors;
};
ReceivedFile saveReceivedPicture(const QImage& picture, const QString& folder,
                                 const QDateTime& when, const QString& mode,
                                 const QString& callsign = {});

} // namespace winorbis
