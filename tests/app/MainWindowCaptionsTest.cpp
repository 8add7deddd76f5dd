// SPDX-License-Identifier: GPL-3.0-or-later
// The captions of the main window: the texts armed from their controls, placed with the mouse on
// the TX window and burnt into the TX picture, the callsign picture, the font and standard-text
// windows.
#include "MainWindowFixture.h"

#include "captions/CaptionSources.h"
#include "captions/CaptionTexts.h"
#include "captions/ui/CaptionWorkspace.h"
#include "captions/ui/TForm2.h"
#include "captions/ui/TfrmMemoBlk.h"
#include "controls/ButtonPicture.h"
#include "controls/TFlyingButton.h"
#include "settings/StationOptions.h"
#include "workspace/BmpFiles.h"
#include "workspace/ui/PaintBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

using namespace winorbis;
using namespace winorbis::test;

namespace {

struct CaptionsFixture : MainWindowFixture {
    void SetUp() override { start(); }

    CaptionWorkspace& captions() { return form->captions(); }
    QWidget* txWindow() { return control<QWidget>("PaintBox1"); }
    void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void clickTx(QPoint at) {
        mouse(txWindow(), QEvent::MouseMove, at, Qt::NoButton);
        mouse(txWindow(), QEvent::MouseButtonPress, at, Qt::LeftButton);
        mouse(txWindow(), QEvent::MouseButtonRelease, at, Qt::LeftButton);
    }
    int redPixels() {
        int n = 0;
        const QImage& tx = form->pictures().tx;
        for (int y = 0; y < tx.height(); ++y)
            for (int x = 0; x < tx.width(); ++x)
                n += QColor(tx.pixel(x, y)) == QColor(Qt::red);
        return n;
    }
};

} // namespace

TEST_F(CaptionsFixture, ShowsTheStoredCaptionSettingsAtTheStart) {
    EXPECT_EQ(control<QPushButton>("MyCall")->text(), "ID");
    EXPECT_EQ(control<QPushButton>("FORM1")->text(), "Message1");
    EXPECT_EQ(control<QPushButton>("FORM8")->text(), "Message8");
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "001");
    EXPECT_EQ(control<QLineEdit>("Edit3")->text(), " ");
    EXPECT_EQ(control<QSpinBox>("SpinEdit2")->value(), 0);
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("Slant")->isChecked());
    EXPECT_EQ(control<QWidget>("FontPanel")->geometry(), QRect(26, 412, 291, 65));
    EXPECT_EQ(control<QWidget>("Image1")->geometry(), QRect(325, 417, 65, 56));
    EXPECT_EQ(control<QWidget>("TextPanel")->geometry(), QRect(398, 412, 594, 64));
    EXPECT_EQ(control<QWidget>("FORM4")->geometry(), QRect(240, 32, 80, 20));
}

TEST_F(CaptionsFixture, TheCallsignIsArmedPlacedWithAClickAndBurntIn) {
    form->settings().callsignFont.faceName = QStringLiteral("DejaVu Sans");
    form->pictures().tx.fill(Qt::black); // the starter colour bars hold red
    control<QPushButton>("MyCall")->click();
    EXPECT_EQ(form->statusText(), captiontext::kCallsignStatus);
    EXPECT_TRUE(captions().framesShown());
    EXPECT_EQ(captions().placement().position(), QPoint(5, 220));
    EXPECT_EQ(redPixels(), 0);
    clickTx({150, 60});
    EXPECT_FALSE(captions().framesShown());
    EXPECT_GT(redPixels(), 50);
    EXPECT_EQ(form->pictures().txName, WorkingPictures::kNone);
    // The frame never reached the picture; a command removes a pending frame.
    control<QPushButton>("MyCall")->click();
    form->transmitClick(ModeId::Robot36);
    EXPECT_FALSE(captions().framesShown());
}

