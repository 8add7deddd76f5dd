// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogTestSupport.h"

#include "catalog/CatalogController.h"
#include "catalog/CatalogTexts.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"
#include "workspace/PictureTestSupport.h"
#include "workspace/PictureTexts.h"
#include "workspace/WorkingPictures.h"

#include <map>

namespace winorbis::test {
namespace {

constexpr QRgb kRed = qRgb(220, 30, 30);
constexpr QRgb kBlue = qRgb(30, 30, 220);
constexpr QRgb kGreen = qRgb(30, 200, 30);
constexpr QRgb kGrey = qRgb(128, 128, 128);

// What the window would show, keyed by position.
struct RecordingView : CatalogView {
    static QString key(const CatalogPosition& p) {
        return QStringLiteral("%1/%2/%3").arg(int(p.kind)).arg(p.page).arg(p.number);
    }
    void showPicture(const CatalogPosition& p, const QImage& picture) override {
        pictures[key(p)] = picture;
    }
    void showName(const CatalogPosition& p, const QString& name) override { names[key(p)] = name; }
    void showPageButton(int page, const QString& caption, bool current) override {
        buttons[page] = {caption, current};
    }
    void closeCatalog() override { ++closed; }

    QImage picture(const CatalogPosition& p) const {
        const auto found = pictures.find(key(p));
        return found == pictures.end() ? QImage() : found->second;
    }
    QString name(const CatalogPosition& p) const {
        const auto found = names.find(key(p));
        return found == names.end() ? QStringLiteral("(not shown)") : found->second;
    }

    std::map<QString, QImage> pictures;
    std::map<QString, QString> names;
    std::map<int, std::pair<QString, bool>> buttons;
    int closed = 0;
};

// The fixture stands in for the main window around the catalog.
struct CatalogControllerTest : ::testing::Test, CatalogHost {
    CatalogFolder station;
    ScriptedDialogs dialogs;
    WorkingPictures pictures;
    Settings settings = Settings::defaults(QStringLiteral("Arial"));
    RecordingView view;
    QStringList copiedToTx;
    int slotNameChanges = 0;
    std::unique_ptr<CatalogController> catalog;

    bool copyToTx(const QString& file) override {
        copiedToTx << file;
        return true;
    }
    void slotNamesChanged() override { ++slotNameChanges; }

    void create() {
        catalog = std::make_unique<CatalogController>(station.folder, dialogs, pictures, settings,
                                                      view, *this);
        catalog->FormCreate();
    }
    // A picture dragged from one position and dropped on another; the drag then ends.
    void drag(const CatalogPosition& from, const CatalogPosition& to) {
        ASSERT_TRUE(catalog->pictureMouseDown(from, true));
        catalog->pictureDragDrop(to, CatalogSource::Picture);
        catalog->pictureEndDrag(from);
    }
    void dragText(const QString& text, const std::function<void()>& drop) {
        catalog->textStartDrag(text);
        drop();
        catalog->textEndDrag();
    }
};

TEST_F(CatalogControllerTest, CreationFillsTheCatalogsTheNamesAndTheSavedPage) {
    station.write("TxKatalog/Bild1.bmp", kRed);
    station.write("TxKatalog/Bild2.bmp", kRed);
    station.write("TxKatalog/bild2.JPG", kBlue);
    station.write("RxKatalog/Bild4.jpg", kGreen);
    station.write("im5/cat7.bmp", kBlue);
    settings.catalogPage = 5;
    settings.slotNames[3] = "DL1ABC 59";
    settings.txNames[0] = "CQ";
    settings.pageNames[5] = "Contest";
    settings.positionNames[5][7] = "QSL";
    create();

    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::tx(1)), kRed));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::tx(2)), kBlue)); // the JPEG form wins
    EXPECT_TRUE(view.picture(CatalogPosition::tx(3)).isNull());          // stays empty
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::rx(4)), kGreen));
    EXPECT_TRUE(view.picture(CatalogPosition::rx(5)).isNull());
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(5, 7)), kBlue));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(5, 8)), kGrey));
    EXPECT_EQ(view.name(CatalogPosition::rx(4)), "DL1ABC 59");
    EXPECT_EQ(view.name(CatalogPosition::rx(5)), "RxPic4");
    EXPECT_EQ(view.name(CatalogPosition::tx(1)), "CQ");
    EXPECT_EQ(view.name(CatalogPosition::tx(2)), "Comment");
    EXPECT_EQ(view.name(CatalogPosition::general(5, 7)), "QSL");
    // Page 5 is marked (Button6 bold), the other 17 not.
    ASSERT_EQ(view.buttons.size(), 18u);
    for (const auto& [page, button] : view.buttons) {
        EXPECT_EQ(button.second, page == 5) << page;
        EXPECT_EQ(button.first, page == 5 ? "Contest" : QStringLiteral("IMAGE%1").arg(page + 1));
    }
    EXPECT_FALSE(catalog->deletionFlag());
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(CatalogControllerTest, UnreadablePicturesShowThePlaceholderInOneBoxAndTheRestLoads) {
    station.writeBytes("TxKatalog/Bild1.jpg", "broken");
    station.write("TxKatalog/Bild2.bmp", kRed);
    station.writeBytes("im0/cat3.jpg", "broken too");
    station.write("im0/cat4.jpg", kBlue);
    create();
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::tx(1)), kGrey));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::tx(2)), kRed));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(0, 3)), kGrey));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(0, 4)), kBlue));
    ASSERT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(dialogs.texts().first().contains(station.file("TxKatalog/Bild1.jpg")));
    EXPECT_TRUE(dialogs.texts().first().contains(station.file("im0/cat3.jpg")));

    // A page change after a page with pictures shows the new page only.
    station.writeBytes("im2/cat4.jpg", "broken");
    dialogs.clear();
    catalog->selectPage(2);
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(2, 4)), kGrey));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(2, 3)), kGrey));
    EXPECT_EQ(dialogs.count("error"), 1);
}

