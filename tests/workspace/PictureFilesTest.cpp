// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include "PictureTestSupport.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kGreen = qRgb(0, 200, 0);

bool near(QRgb a, QRgb b, int tolerance = 12) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

struct FilesFixture : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    WorkingPictures pictures;
    Settings settings = Settings::defaults("Face");
    PictureFiles files{folder, dialogs, pictures, settings};
    QStringList statuses;

    void SetUp() override {
        ASSERT_TRUE(folder.createMissingFolders().isEmpty());
        pictures.tx = WorkingPictures::defaultGradient();
        pictures.rx = WorkingPictures::defaultGradient();
        pictures.scratch = QImage(410, 256, QImage::Format_RGB888);
        files.setStatusSink([this](const QString& text) { statuses << text; });
    }

    QString at(const QString& name) const { return dir.path() + name; }

    // Names and file that a load must leave alone when it loads nothing.
    void nameEverything() {
        pictures.currentFile = "before.bmp";
        pictures.txName = "tx name";
        pictures.draggedName = "dragged name";
    }
    void expectNothingLoaded() const {
        EXPECT_EQ(pictures.currentFile, "before.bmp");
        EXPECT_EQ(pictures.txName, "tx name");
        EXPECT_EQ(pictures.draggedName, "dragged name");
        EXPECT_EQ(pictures.tx, WorkingPictures::defaultGradient());
    }

    // A 100 x 50 picture, red on the left and blue on the right.
    static QImage halves() {
        QImage picture = solid(100, 50, kRed);
        for (int y = 0; y < 50; ++y)
            for (int x = 50; x < 100; ++x)
                picture.setPixel(x, y, kBlue);
        return picture;
    }
};

} // namespace

// Loading into the TX picture.

TEST_F(FilesFixture, AChosenBmpIsScaledIntoTheWholeTxPictureWhichKeepsItsSize) {
    ASSERT_TRUE(halves().save(at("/halves.bmp"), "BMP"));
    nameEverything();
    dialogs.answerFile(at("/halves.bmp"));

    EXPECT_TRUE(files.openAndLoad(true));

    ASSERT_EQ(dialogs.fileRequests().size(), 1);
    const auto request = dialogs.fileRequests().first();
    EXPECT_EQ(request.filter, "Windows Bit Map *.bmp|*.BMP|JPEG Bitmap *.jpg|*.JPG");
    EXPECT_EQ(request.defaultExt, "BMP");
    EXPECT_EQ(QDir(request.folder).canonicalPath(), QDir(dir.path()).canonicalPath());
    EXPECT_EQ(statuses, QStringList{"Picture open in the format *.bmp,*.jpg"});
    EXPECT_EQ(dialogs.count("error"), 0);

    EXPECT_EQ(pictures.tx.size(), QSize(410, 256));
    EXPECT_EQ(pictures.tx.format(), QImage::Format_RGB888);
    EXPECT_EQ(pictures.tx.pixel(5, 5), kRed);
    EXPECT_EQ(pictures.tx.pixel(200, 250), kRed);
    EXPECT_EQ(pictures.tx.pixel(210, 0), kBlue);
    EXPECT_EQ(pictures.tx.pixel(409, 255), kBlue);
    EXPECT_EQ(pictures.scratch.size(), QSize(100, 50));
    EXPECT_EQ(pictures.currentFile, at("/halves.bmp"));
    EXPECT_EQ(pictures.txName, "$$$");
    EXPECT_EQ(pictures.draggedName, "$$$");
    EXPECT_EQ(files.lastChosenFile(), at("/halves.bmp"));
}