TEST_F(CaptionsFixture, TheContestNumberCountsAndTakesDroppedNumbers) {
    form->settings().contestNumber = 9999;
    control<QPushButton>("Button3")->click();
    EXPECT_EQ(captions().placement().pendingText(), "9999");
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "10000");
    EXPECT_EQ(form->statusText(), captiontext::kContestStatus);
    form->settings().contestNumber = 1;
    captions().Button3RightPress();
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "001");
    mouse(control<QWidget>("Button3"), QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);
    EXPECT_EQ(form->settings().contestNumber, 1);
    control<QLineEdit>("Edit2")->setText("12");
    captions().dropTypedText(control<QWidget>("Button3"));
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "012");
    control<QLineEdit>("Edit2")->setText("DL1ABC");
    captions().dropTypedText(control<QWidget>("Button3"));
    EXPECT_TRUE(dialogs.sawText(captiontext::notAnInteger("DL1ABC")));
    EXPECT_EQ(form->settings().contestNumber, 12);
}

TEST_F(CaptionsFixture, AStandardTextKeepsItsOwnFontAndTurn) {
    auto& caption = form->settings().callsignFont;
    caption.weight = 700;
    caption.italic = 1;
    caption.escapement = 300;
    control<QLineEdit>("Edit2")->setText("TNX FER QSO");
    captions().dropTypedText(control<QWidget>("FORM2"));
    auto* button = control<QPushButton>("FORM2");
    EXPECT_EQ(button->text(), "TNX FER QSO");
    EXPECT_TRUE(button->font().bold());
    EXPECT_TRUE(button->font().italic());
    // Armed while the turn field shows 0: an unrotated frame, the text drawn at 30°.
    control<QSpinBox>("SpinEdit2")->setValue(0);
    button->click();
    EXPECT_EQ(form->statusText(), captiontext::kStandardTextStatus);
    EXPECT_EQ(captions().placement().frameAngle(), 0);
    EXPECT_EQ(captions().placement().pendingStyle().font.escapement, 300);
    // Changing the turn now changes nothing armed.
    control<QSpinBox>("SpinEdit2")->setValue(45);
    EXPECT_EQ(captions().placement().frameAngle(), 0);
    EXPECT_EQ(form->settings().callsignFont.escapement, 450);
}

TEST_F(CaptionsFixture, TheCallsignPictureGoesIntoTheCornerAndOnEveryUploadWhileChecked) {
    QImage callsign(110, 26, QImage::Format_RGB888);
    callsign.fill(Qt::white);
    // A lost picture: the box on a click, only the status bar before an upload.
    ASSERT_TRUE(QFile::remove(dir.path() + "/callsign.bmp"));
    auto* insert = control<QCheckBox>("CheckBox4");
    insert->click();
    ASSERT_EQ(dialogs.count("error"), 1);
    // The reason is said once, not wrapped into a second "cannot be read".
    EXPECT_EQ(dialogs.texts().first().count("cannot be read"), 1)
        << dialogs.texts().first().toStdString();
    EXPECT_TRUE(dialogs.texts().first().contains("callsign.bmp"));
    EXPECT_TRUE(insert->isChecked());
    EXPECT_TRUE(StationOptions::load(form->programFolder()).flag("CallsignInsert"));
    form->ToOrbisClick();
    settle();
    EXPECT_EQ(dialogs.count("error"), 1);

    ASSERT_TRUE(BmpFiles::write(callsign, dir.path() + "/callsign.bmp", nullptr));
    form->pictures().tx.fill(Qt::black);
    form->ToOrbisClick();
    settle();
    EXPECT_EQ(QColor(form->pictures().tx.pixel(300, 230)), QColor(Qt::white));
    EXPECT_EQ(QColor(form->pictures().tx.pixel(299, 229)), QColor(Qt::black));
    // Unchecked: the click inserts once more, uploads leave the picture alone.
    insert->click();
    EXPECT_FALSE(StationOptions::load(form->programFolder()).flag("CallsignInsert", true));
    form->pictures().tx.fill(Qt::black);
    form->ToOrbisClick();
    settle();
    EXPECT_EQ(QColor(form->pictures().tx.pixel(300, 230)), QColor(Qt::black));
}