TEST_F(CatalogControllerTest, APageChangeShowsThePageItsNamesAndItsMarking) {
    create();
    settings.positionNames[3][0] = "first";
    QDir(station.dir.path()).rmdir("im3");
    catalog->selectPage(3);
    EXPECT_EQ(settings.catalogPage, 3);
    EXPECT_EQ(view.name(CatalogPosition::general(3, 0)), "first");
    EXPECT_TRUE(view.buttons[3].second);
    EXPECT_FALSE(view.buttons[0].second);
    for (int k = 0; k < 25; ++k)
        EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(3, k)), kGrey));
    // The names and buttons of a missing page still work.
    dragText("Sunset", [&] { catalog->nameLabelDragDrop(CatalogPosition::general(3, 1)); });
    EXPECT_EQ(settings.positionNames[3][1], "Sunset");
    dragText("Holiday", [&] { catalog->pageButtonDragDrop(3); });
    EXPECT_EQ(settings.pageNames[3], "Holiday");
    EXPECT_EQ(view.buttons[3].first, "Holiday");
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(CatalogControllerTest, DropsCopyThePictureAndCarryTheName) {
    // An RX JPEG onto general position 9 of page 4.
    station.write("RxKatalog/Bild2.jpg", kGreen);
    station.write("im4/CAT9.BMP", kRed);
    settings.slotNames[1] = "VK2XYZ";
    settings.catalogPage = 4;
    create();
    drag(CatalogPosition::rx(2), CatalogPosition::general(4, 9));
    EXPECT_EQ(station.bytes("im4/cat9.jpg"), station.bytes("RxKatalog/Bild2.jpg"));
    EXPECT_FALSE(station.exists("im4/CAT9.BMP"));
    EXPECT_TRUE(station.exists("RxKatalog/Bild2.jpg"));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::general(4, 9)), kGreen));
    EXPECT_EQ(settings.positionNames[4][9], "VK2XYZ");
    EXPECT_EQ(view.name(CatalogPosition::general(4, 9)), "VK2XYZ");
    EXPECT_EQ(pictures.draggedName, WorkingPictures::kNone);

    // A BMP from TX position 2 onto TX position 5 replaces its JPEG form.
    station.write("TxKatalog/Bild2.bmp", kBlue);
    station.write("TxKatalog/Bild5.jpg", kRed);
    settings.txNames[1] = "Portable";
    drag(CatalogPosition::tx(2), CatalogPosition::tx(5));
    EXPECT_EQ(station.bytes("TxKatalog/Bild5.bmp"), station.bytes("TxKatalog/Bild2.bmp"));
    EXPECT_FALSE(station.exists("TxKatalog/Bild5.jpg"));
    EXPECT_EQ(settings.txNames[4], "Portable");
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::tx(5)), kBlue));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(CatalogControllerTest, DropsThatChangeNothing) {
    station.write("im0/cat3.bmp", kRed);
    settings.positionNames[0][3] = "mine";
    create();
    const QByteArray before = station.bytes("im0/cat3.bmp");
    const QImage shown = view.picture(CatalogPosition::general(0, 3));

    // A picture dropped on its own position.
    drag(CatalogPosition::general(0, 3), CatalogPosition::general(0, 3));
    EXPECT_EQ(station.bytes("im0/cat3.bmp"), before);
    EXPECT_EQ(view.picture(CatalogPosition::general(0, 3)).cacheKey(), shown.cacheKey());
    EXPECT_EQ(settings.positionNames[0][3], "mine");

    // An empty RX position dropped anywhere: the file error, nothing written or deleted.
    station.write("im0/cat5.bmp", kBlue);
    drag(CatalogPosition::rx(7), CatalogPosition::general(0, 5));
    EXPECT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(station.exists("im0/cat5.bmp"));
    EXPECT_FALSE(station.exists("im0/cat5.jpg"));

    // An empty general position arms no drag and leaves the current picture file.
    pictures.currentFile = "kept";
    EXPECT_FALSE(catalog->pictureMouseDown(CatalogPosition::general(0, 6), true));
    EXPECT_EQ(pictures.currentFile, "kept");
    // Other sources are refused.
    EXPECT_FALSE(CatalogController::pictureAccepts(CatalogSource::Other));
    EXPECT_FALSE(CatalogController::nameLabelAccepts(CatalogSource::Picture));
    EXPECT_FALSE(CatalogController::trashAccepts(CatalogSource::TextField));
}