TEST_F(FilesFixture, TheExtensionDecidesByItsFirstFourCharactersInUpperCase) {
    // Every file holds a readable picture; only the name decides.
    const QImage red = solid(40, 30, kRed);
    const struct {
        const char* name;
        bool loads;
    } cases[] = {
        {"/a.BMP", true},      {"/b.Bmp", true},  {"/c.bmpx", true}, // ".BMP" of ".BMPX"
        {"/d.jpeg", false},    {"/e.gif", false}, {"/f", false},        {"/g.bm", false},
        {"/h.bmp.gif", false}, {"/i.png", false}, {"/j.gif.bmp", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool isJpeg = QString(c.name).endsWith("jpeg");
        ASSERT_TRUE(red.save(at(c.name), isJpeg ? "JPEG" : "BMP"));
        pictures.tx = WorkingPictures::defaultGradient();
        nameEverything();
        EXPECT_EQ(files.loadIntoTx(at(c.name)), c.loads);
        if (c.loads) {
            EXPECT_EQ(pictures.tx.pixel(100, 100), kRed);
            EXPECT_EQ(pictures.currentFile, at(c.name));
        } else {
            expectNothingLoaded();
        }
    }
    EXPECT_EQ(dialogs.count("error"), 0);
}

TEST_F(FilesFixture, AJpegIsLoadedThroughTempX) {
    ASSERT_TRUE(solid(320, 240, kGreen).save(at("/photo.JPG"), "JPEG"));
    nameEverything();
    dialogs.answerFile(at("/photo.JPG"));

    EXPECT_TRUE(files.openAndLoad(true));
    EXPECT_EQ(dialogs.count("error"), 0);
    EXPECT_EQ(pictures.currentFile, at("/tempX.bmp"));
    EXPECT_EQ(QImageReader(at("/tempX.bmp")).format(), "bmp");
    EXPECT_EQ(pictures.tx.size(), QSize(410, 256));
    EXPECT_TRUE(near(pictures.tx.pixel(300, 100), kGreen));
    EXPECT_EQ(pictures.txName, "$$$");
    EXPECT_EQ(pictures.draggedName, "$$$");
}

TEST_F(FilesFixture, AFileThatCannotBeReadLoadsNothingAndShowsTheError) {
    ASSERT_TRUE(writeAll(at("/broken.jpg"), "\xFF\xD8\xFF not really a JPEG"));
    ASSERT_TRUE(writeAll(at("/broken.bmp"), "BM not really a bitmap"));
    ASSERT_TRUE(solid(10, 10, kRed).save(at("/tempX.bmp"), "BMP")); // from an earlier JPEG
    for (const char* name : {"/broken.jpg", "/broken.bmp", "/missing.bmp", "/missing.jpg"}) {
        SCOPED_TRACE(name);
        dialogs.clear();
        nameEverything();
        EXPECT_FALSE(files.loadIntoTx(at(name)));
        expectNothingLoaded();
        ASSERT_EQ(dialogs.count("error"), 1);
        EXPECT_TRUE(dialogs.texts().first().contains(QFileInfo(name).fileName()))
            << dialogs.texts().first().toStdString();
    }
}

TEST_F(FilesFixture, TheOpenDialogWaitsForAnIdleLinkAndCancelLoadsNothing) {
    nameEverything();
    EXPECT_FALSE(files.openAndLoad(false));
    EXPECT_EQ(dialogs.count("open"), 0);
    EXPECT_EQ(statuses, QStringList{"Picture open in the format *.bmp,*.jpg"});

    dialogs.clear();
    dialogs.answerFile(std::nullopt);
    EXPECT_FALSE(files.openAndLoad(true));
    EXPECT_EQ(dialogs.count("open"), 1);
    expectNothingLoaded();
    EXPECT_TRUE(files.lastChosenFile().isEmpty());
}

TEST_F(FilesFixture, AClickOnTheTxWindowLoadsTheLastChosenFileAgain) {
    EXPECT_FALSE(files.reloadLastChosen()); // nothing chosen yet
    ASSERT_TRUE(solid(64, 64, kRed).save(at("/pic.bmp"), "BMP"));
    dialogs.answerFile(at("/pic.bmp"));
    ASSERT_TRUE(files.openAndLoad(true));
    dialogs.answerFile(std::nullopt); // a cancel keeps the file held
    EXPECT_FALSE(files.openAndLoad(true));

    ASSERT_TRUE(solid(64, 64, kBlue).save(at("/pic.bmp"), "BMP"));
    pictures.txName = "named meanwhile";
    EXPECT_TRUE(files.reloadLastChosen());
    EXPECT_EQ(dialogs.count("open"), 2);
    EXPECT_EQ(pictures.tx.pixel(0, 0), kBlue);
    EXPECT_EQ(pictures.txName, "$$$");
    EXPECT_EQ(pictures.currentFile, at("/pic.bmp"));
}

// The start picture.

TEST_F(FilesFixture, AMissingStartPictureShowsAnErrorAndTheTxPictureKeepsTheRamp) {
    EXPECT_FALSE(files.loadStartPicture());
    ASSERT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(dialogs.texts().first().startsWith("The picture file \"" + at("/start.bmp") +
                                                   "\" cannot be read"))
        << dialogs.texts().first().toStdString();
    EXPECT_EQ(pictures.tx, WorkingPictures::defaultGradient());
}

TEST_F(FilesFixture, TheStartPictureOfOneRunIsTheTxPictureOfTheNext) {
    pictures.tx = halves().scaled(410, 256);
    pictures.tx = pictures.tx.convertToFormat(QImage::Format_RGB888);
    const QImage saved = pictures.tx;
    ASSERT_TRUE(files.saveStartPicture());
    EXPECT_EQ(field(readAll(at("/start.bmp")), 28, 2), 24u); // 24 bits per pixel

    pictures.tx = WorkingPictures::defaultGradient();
    EXPECT_TRUE(files.loadStartPicture());
    EXPECT_EQ(pictures.tx, saved);
    EXPECT_EQ(dialogs.count("error"), 0);
}

TEST_F(FilesFixture, AStartPictureOfAnotherSizeAndSpellingIsScaledIntoTheTxPicture) {
    ASSERT_TRUE(solid(420, 256, kBlue).save(at("/START.BMP"), "BMP"));
    EXPECT_TRUE(files.loadStartPicture());
    EXPECT_EQ(pictures.tx.size(), QSize(410, 256));
    EXPECT_EQ(pictures.tx.pixel(409, 255), kBlue);
    EXPECT_EQ(pictures.scratch.size(), QSize(420, 256));
}

TEST_F(FilesFixture, AStartPictureThatCannotBeSavedLeavesTheOldOneWhole) {
    ASSERT_TRUE(solid(410, 256, kRed).save(at("/start.bmp"), "BMP"));
    const QByteArray old = readAll(at("/start.bmp"));
    pictures.tx = solid(410, 256, kBlue);
    bool saved = true;
    {
        const FileSizeLimit limit(1000);
        saved = files.saveStartPicture();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(dialogs.count("error"), 1);
    EXPECT_EQ(readAll(at("/start.bmp")), old);
}

// The TX catalog.

TEST_F(FilesFixture, TheTxCatalogStoreWritesTheBmpDeletesTheJpegAndAdvances) {
    pictures.tx = solid(410, 256, kRed);
    settings.txCatalogCounter = 3;
    ASSERT_TRUE(writeAll(at("/TxKatalog/Bild3.jpg"), "old JPEG form"));
    ASSERT_TRUE(writeAll(at("/TxKatalog/Bild4.jpg"), "another position"));

    const auto entry = files.storeInTxCatalog();

    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->position, 3);
    EXPECT_EQ(entry->file, at("/TxKatalog/Bild3.bmp"));
    EXPECT_EQ(QImage(entry->file).pixel(0, 0), kRed);
    EXPECT_FALSE(QFile::exists(at("/TxKatalog/Bild3.jpg")));
    EXPECT_TRUE(QFile::exists(at("/TxKatalog/Bild4.jpg")));
    EXPECT_EQ(settings.txCatalogCounter, 4);
    EXPECT_EQ(statuses, QStringList{"TX Picture stored in the TX catalog"});
    EXPECT_EQ(dialogs.count("error"), 0);
}

TEST_F(FilesFixture, TheTxCatalogCounterWrapsFromFiveAndStartsFromZero) {
    const struct {
        int counter;
        int next;
    } cases[] = {{5, 1}, {0, 1}, {1, 2}, {4, 5}, {9, 1}, {-2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.counter);
        settings.txCatalogCounter = c.counter;
        const auto entry = files.storeInTxCatalog();
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->position, c.counter);
        EXPECT_TRUE(QFile::exists(at(QStringLiteral("/TxKatalog/Bild%1.bmp").arg(c.counter))));
        EXPECT_EQ(settings.txCatalogCounter, c.next);
    }
    EXPECT_EQ(dialogs.count("error"), 0); // no JPEG form to delete is no failure
}

