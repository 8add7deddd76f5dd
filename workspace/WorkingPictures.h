// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

namespace winorbis {

// The three pictures the main window works on, and the names that travel with them. The TX
// picture is what goes into the converter, the RX picture what came from it; the scratch picture
// takes files and clipboard contents before they are scaled into the TX picture. "$$$" means no
// file or no name.
struct WorkingPictures {
    static inline const QString kNone = QStringLiteral("$$$");

    QImage tx;
    QImage rx;
    QImage scratch;
    // The picture file the TX picture was last loaded from, at its own resolution, and the key of
    // the TX picture it gave: while the TX picture is unchanged since, a converter that takes any
    // size sends the file's own pixels.
    QImage txFile;
    qint64 txFileKey = 0;
    QString currentFile = kNone;
    QString txName = kNone;
    QString draggedName = kNone;

    // The TX picture from a loaded file, scaled into size; the file is kept at its resolution.
    void loadTx(const QImage& file, QSize size) {
        tx = scaledInto(file, size);
        txFile = file;
        txFileKey = tx.cacheKey();
    }
    // The loaded file while the TX picture is still the one it gave; null otherwise.
    QImage txAtFileResolution() const {
        return !txFile.isNull() && tx.cacheKey() == txFileKey ? txFile : QImage();
    }

    // The start-up picture: 410 x 256, 24 bits, every pixel grey x * 255 / 419.
    static QImage defaultGradient();
    // A picture scaled into the whole of a picture of the given size, as a loaded file is scaled
    // into the TX picture (without smoothing).
    static QImage scaledInto(const QImage& source, QSize size);
    // The name of a received picture: its date and time as "ddmmyy_hhnnss" (061226_184501).
    static QString timeStamp(const QDateTime& when) {
        return when.toString(QStringLiteral("ddMMyy_HHmmss"));
    }
};

} // namespace winorbis
