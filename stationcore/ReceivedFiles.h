// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

namespace winorbis {

// A received picture kept in a folder of its own (orbisctl watch --save): a JPEG named by its
// time stamp, never replacing another, and a line of the folder's "received.log".
struct ReceivedFile {
    QString path; // empty when it could not be written
    QStringList errors;
};
ReceivedFile saveReceivedPicture(const QImage& picture, const QString& folder,
                                 const QDateTime& when, const QString& mode);

} // namespace winorbis