TEST_F(FilesFixture, CatalogFoldersSpelledInAnotherCaseAreFound) {
    ASSERT_TRUE(QDir(at("/TxKatalog")).removeRecursively());
    ASSERT_TRUE(QDir(at("/RxKatalog")).removeRecursively());
    ASSERT_TRUE(QDir().mkdir(at("/txkatalog")));
    ASSERT_TRUE(QDir().mkdir(at("/RXKATALOG")));
    ASSERT_TRUE(writeAll(at("/txkatalog/BILD2.JPG"), "old JPEG form"));
    settings.txCatalogCounter = 2;
    settings.receiveCounter = 2;

    ASSERT_TRUE(files.storeInTxCatalog());
    ASSERT_TRUE(files.storeInRxCatalog());
    EXPECT_EQ(QDir(at("/txkatalog")).entryList(QDir::Files), QStringList{"Bild2.bmp"});
    EXPECT_EQ(QDir(at("/RXKATALOG")).entryList(QDir::Files), QStringList{"Bild2.jpg"});
    EXPECT_EQ(dialogs.count("error"), 0);
}

TEST_F(FilesFixture, ATxCatalogStoreThatCannotWriteKeepsTheCounter) {
    ASSERT_TRUE(QDir(at("/TxKatalog")).removeRecursively());
    ASSERT_TRUE(writeAll(at("/TxKatalog"), "a file where the folder belongs"));
    settings.txCatalogCounter = 2;
    EXPECT_FALSE(files.storeInTxCatalog());
    EXPECT_EQ(dialogs.count("error"), 1);
    EXPECT_EQ(settings.txCatalogCounter, 2);
}