TEST_F(CaptionsFixture, PictureInPicturePastesTheRxPictureIntoTheTxPicture) {
    form->pictures().rx.fill(Qt::yellow);
    form->pictures().tx.fill(Qt::black);
    auto* pip = control<QWidget>("SpeedButton15");
    mouse(pip, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton);
    EXPECT_EQ(form->statusText(), captiontext::kPictureInPictureStatus);
    mouse(txWindow(), QEvent::MouseMove, {40, 40}, Qt::NoButton);
    mouse(txWindow(), QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton);
    mouse(txWindow(), QEvent::MouseButtonRelease, {40, 40}, Qt::LeftButton);
    mouse(txWindow(), QEvent::MouseMove, {140, 100}, Qt::NoButton);
    mouse(txWindow(), QEvent::MouseButtonPress, {140, 100}, Qt::LeftButton);
    EXPECT_EQ(QColor(form->pictures().tx.pixel(60, 60)), QColor(Qt::yellow));
    EXPECT_EQ(QColor(form->pictures().tx.pixel(150, 110)), QColor(Qt::black));
    EXPECT_FALSE(captions().framesShown());
}

TEST_F(CaptionsFixture, TheStandardTextLibraryHandsItsTextToTheTypedTextField) {
    TfrmMemoBlk library;
    captions().setLibraryWindow(&library);
    // A folder that lost its library file: the error box, an empty outline.
    ASSERT_TRUE(QFile::remove(dir.path() + "/winorbis.txt"));
    library.show();
    EXPECT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(library.windowTitle().startsWith("Standardtext: "));
    dialogs.answerInput(QStringLiteral("CQ CQ CQ de DL1ABC pse K")); // 24 characters
    library.AddClick();
    library.OkClick();
    EXPECT_EQ(control<QLineEdit>("Edit2")->text(), "CQ CQ CQ de DL1A");
    library.SaveClick();
    EXPECT_TRUE(QFile::exists(dir.path() + "/winorbis.txt"));
    library.hide();
    library.show();
    EXPECT_EQ(library.library().entries().size(), 1);
    captions().setLibraryWindow(nullptr);
}

TEST_F(CaptionsFixture, TheFontWindowSetsFaceWeightAndShadowColour) {
    TForm2 window;
    captions().setFontWindow(&window);
    ASSERT_GT(window.faces().size(), 1);
    window.prepare(form->settings(), dialogs);
    // Each button's caption fits its face with room for the raised edge.
    for (const TFlyingButton* button : window.findChildren<TFlyingButton*>()) {
        const QFontMetrics metrics(CaptionFont(button->font()));
        EXPECT_LE(metrics.horizontalAdvance(button->Text()), button->width() - 16)
            << button->Text().toStdString();
    }
    EXPECT_TRUE(window.findChild<QAbstractButton*>("RadioButton1")->isChecked()); // "Bold"
    auto* list = window.findChild<QListWidget*>("ListBox1");
    EXPECT_EQ(list->currentRow(), 1);
    list->setCurrentRow(0);
    window.findChild<QAbstractButton*>("RadioButton2")->click(); // "Normal"
    dialogs.answerColour(colours::clGreen);
    emit window.findChild<TFlyingButton*>("FlyingButton1")->OnClick(); // "Shadow"
    emit list->itemClicked(list->item(0));
    EXPECT_EQ(form->settings().fontIndex, 0);
    EXPECT_EQ(form->settings().callsignFont.faceName, window.faces().first().left(31));
    EXPECT_EQ(form->settings().callsignFont.weight, 400);
    EXPECT_EQ(form->settings().callsignFont.shadowColour, colours::clGreen);
    captions().setFontWindow(nullptr);
}

TEST_F(CaptionsFixture, ThePictureInscriptionItemExplains) {
    auto* item = form->findChild<QAction*>("SSTVBildbeschriftung1");
    ASSERT_TRUE(item);
    item->trigger();
    EXPECT_TRUE(dialogs.sawText(captiontext::kPictureInscription));
}