TEST_F(CatalogControllerTest, AFailedCopyLeavesTheTargetAsItWas) {
    station.write("im0/cat1.jpg", kRed, {420, 256});
    station.write("im0/cat2.bmp", kBlue, {420, 256});
    station.write("im0/cat2.jpg", kGreen, {8, 8});
    settings.positionNames[0][2] = "old";
    create();
    const QByteArray oldJpeg = station.bytes("im0/cat2.jpg");
    const QImage shown = view.picture(CatalogPosition::general(0, 2));
    {
        const FileSizeLimit limit(2048); // the disk is full
        drag(CatalogPosition::general(0, 1), CatalogPosition::general(0, 2));
    }
    EXPECT_TRUE(dialogs.sawText(CatalogTexts::kCannotCreateDestination));
    EXPECT_EQ(station.bytes("im0/cat2.jpg"), oldJpeg);
    EXPECT_TRUE(station.exists("im0/cat2.bmp"));
    EXPECT_EQ(view.picture(CatalogPosition::general(0, 2)).cacheKey(), shown.cacheKey());
    EXPECT_EQ(settings.positionNames[0][2], "old");
}

TEST_F(CatalogControllerTest, NamingByDraggingText) {
    settings.pageNames[2] = "Kept";
    settings.positionNames[0][4] = "before";
    create();
    // An empty text on a page button changes nothing; on a picture it gives the empty name.
    dragText("", [&] { catalog->pageButtonDragDrop(2); });
    EXPECT_EQ(settings.pageNames[2], "Kept");
    dragText("", [&] {
        catalog->pictureDragDrop(CatalogPosition::general(0, 4), CatalogSource::TextField);
    });
    EXPECT_EQ(settings.positionNames[0][4], "");
    EXPECT_EQ(view.name(CatalogPosition::general(0, 4)), "");
    dragText("Mobile", [&] { catalog->nameLabelDragDrop(CatalogPosition::tx(3)); });
    EXPECT_EQ(settings.txNames[2], "Mobile");
    EXPECT_EQ(view.name(CatalogPosition::tx(3)), "Mobile");
    // A picture dragged onto a page button names the page after the picture.
    station.write("TxKatalog/Bild1.bmp", kRed);
    settings.txNames[0] = "Field Day";
    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::tx(1), true));
    catalog->pageButtonDragDrop(7);
    catalog->pictureEndDrag(CatalogPosition::tx(1));
    EXPECT_EQ(settings.pageNames[7], "Field Day");
    EXPECT_EQ(view.buttons[7].first, "Field Day");
    EXPECT_EQ(pictures.draggedName, WorkingPictures::kNone);
}