// The RX catalog.

TEST_F(FilesFixture, TheRxCatalogStoreWritesTheJpegAndNamesTheSlot) {
    pictures.rx = solid(410, 256, kGreen);
    settings.receiveCounter = 3;
    const Settings before = settings;
    const QDateTime when(QDate(2026, 12, 6), QTime(18, 45, 1));

    const auto entry = files.storeInRxCatalog(when);

    ASSERT_TRUE(entry);
    EXPECT_EQ(statuses, QStringList{"Picture stored in the RX Catalog"});
    EXPECT_EQ(entry->position, 3);
    EXPECT_EQ(entry->file, at("/RxKatalog/Bild3.jpg"));
    EXPECT_EQ(QImageReader(entry->file).format(), "jpeg");
    EXPECT_TRUE(near(QImage(entry->file).pixel(200, 100), kGreen));
    EXPECT_EQ(entry->name, PictureFiles::catalogName(when));
    EXPECT_TRUE(entry->named);
    EXPECT_EQ(entry->picture, pictures.rx);
    Settings expected = before;
    expected.slotNames[2] = entry->name;
    expected.receiveCounter = 4;
    EXPECT_EQ(settings, expected); // nothing else changed
    EXPECT_FALSE(folder.exists(u"\\Temp.bmp"));
    EXPECT_EQ(dialogs.count("error"), 0);
}

TEST_F(FilesFixture, TheReceiveCounterWrapsAtTwelveAndBeyondNamesNothing) {
    const struct {
        int counter;
        int next;
        bool named;
    } cases[] = {{12, 1, true},   {1, 2, true},    {13, 14, false}, {14, 15, false},
                 {15, 16, false}, {16, 17, false}, {0, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.counter);
        settings.receiveCounter = c.counter;
        settings.slotNames.fill("unchanged");
        const auto entry = files.storeInRxCatalog();
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->named, c.named);
        EXPECT_TRUE(QFile::exists(at(QStringLiteral("/RxKatalog/Bild%1.jpg").arg(c.counter))));
        EXPECT_EQ(settings.receiveCounter, c.next);
        const int changed =
            int(std::count_if(settings.slotNames.begin(), settings.slotNames.end(),
                              [](const QString& name) { return name != "unchanged"; }));
        EXPECT_EQ(changed, c.named ? 1 : 0);
        EXPECT_FALSE(QFile::exists(at("/Temp.bmp")));
    }
}

