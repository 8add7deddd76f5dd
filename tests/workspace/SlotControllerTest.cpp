// SPDX-License-Identifier: GPL-3.0-or-later
// The mini slots and the picture drags between slots, picture windows and trash can, on real
// files in a temporary program folder.
#include "workspace/SlotController.h"
#include "workspace/BmpFiles.h"
#include "workspace/SlotTable.h"
#include "workspace/WorkingPictures.h"

#include "PictureTestSupport.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace winorbis;
using namespace winorbis::test;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

struct ShownSlots : SlotView {
    std::map<int, QImage> pictures;
    std::map<int, QString> names;
    void showSlotPicture(int n, const QImage& picture) override { pictures[n] = picture; }
    void showSlotName(int n, const QString& name) override { names[n] = name; }
};

// The window around the slots, counting what the slots asked of it.
struct WindowAround : SlotHost {
    bool frames = false;
    int txShown = 0, rxShown = 0, framesRemoved = 0;
    void removeFrames() override { ++framesRemoved; }
    bool framesShown() const override { return frames; }
    void txPictureChanged() override { ++txShown; }
    void rxPictureChanged() override { ++rxShown; }
};

struct SlotFixture : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    WorkingPictures pictures;
    Settings settings = Settings::defaults("Face");
    ShownSlots shown;
    WindowAround window;
    std::unique_ptr<SlotController> controller;

    void SetUp() override {
        ASSERT_TRUE(folder.createMissingFolders().isEmpty());
        pictures.tx = solid(410, 256, kRed);
        pictures.rx = WorkingPictures::defaultGradient();
        QString error;
        ASSERT_TRUE(BmpFiles::write(solid(80, 60, qRgb(160, 160, 160)),
                                    folder.path(kGrayPictureName), &error));
        controller =
            std::make_unique<SlotController>(folder, dialogs, pictures, settings, shown, window);
    }
    QString slotFile(int n) const { return folder.path(slotFileName(n)); }
    void writeSlot(int n, const QImage& picture) {
        QString error;
        ASSERT_TRUE(BmpFiles::write(picture, slotFile(n), &error)) << error.toStdString();
    }
    // A slot picture dragged and dropped on the TX window, as the window runs it.
    void dragSlotToTx(int n) {
        controller->slotMouseDown(n);
        controller->slotStartDrag(n);
        if (controller->txAccepts(DragSource::Image))
            controller->txDragDrop();
        controller->slotEndDrag(n);
    }
};

} // namespace

TEST(SlotTable, LabelsNamesAndPlacesFollowTheWindowLayout) {
    EXPECT_EQ(slot(1).image, "Image3");
    EXPECT_EQ(slot(3).label, "Picture 3 ");
    EXPECT_EQ(slot(11).label, "Picture11");
    EXPECT_EQ(slot(16).image, "Image19");
    EXPECT_EQ(slot(16).nameLabel, "PIC16");
    EXPECT_EQ(slot(1).defaultName, "Bild1");
    EXPECT_EQ(slot(7).defaultName, "RxTemp7");
    EXPECT_EQ(slot(5).position, QPoint(408, 24));
    EXPECT_EQ(slot(9).position, QPoint(8, 112));
    EXPECT_EQ(slotFileName(12), "\\Kleinbilder\\Bild12.bmp");
}