TEST_F(CatalogControllerTest, TheTrashCan) {
    station.write("RxKatalog/Bild4.jpg", kGreen);
    station.write("im0/cat8.bmp", kRed);
    station.write("im0/cat8.jpg", kBlue);
    settings.positionNames[0][8] = "gone soon";
    settings.slotNames[3] = "named";
    create();

    // Cancel: file, picture and name stay.
    dialogs.answerOkCancel(false);
    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::rx(4), true));
    catalog->trashDragDrop(CatalogSource::Picture);
    catalog->pictureEndDrag(CatalogPosition::rx(4));
    EXPECT_TRUE(dialogs.sawText(PictureTexts::kTrashQuestion));
    EXPECT_TRUE(station.exists("RxKatalog/Bild4.jpg"));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::rx(4)), kGreen));
    EXPECT_EQ(settings.slotNames[3], "named");

    // OK: the RX picture goes, the position turns grey and slot name 4 becomes "Bild 4".
    dialogs.answerOkCancel(true);
    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::rx(4), true));
    catalog->trashDragDrop(CatalogSource::Picture);
    EXPECT_TRUE(catalog->deletionFlag());
    catalog->pictureEndDrag(CatalogPosition::rx(4));
    EXPECT_FALSE(catalog->deletionFlag());
    EXPECT_FALSE(station.exists("RxKatalog/Bild4.jpg"));
    EXPECT_TRUE(looksLike(view.picture(CatalogPosition::rx(4)), kGrey));
    EXPECT_EQ(settings.slotNames[3], "Bild 4");
    EXPECT_EQ(view.name(CatalogPosition::rx(4)), "Bild 4");
    EXPECT_EQ(slotNameChanges, 1);

    // A general position loses both forms and its name; TX positions are called "Name".
    dialogs.answerOkCancel(true);
    drag(CatalogPosition::general(0, 8), CatalogPosition::general(0, 8));
    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::general(0, 8), true));
    catalog->trashDragDrop(CatalogSource::Picture);
    catalog->pictureEndDrag(CatalogPosition::general(0, 8));
    EXPECT_FALSE(station.exists("im0/cat8.bmp"));
    EXPECT_FALSE(station.exists("im0/cat8.jpg"));
    EXPECT_EQ(settings.positionNames[0][8], "");
    station.write("TxKatalog/Bild2.bmp", kRed);
    dialogs.answerOkCancel(true);
    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::tx(2), true));
    catalog->trashDragDrop(CatalogSource::Picture);
    catalog->pictureEndDrag(CatalogPosition::tx(2));
    EXPECT_EQ(settings.txNames[1], CatalogTexts::kTxResetName);
}

TEST_F(CatalogControllerTest, TheTrashCanDeletesNothingOutsideTheCatalogFolders) {
    create();
    const QString slotFile = station.write("Kleinbilder/Bild1.bmp", kRed);
    for (const QString& file : {slotFile, station.file("Gray.BMP"), QStringLiteral("$$$")}) {
        pictures.currentFile = file;
        dialogs.answerOkCancel(true);
        catalog->trashDragDrop(CatalogSource::Picture);
        EXPECT_FALSE(catalog->deletionFlag());
    }
    EXPECT_TRUE(QFile::exists(slotFile));
    EXPECT_TRUE(station.exists("Gray.BMP"));
    EXPECT_EQ(dialogs.count("message"), 3);
}

TEST_F(CatalogControllerTest, AClickCopiesIntoTheTxWindowAndClosesTheCatalog) {
    station.write("TxKatalog/Bild1.bmp", kRed);
    station.write("im0/cat2.jpg", kBlue);
    create();
    // An empty TX position: nothing happens.
    EXPECT_FALSE(catalog->pictureMouseDown(CatalogPosition::tx(3), true));
    EXPECT_FALSE(catalog->pictureClick(CatalogPosition::tx(3)));
    EXPECT_TRUE(copiedToTx.isEmpty());
    EXPECT_EQ(view.closed, 0);

    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::tx(1), true));
    EXPECT_TRUE(catalog->pictureClick(CatalogPosition::tx(1)));
    EXPECT_EQ(copiedToTx, QStringList{station.file("TxKatalog/Bild1.bmp")});
    EXPECT_EQ(view.closed, 1);

    // A JPEG goes through "\tempX.bmp", which becomes the current picture file.
    ASSERT_TRUE(catalog->pictureMouseDown(CatalogPosition::general(0, 2), true));
    EXPECT_TRUE(catalog->pictureClick(CatalogPosition::general(0, 2)));
    EXPECT_EQ(copiedToTx.last(), station.file("tempX.bmp"));
    EXPECT_EQ(pictures.currentFile, station.file("tempX.bmp"));
    EXPECT_TRUE(looksLike(QImage(station.file("tempX.bmp")), kBlue));
    // A release without a click over a general position forgets the picture file.
    catalog->pictureMouseUp(CatalogPosition::general(0, 2));
    EXPECT_EQ(pictures.currentFile, WorkingPictures::kNone);
}

} // namespace
} // namespace winorbis::test