TEST_F(FilesFixture, AnRxCatalogStoreThatCannotWriteChangesNoNameOrCounter) {
    ASSERT_TRUE(QDir(at("/RxKatalog")).removeRecursively());
    settings.receiveCounter = 5;
    settings.slotNames.fill("unchanged");
    EXPECT_FALSE(files.storeInRxCatalog());
    ASSERT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(dialogs.texts().first().contains("Bild5.jpg")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(settings.receiveCounter, 5);
    EXPECT_EQ(settings.slotNames[4], "unchanged");
    EXPECT_FALSE(QFile::exists(at("/Temp.bmp")));
}

TEST(RxCatalogName, IsTheShortDateAndTheLongTimeWithoutATimeZone) {
    const QDateTime when(QDate(2026, 12, 6), QTime(18, 45, 1));
    EXPECT_EQ(PictureFiles::catalogName(when, QLocale(QLocale::German, QLocale::Germany)),
              "06.12.26 18:45:01");
    // The long time format of Qt ends in the time zone; the name has none.
    EXPECT_EQ(PictureFiles::catalogName(when, QLocale(QLocale::English, QLocale::UnitedStates)),
              "12/6/26 6:45:01 PM");
}

// Save as.

TEST_F(FilesFixture, SaveAsWritesATwentyFourBitBmpWithItsTexts) {
    pictures.tx = solid(410, 256, kRed);
    pictures.rx = solid(410, 256, kBlue);
    dialogs.answerFile(at("/tx.bmp"));
    dialogs.answerFile(at("/rx.bmp"));

    EXPECT_EQ(files.saveTxAs(), at("/tx.bmp"));
    EXPECT_EQ(files.saveRxAs(), at("/rx.bmp"));

    EXPECT_EQ(statuses, (QStringList{"Picture from TX Window stored in the format *.bmp",
                                     "Picure stored from TX Window",
                                     "Picture stored from RX Window in the format *.bmp",
                                     "Picture stored from RX Window"}));
    ASSERT_EQ(dialogs.fileRequests().size(), 2);
    EXPECT_EQ(dialogs.fileRequests()[0].filter, "Windows Bitmap *.bmp|*.bmp|Alle Dateien *.*|*.*");
    EXPECT_EQ(dialogs.fileRequests()[0].defaultExt, ".bmp");
    EXPECT_EQ(dialogs.fileRequests()[1].fileName, "tx.bmp"); // the dialog keeps its last name
    EXPECT_EQ(dialogs.count("yesno"), 0);
    const QByteArray tx = readAll(at("/tx.bmp"));
    EXPECT_EQ(tx.left(2), "BM");
    EXPECT_EQ(field(tx, 28, 2), 24u);
    EXPECT_EQ(QImage(at("/tx.bmp")).pixel(409, 0), kRed);
    EXPECT_EQ(QImage(at("/rx.bmp")).pixel(0, 255), kBlue);
}

TEST_F(FilesFixture, SaveAsOverAnExistingFileAsksAndNoKeepsItUntouched) {
    ASSERT_TRUE(writeAll(at("/old.bmp"), "the old file"));
    pictures.tx = solid(410, 256, kRed);
    dialogs.answerFile(at("/old.bmp"));
    dialogs.answerYesNo(false);

    EXPECT_FALSE(files.saveTxAs());
    EXPECT_EQ(dialogs.texts(), QStringList{"The File " + at("/old.bmp") + " existed. Overwrite?"});
    EXPECT_EQ(readAll(at("/old.bmp")), "the old file");
    EXPECT_EQ(statuses, QStringList{"Picture from TX Window stored in the format *.bmp"});

    dialogs.answerFile(at("/old.bmp"));
    dialogs.answerYesNo(true);
    EXPECT_TRUE(files.saveRxAs());
    EXPECT_EQ(QImage(at("/old.bmp")).convertToFormat(QImage::Format_RGB888), pictures.rx);
}

TEST_F(FilesFixture, CancelledOrFailedSaveAsWritesNothingAndReportsNoSuccess) {
    dialogs.answerFile(std::nullopt);
    EXPECT_FALSE(files.saveRxAs());
    dialogs.answerFile(at("/nowhere/rx.bmp"));
    EXPECT_FALSE(files.saveRxAs());
    EXPECT_EQ(statuses, QStringList(2, "Picture stored from RX Window in the format *.bmp"));
    ASSERT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(dialogs.texts().first().contains("rx.bmp\" cannot be written"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

TEST_F(FilesFixture, TheRxWindowIsSavedAsShownAfterTheSameQuestion) {
    const QImage shown = solid(341, 256, kGreen);
    ASSERT_TRUE(writeAll(at("/shown.bmp"), "the old file"));
    dialogs.answerFile(at("/shown.bmp"));
    dialogs.answerYesNo(false);
    EXPECT_FALSE(files.saveShownRxAs(shown));
    EXPECT_EQ(readAll(at("/shown.bmp")), "the old file");

    dialogs.answerFile(at("/shown.bmp"));
    EXPECT_EQ(files.saveShownRxAs(shown), at("/shown.bmp"));
    EXPECT_EQ(QImage(at("/shown.bmp")).size(), QSize(341, 256));
    EXPECT_EQ(QImage(at("/shown.bmp")).pixel(340, 255), kGreen);
    EXPECT_EQ(dialogs.count("yesno"), 2);
    EXPECT_TRUE(statuses.isEmpty());
}
