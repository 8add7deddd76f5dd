// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TForm7.h"

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;
class QWidget;

namespace winorbis {

class Dialogs;
class Printers;
class ProgramFolder;
struct WorkingPictures;

// The window around the picture commands: its status line, and what it does around a paste or a
// test picture. The main window's picture host implements it.
class PictureExchangeHost {
public:
    virtual ~PictureExchangeHost() = default;
    virtual void showStatus(const QString& text) = 0;
    // Erases pending caption and picture-in-picture frames.
    virtual void removeFrames() = 0;
    // LoadPicClick: the TX picture from the start picture.
    virtual void loadStartPicture() = 0;
    // The TX window shows the TX picture 1:1.
    virtual void txPictureChanged() = 0;
};

// The clipboard, print and test picture commands of the main window. Copying puts the TX or RX
// picture on the system clipboard; pasting takes the clipboard's picture into the TX picture
// through the start picture "\start.bmp"; printing shows the picture in the preview window,
// asks, and prints the preview's client area at its on-screen size; a test picture replaces
// the TX picture by way of the clipboard. Status texts and what the main window does around the
// commands (removing the caption frames, loading the start picture, showing the TX picture) go
// to the host, boxes and questions through Dialogs.
class PictureExchange {
public:
    // printers: nullptr for the machine's printers (SystemPrinters).
    PictureExchange(WorkingPictures& pictures, const ProgramFolder& folder, Dialogs& dialogs,
                    PictureExchangeHost& host, std::unique_ptr<Printers> printers = nullptr);
    ~PictureExchange();
    PictureExchange(const PictureExchange&) = delete;
    PictureExchange& operator=(const PictureExchange&) = delete;

    // The preview window made at start-up. Without one the exchange makes its own on the
    // first print.
    void setPreview(TForm7* preview) { preview_ = preview; }
    // The window over which the printer setup dialog opens.
    void setDialogParent(QWidget* parent) { dialogParent_ = parent; }
    Printers& printers() { return *printers_; }

    void BildkopierenTxClick();
    void BildkopierenRxClick();
    // False when nothing was pasted (no picture on the clipboard, "\start.bmp" not written).
    bool BildeinfuegenTxClick();
    void Drucken1Click();
    void Drucken2Click();
    void Druckereinrichten1Click();
    // Test picture 0 .. 4 (Image20, Image14, Image21, Image22, Image24).
    void testPictureClick(int index);

    // Where the preview's client image lands on the page: at the top-left corner of the
    // printable area, each side scaled by printer over screen resolution.
    static QRectF pageRect(QSize client, double scaleX, double scaleY);
    // Draws the client image on the page as pageRect places it.
    static void drawPage(QPainter& painter, const QImage& client, double scaleX, double scaleY);

private:
    void status(const QString& text) const { host_.showStatus(text); }
    void print(const QImage& picture, const QString& question);
    void printPreview(TForm7& preview);
    // Prints the preview's client area; false (and the operator told) when the printer or file
    // cannot be opened.
    bool printOn(QPrinter& printer, TForm7& preview);
    // The PDF file chosen to print into; empty when the operator cancelled.
    QString pdfFileName();
    TForm7& preview();

    WorkingPictures& pictures_;
    const ProgramFolder& folder_;
    Dialogs& dialogs_;
    PictureExchangeHost& host_;
    std::unique_ptr<Printers> printers_;
    QPointer<TForm7> preview_; // the window may go first at the end
    std::unique_ptr<TForm7> ownPreview_;
    QWidget* dialogParent_ = nullptr;
};

} // namespace winorbis