TEST_F(SlotFixture, StartUpShowsTheSlotFilesThatExistAndEveryName) {
    writeSlot(2, solid(410, 256, kBlue));
    settings.slotNames[1] = "DL1ABC";
    controller->loadAll();
    EXPECT_EQ(shown.pictures.size(), 16u);
    EXPECT_EQ(shown.pictures[2].pixel(5, 5), kBlue);
    EXPECT_TRUE(shown.pictures[3].isNull()) << "a missing file leaves the slot empty";
    EXPECT_EQ(shown.names[2], "DL1ABC");
    EXPECT_EQ(shown.names[16], "RxPic15"); // the settings' first name, which counts as a name
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(SlotFixture, ADefaultNameDragsAsUnnamedOnlyInItsOwnSlot) {
    writeSlot(6, solid(410, 256, kBlue));
    writeSlot(7, solid(410, 256, kBlue));
    settings.slotNames[6] = "RxTemp7";
    settings.slotNames[5] = "RxTemp7";
    controller->slotStartDrag(7);
    EXPECT_EQ(pictures.draggedName, "$$$");
    EXPECT_EQ(pictures.currentFile, slotFile(7));
    EXPECT_EQ(controller->dragState(), DragState::SlotDragging);
    EXPECT_EQ(window.framesRemoved, 1);
    controller->slotStartDrag(6);
    EXPECT_EQ(pictures.draggedName, "RxTemp7");
}

TEST_F(SlotFixture, ASlotOnTheTxWindowLoadsItsFileAtItsOwnSizeWithItsName) {
    writeSlot(3, solid(420, 256, kBlue));
    settings.slotNames[2] = "CQ SSTV";
    dragSlotToTx(3);
    EXPECT_EQ(pictures.tx.size(), QSize(420, 256));
    EXPECT_EQ(pictures.tx.pixel(0, 0), kBlue);
    EXPECT_EQ(pictures.txName, "CQ SSTV");
    EXPECT_EQ(window.txShown, 1);
    EXPECT_EQ(controller->dragState(), DragState::Idle);
}

TEST_F(SlotFixture, WhileACaptionFrameIsShownTheTxWindowKeepsItsPicture) {
    writeSlot(3, solid(420, 256, kBlue));
    window.frames = true;
    dragSlotToTx(3);
    EXPECT_EQ(pictures.tx.pixel(0, 0), kRed);
    EXPECT_EQ(controller->dragState(), DragState::Idle);
}

TEST_F(SlotFixture, TheTrashCanBlanksTheSlotKeepsItsNameAndTheTxWindowThenReportsTheFile) {
    writeSlot(4, solid(410, 256, kBlue));
    settings.slotNames[3] = "W1AW";
    controller->slotStartDrag(4);
    ASSERT_TRUE(SlotController::trashAccepts(DragSource::Image));
    controller->trashDragDrop();
    EXPECT_TRUE(dialogs.sawText("If you want the picture deleted ?"));
    EXPECT_FALSE(QFile::exists(slotFile(4)));
    EXPECT_EQ(pictures.draggedName, "$$$");
    controller->slotEndDrag(4);
    EXPECT_EQ(shown.pictures[4].pixel(1, 1), qRgb(160, 160, 160));
    EXPECT_EQ(settings.slotNames[3], "W1AW");
    EXPECT_FALSE(controller->deleteFlag());

    dialogs.clear();
    dragSlotToTx(4);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains("Bild4.bmp")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(pictures.tx.pixel(0, 0), kRed) << "the TX picture stays";
}

TEST_F(SlotFixture, CancellingTheTrashCanQuestionDeletesNothing) {
    writeSlot(4, solid(410, 256, kBlue));
    controller->slotStartDrag(4);
    dialogs.answerOkCancel(false);
    controller->trashDragDrop();
    controller->slotEndDrag(4);
    EXPECT_TRUE(QFile::exists(slotFile(4)));
    EXPECT_TRUE(shown.pictures.empty());
}

TEST_F(SlotFixture, TheTrashCanDeletesOnlyMiniSlotFiles) {
    const QString elsewhere = dir.path() + "/holiday.bmp";
    QString error;
    ASSERT_TRUE(BmpFiles::write(solid(10, 10, kBlue), elsewhere, &error));
    pictures.currentFile = elsewhere;
    controller->trashDragDrop();
    EXPECT_TRUE(QFile::exists(elsewhere));
    EXPECT_FALSE(controller->deleteFlag());
    EXPECT_EQ(dialogs.texts().size(), 2) << "the question, then why nothing was deleted";
    // A slot file that is already gone is deleted silently.
    pictures.currentFile = slotFile(9);
    dialogs.clear();
    controller->trashDragDrop();
    EXPECT_EQ(dialogs.texts(), QStringList{"If you want the picture deleted ?"});
    EXPECT_TRUE(controller->deleteFlag());
}

TEST_F(SlotFixture, OnlyTheTxWindowDropsOnASlotAndItsPictureBecomesTheSlotFile) {
    EXPECT_FALSE(SlotController::slotAccepts(DragSource::Image)) << "slot on slot";
    EXPECT_FALSE(SlotController::slotAccepts(DragSource::Other));
    EXPECT_TRUE(SlotController::slotAccepts(DragSource::PaintBox));
    pictures.txName = "DK0XYZ";
    controller->txMouseDown();
    controller->txStartDrag();
    controller->slotDragDrop(5);
    EXPECT_EQ(BmpFiles::read(slotFile(5), nullptr).pixel(3, 3), kRed);
    EXPECT_EQ(shown.pictures[5].pixel(3, 3), kRed);
    EXPECT_EQ(pictures.currentFile, slotFile(5));
    EXPECT_EQ(settings.slotNames[4], "DK0XYZ");
    EXPECT_EQ(shown.names[5], "DK0XYZ");
    EXPECT_EQ(controller->dragState(), DragState::Idle);
}

TEST_F(SlotFixture, ASlotFileThatCannotBeWrittenKeepsTheOldFileAndSaysWhy) {
    writeSlot(5, solid(410, 256, kBlue));
    const QByteArray before = readAll(slotFile(5));
    settings.slotNames[4] = "old name";
    pictures.txName = "new name";
    {
        const FileSizeLimit limit(1000);
        controller->txMouseDown();
        controller->txStartDrag();
        controller->slotDragDrop(5);
    }
    EXPECT_EQ(readAll(slotFile(5)), before);
    EXPECT_EQ(settings.slotNames[4], "old name");
    EXPECT_TRUE(shown.pictures.empty());
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains("cannot be written"));
}

