// SPDX-License-Identifier: GPL-3.0-or-later
// The mini slots on the main window: where they are, and the picture drags driven through Qt's
// drag events, as the drag machinery delivers them to the targets.
#include "MainWindowFixture.h"

#include "controls/TFlyingButton.h"
#include "workspace/BmpFiles.h"
#include "workspace/ui/PictureDragAndDrop.h"
#include "workspace/ui/SlotPanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace winorbis;
using namespace winorbis::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct SlotsFixture : MainWindowFixture {
    // Whether the target accepts a drag from the source (drag enter, then drag move).
    bool accepts(QWidget* target, DragSource source) {
        const std::unique_ptr<QMimeData> mime(PictureDragAndDrop::mimeFor(source));
        const QPoint centre = target->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(centre, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        return enter.isAccepted() && move.isAccepted();
    }
    void drop(QWidget* target, DragSource source) {
        const std::unique_ptr<QMimeData> mime(PictureDragAndDrop::mimeFor(source));
        QDropEvent event(QPointF(target->rect().center()), Qt::CopyAction, mime.get(),
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    QWidget* slotImage(const char* name) { return control<QWidget>(name); }
};

} // namespace

TEST_F(SlotsFixture, TheThumbnailPanelHoldsSixteenSlotsTheTrashCanAndTheCatalogButton) {
    start();
    auto* panel = control<SlotPanel>("ThumbnailPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(40, 488, 864, 182));
    EXPECT_EQ(control<QWidget>("Image3")->geometry(), QRect(8, 24, 60, 46));
    EXPECT_EQ(control<QWidget>("Image19")->geometry(), QRect(696, 112, 60, 46));
    EXPECT_EQ(control<QLabel>("SlotLabel3")->text(), "Picture 3 ");
    EXPECT_EQ(control<QLabel>("SlotLabel11")->text(), "Picture11");
    EXPECT_TRUE(control<QLabel>("PIC1")->isHidden());
    EXPECT_EQ(control<QWidget>("TrashPanel")->geometry(), QRect(790, 35, 41, 41));
    EXPECT_EQ(control<QWidget>("Image2")->size(), QSize(31, 34));
    EXPECT_EQ(control<QWidget>("Image2")->toolTip(), "Delete Picture - use Drag & Drop");
    auto* catalog = control<TFlyingButton>("FlyingButton18");
    EXPECT_EQ(catalog->geometry(), QRect(781, 123, 66, 24));
    EXPECT_EQ(catalog->Text(), "Catalog");
}

TEST_F(SlotsFixture, DropsThatWouldDoNothingAreRefused) {
    start();
    // A slot picture on another slot; the TX window or typed text on the trash can.
    EXPECT_FALSE(accepts(slotImage("Image11"), DragSource::Image));
    EXPECT_FALSE(accepts(slotImage("Image2"), DragSource::PaintBox));
    EXPECT_FALSE(accepts(slotImage("Image2"), DragSource::Other));
    EXPECT_TRUE(accepts(slotImage("Image2"), DragSource::Image));
    // The TX window takes a slot picture only while a slot drag runs.
    EXPECT_FALSE(accepts(control<QWidget>("PaintBox1"), DragSource::Image));
    form->miniSlots().slotStartDrag(3);
    EXPECT_TRUE(accepts(control<QWidget>("PaintBox1"), DragSource::Image));
    EXPECT_TRUE(accepts(control<QWidget>("PaintBox2"), DragSource::Image));
    EXPECT_FALSE(accepts(control<QWidget>("PaintBox1"), DragSource::Other));
}

TEST_F(SlotsFixture, TheTxWindowDroppedOnASlotSurvivesARestartWithItsName) {
    start();
    form->pictures().txName = "DL0WO";
    auto* tx = control<QWidget>("PaintBox1");
    // The press, then a move in both directions: the TX window's picture is being dragged.
    form->pictures().currentFile = dir.path() + "/start.bmp";
    mouse(tx, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
    EXPECT_EQ(form->miniSlots().dragState(), DragState::TxPressed);
    form->miniSlots().txStartDrag(); // what the first move in both directions does
    EXPECT_TRUE(accepts(slotImage("Image11"), DragSource::PaintBox));
    drop(slotImage("Image11"), DragSource::PaintBox);
    EXPECT_EQ(form->miniSlots().dragState(), DragState::Idle);
    const QImage stored = form->pictures().tx;
    EXPECT_EQ(BmpFiles::read(dir.path() + "/Kleinbilder/Bild5.bmp", nullptr).pixel(30, 30),
              stored.pixel(30, 30));
    EXPECT_EQ(control<QLabel>("PIC5")->text(), "DL0WO");
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();

    form.reset();
    start();
    EXPECT_EQ(control<QLabel>("PIC5")->text(), "DL0WO");
    EXPECT_EQ(control<SlotThumbnail>("Image11")->picture().pixel(30, 30), stored.pixel(30, 30));
}

TEST_F(SlotsFixture, APlainClickOnTheTxWindowStartsNoDrag) {
    start();
    auto* tx = control<QWidget>("PaintBox1");
    form->pictures().currentFile = dir.path() + "/start.bmp";
    mouse(tx, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
    mouse(tx, QEvent::MouseMove, {40, 20}, Qt::LeftButton); // horizontal only
    EXPECT_EQ(form->miniSlots().dragState(), DragState::TxPressed);
    mouse(tx, QEvent::MouseButtonRelease, {40, 20}, Qt::NoButton);
    EXPECT_EQ(form->miniSlots().dragState(), DragState::Idle);
}

TEST_F(SlotsFixture, ATestPictureClickShowsItInTheTxWindowAndLeavesItOnTheClipboard) {
    start();
    auto* label = control<QLabel>("TestPictureLabel");
    EXPECT_EQ(label->text(), "Test picture");
    auto* box = control<QWidget>("ScrollBox1");
    EXPECT_EQ(box->geometry(), QRect(920, 506, 91, 163));
    QTest::mouseClick(control<QWidget>("Image20"), Qt::LeftButton);
    EXPECT_EQ(form->pictures().tx.size(), QSize(420, 256));
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888),
              form->pictures().tx.convertToFormat(QImage::Format_RGB888));
}

TEST_F(SlotsFixture, TheClipboardAndPrintCommandsSitInTheMenusWithTheirKeys) {
    start();
    EXPECT_EQ(control<QAction>("Drucken1")->shortcut(), QKeySequence("Ctrl+T"));
    EXPECT_EQ(control<QAction>("Drucken2")->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_EQ(control<QAction>("PrinterSetup1")->text(), "Printer S&etup");
    // Paste with no picture on the clipboard: an error box, the start picture stays.
    QGuiApplication::clipboard()->setText("no picture");
    const QByteArray before = readAll(dir.path() + "/start.bmp");
    ASSERT_TRUE(control<QToolButton>("SpeedButton3")->isEnabled());
    control<QToolButton>("SpeedButton3")->click();
    EXPECT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(readAll(dir.path() + "/start.bmp"), before);
}
