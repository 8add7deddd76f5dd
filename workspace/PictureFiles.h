// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace winorbis {

class Dialogs;
class ProgramFolder;
struct Settings;
struct WorkingPictures;

// The picture files of the main window: loading a BMP or JPEG file into the TX picture, the
// start picture "\start.bmp", the TX and RX catalog stores and the save-as commands of both
// windows. It changes the working pictures, their names and the catalog counters and names in
// the settings; the windows show the results. A file that cannot be read or written is shown in
// the standard error box and ends the command, leaving pictures, names and counters as they were.
// Status-bar texts go to the status sink, the pictures stored in a catalog to the catalog
// listener.
class PictureFiles {
public:
    using StatusSink = std::function<void(const QString&)>;

    static inline const QString kStartPictureName = QStringLiteral("\\start.bmp");
    static inline const QString kTempName = QStringLiteral("\\Temp.bmp");

    // Where a TX picture went in the TX catalog. The catalog shows positions 1 to 5.
    struct TxCatalogEntry {
        int position = 0;
        QString file; // native path of "\TxKatalog\Bild" N ".bmp"
    };
    // Where an RX picture went in the RX catalog. Positions 1 to 12 are shown by the catalog
    // with their names; others only get the file.
    struct RxCatalogEntry {
        int position = 0;
        QString file;       // native path of "\RxKatalog\Bild" N ".jpg"
        QString name;       // date and time of the store
        bool named = false; // position 1..12: the name was stored as slot N's name
        QImage picture;     // the picture as stored
    };

    // Told of each picture stored in the TX or RX catalog, once its file is written and the names
    // and counters are up to date, so that the catalog window shows it at once. The catalog
    // wiring implements it.
    class CatalogListener {
    public:
        virtual ~CatalogListener() = default;
        virtual void txPictureStored(const TxCatalogEntry& entry) = 0;
        virtual void rxPictureStored(const RxCatalogEntry& entry) = 0;
    };

    PictureFiles(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                 Settings& settings)
        : folder_(folder)
        , dialogs_(dialogs)
        , pictures_(pictures)
        , settings_(settings) {}

    void setStatusSink(StatusSink sink) { status_ = std::move(sink); }
    void setCatalogListener(CatalogListener* listener) { catalogListener_ = listener; }

    // BildladenTxClick without removing the frames: the status text, and while the link is idle
    // the open dialog in the program folder and the load of the chosen file. True when a picture
    // was loaded.
    bool openAndLoad(bool linkIdle);
    // The file last chosen in the open dialog, empty before the first choice.
    const QString& lastChosenFile() const { return lastChosen_; }
    // The click on the TX window: loads the last chosen file again, without the dialog. False
    // when nothing was loaded (no file chosen yet, or it cannot be loaded).
    bool reloadLastChosen();
    // Loads a file into the TX picture by its extension (upper case, first four characters):
    // ".BMP" directly, ".JPG" through "\tempX.bmp"; any other extension loads nothing. The file
    // is scaled into the whole TX picture, which keeps its size; the dragged-picture and TX
    // picture names become "$$$" and the current picture file the loaded BMP. A file that cannot
    // be read loads nothing and changes no name.
    bool loadIntoTx(const QString& path);

    // LoadPicClick: "\start.bmp" scaled into the whole TX picture. False (and the error shown)
    // when it cannot be read; the TX picture then keeps what it had.
    bool loadStartPicture();
    // SaveEndPicClick's file step: the TX picture saved as "\start.bmp".
    bool saveStartPicture();

    // BildspeichernTxClick's file steps: the TX picture saved as "\TxKatalog\Bild" N ".bmp" with
    // N the TX catalog counter, the JPEG form of that position deleted and the counter advanced
    // (from 5 on, and from 0 or below, to 1).
    std::optional<TxCatalogEntry> storeInTxCatalog();
    // BildspeichernRxClick: the RX picture converted through "\Temp.bmp" into
    // "\RxKatalog\Bild" N ".jpg" with N the receive counter; for N = 1..12 the name becomes slot
    // N's name; the counter advances (12 to 1, otherwise N + 1).
    std::optional<RxCatalogEntry>
    storeInRxCatalog(const QDateTime& when = QDateTime::currentDateTime());

    // BildspeichernunterTxClick and BildspeichernunterRxClick: the save dialog, the overwrite
    // question and the picture saved as BMP. The path written, or nothing when cancelled,
    // declined or failed.
    std::optional<QString> saveTxAs();
    std::optional<QString> saveRxAs();
    // FlyingButton23Click: the RX window's picture as shown (341 x 256), through the same dialog
    // and question.
    std::optional<QString> saveShownRxAs(const QImage& shown);

    // The name of an RX catalog picture: date and time in the locale's short date and long time
    // format (without a time zone).
    static QString catalogName(const QDateTime& when, const QLocale& locale = QLocale::system());

private:
    void status(const QString& text) const {
        if (status_)
            status_(text);
    }
    QSize txSize() const;
    std::optional<QString> askSavePath();
    // Writes the picture as BMP; a failure is shown in the standard error box.
    bool save(const QImage& picture, const QString& path);

    const ProgramFolder& folder_;
    Dialogs& dialogs_;
    WorkingPictures& pictures_;
    Settings& settings_;
    StatusSink status_;
    CatalogListener* catalogListener_ = nullptr;
    QString lastChosen_;
    QString lastSaved_;
};

} // namespace winorbis