TEST_F(SlotFixture, TheTxWindowDragsOnlyOnAMoveInBothDirectionsWithAFile) {
    pictures.currentFile = "some.bmp";
    controller->txMouseDown();
    EXPECT_FALSE(controller->txDragMayStart({10, 10}, {10, 10})) << "a click";
    EXPECT_FALSE(controller->txDragMayStart({10, 10}, {30, 10})) << "horizontal";
    EXPECT_FALSE(controller->txDragMayStart({10, 10}, {10, 30})) << "vertical";
    EXPECT_TRUE(controller->txDragMayStart({10, 10}, {12, 13}));
    window.frames = true;
    EXPECT_FALSE(controller->txDragMayStart({10, 10}, {12, 13}));
    window.frames = false;
    pictures.currentFile = WorkingPictures::kNone;
    EXPECT_FALSE(controller->txDragMayStart({10, 10}, {12, 13}));
    pictures.currentFile = "some.bmp";
    controller->txMouseUp();
    EXPECT_FALSE(controller->txDragMayStart({10, 10}, {12, 13})) << "without a press";
}

TEST_F(SlotFixture, TheRxWindowShowsTheFileNotTheCaptionedTxPicture) {
    const QString loaded = folder.path(slotFileName(2));
    writeSlot(2, solid(410, 256, kBlue));
    pictures.currentFile = loaded;       // the file last loaded into the TX window
    pictures.tx = solid(410, 256, kRed); // with a caption burnt in meanwhile
    EXPECT_FALSE(controller->rxAccepts(DragSource::PaintBox)) << "no drag runs";
    controller->txMouseDown();
    controller->txStartDrag();
    ASSERT_TRUE(controller->rxAccepts(DragSource::PaintBox));
    controller->rxDragDrop();
    EXPECT_EQ(pictures.rx.pixel(7, 7), kBlue);
    EXPECT_EQ(window.rxShown, 1);
    EXPECT_EQ(controller->dragState(), DragState::Idle);
}

TEST_F(SlotFixture, TheFetchFillsASlotWithItsFileAndName) {
    writeSlot(8, solid(410, 256, kBlue));
    controller->fill(8, "081226_101500");
    EXPECT_EQ(shown.pictures[8].pixel(0, 0), kBlue);
    EXPECT_EQ(shown.names[8], "081226_101500");
    EXPECT_EQ(settings.slotNames[7], "081226_101500");
    controller->fill(17, "nothing"); // no such slot
    EXPECT_EQ(shown.names.size(), 1u);
}
