// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace winorbis {

class ProgramFolder;

// One picture position of the catalog: RX position 1..12, TX position 1..5 or general position
// 0..24 of page 0..17.
struct CatalogPosition {
    enum class Kind { Rx, Tx, General };
    Kind kind = Kind::General;
    int number = 0;
    int page = 0; // general positions only

    static CatalogPosition rx(int n) { return {Kind::Rx, n, 0}; }
    static CatalogPosition tx(int n) { return {Kind::Tx, n, 0}; }
    static CatalogPosition general(int page, int k) { return {Kind::General, k, page}; }
    friend bool operator==(const CatalogPosition&, const CatalogPosition&) = default;
};

inline constexpr int kRxPositions = 12;
inline constexpr int kTxPositions = 5;

// The catalog's files on disk: the RX catalog "\RxKatalog\Bild" N ".jpg", the TX catalog
// "\TxKatalog\Bild" N ".bmp"/".jpg" and the general catalog "\im" P "\cat" K ".bmp"/".jpg".
// Existing files are found whatever the letter case of their names; new files get the lower-case
// spellings above. A position shows its JPEG form where both forms exist. Pictures are decoded
// straight into memory; files are replaced as one step, so a failed copy leaves the old file
// whole. The catalog never creates a folder.
class CatalogStore {
public:
    enum class Form { Bmp, Jpeg };

    explicit CatalogStore(const ProgramFolder& folder);

    // The program file name of a position's form ("\im4\cat9.jpg").
    static QString fileName(const CatalogPosition& position, Form form);
    // The native path of that form: the existing file's spelling when one exists.
    QString path(const CatalogPosition& position, Form form) const;
    bool exists(const CatalogPosition& position, Form form) const;
    // The file that the position shows, drags and copies: the JPEG form where it exists, else the
    // BMP form (never for the RX catalog); empty when the position holds no file.
    QString shownFile(const CatalogPosition& position) const;

    // The result of reading one position.
    struct Picture {
        QImage image;         // null when the position holds no file or it cannot be read
        QString failedFile;   // native path of a file that exists but cannot be read
        bool present = false; // a file exists
    };
    // With a size, the picture is decoded straight to that size (as the window shows it), which
    // for JPEG files skips most of the decoding work.
    Picture read(const CatalogPosition& position, QSize size = {}) const;
    // The size in which the window shows a picture.
    static constexpr QSize kShownSize{100, 75};
    // The 25 pictures of a page in position order, at the shown size; missing or unreadable
    // positions get the placeholder. failed lists the files that could not be read.
    struct Page {
        std::array<QImage, 25> pictures;
        QStringList failed;
    };
    Page readPage(int page) const;
    // The grey placeholder "\Gray.BMP"; a plain grey picture when that file cannot be read.
    QImage placeholder() const;

    // Copies source to destination (a folder takes the source's file name): the bytes go to a
    // temporary file that replaces the destination only when all were written and flushed. An
    // empty text on success, otherwise the error ("Can't open source file.", "Can't create
    // distination file.").
    static QString copyFile(const QString& source, const QString& destination);

    // Whether a path names a file directly inside one of the catalog folders ("\RxKatalog",
    // "\TxKatalog", "\im0" .. "\im17").
    bool isCatalogFile(const QString& path) const;
    // The catalog folders' program names.
    static QStringList folderNames();

private:
    const ProgramFolder& folder_;
    mutable QImage placeholder_;
};

} // namespace winorbis
