// SPDX-License-Identifier: GPL-3.0-or-later
// Receptions and transfers in the main window, against a converter in memory on virtual time and
// against the simulated converter over a pseudo-terminal.
#include "MainWindowFixture.h"

#include "app/TForm1.h"
#include "controls/TFlyingButton.h"
#include "controls/TNewProgressBar.h"
#include "converter/PixelCodec.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPictures.h"
#include "support/VirtualClock.h"
#include "tools/simulator/ConverterSimulator.h"
#include "workspace/ui/PaintBox.h"
#include "workspace/ui/SlotPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;
namespace pc = winorbis::pixelcodec;

namespace {

const QString kReady = " Ready for Receive ";

struct ReceptionFixture : MainWindowFixture {
    // A reception in Martin 1 announced by the converter, up to the running end-of-reception
    // timer.
    void announceMartin1() {
        port->arrive(QByteArray(1, char(172)));
        ASSERT_TRUE(pumpUntil([&] { return form->link().linkState() == LinkState::Waiting; }));
        ASSERT_TRUE(pumpUntil([&] { return form->receiveTimerRunning(); }));
        EXPECT_TRUE(form->statusText().startsWith(" Mode Martin 1"));
    }
    void endOfReception() {
        clock.advance(115000);
        settle();
    }
};

} // namespace

TEST_F(ReceptionFixture, AReceptionEndsWithThePictureInTheRxWindowTheSlotAndAutoSave) {
    start();
    const QImage frame = randomPicture(420, 256, 21);
    converter->fill(frame);
    announceMartin1();
    EXPECT_EQ(control<TFlyingButton>("RXSTOP")->FaceColor(), colours::clLime);
    EXPECT_FALSE(control<QWidget>("SpeedButton4")->isEnabled());

    endOfReception();
    // The fetch ran: 1, then 4 for each of the 256 lines.
    EXPECT_TRUE(port->written().endsWith(QByteArray("\x01", 1) + QByteArray(256, '\x04')));
    EXPECT_FALSE(control<PaintBox>("PaintBox2")->isHidden());
    const auto decoded =
        pc::decodeLine(reinterpret_cast<const std::uint8_t*>(converter->memory[100].constData()));
    EXPECT_EQ(form->pictures().rx.pixel(0, 100), decoded[10] | 0xFF000000u);
    EXPECT_EQ(files("/Kleinbilder"), QStringList{"Bild1.bmp"});
    ASSERT_EQ(files("/AutoSpeichern").size(), 1);
    const QString stamp = form->settings().slotNames[0];
    EXPECT_EQ(files("/AutoSpeichern").first(), stamp + ".jpg");
    EXPECT_EQ(form->pictures().draggedName, stamp);
    EXPECT_EQ(form->settings().receiveCounter, 2);
    // The picture shows in its mini slot, with its name.
    EXPECT_EQ(control<SlotThumbnail>("Image3")->picture().pixel(0, 100),
              form->pictures().rx.pixel(0, 100));
    EXPECT_EQ(control<QLabel>("PIC1")->text(), stamp);

    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == kReady; }));
    EXPECT_EQ(control<TFlyingButton>("RXSTOP")->FaceColor(), colours::clRed);
    EXPECT_EQ(control<TFlyingButton>("RXSTOP")->Text(), "RX Stop");
    EXPECT_TRUE(control<QWidget>("SpeedButton4")->isEnabled());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
}

TEST_F(ReceptionFixture, WithoutSavePicAutoNothingIsFetchedButTheRepeaterSends) {
    start();
    control<QCheckBox>("CheckBox2")->setChecked(false);
    EXPECT_TRUE(control<QWidget>("FromOrbis")->isEnabled());
    form->Ein2Click();
    EXPECT_FALSE(control<QWidget>("Label27")->isHidden());
    announceMartin1();
    const qsizetype before = port->written().size();
    clock.advance(115000); // what shows at once, before the monitor answers
    EXPECT_EQ(control<TFlyingButton>("RXSTOP")->Text(), "Lade");
    ASSERT_TRUE(pumpUntil([&] { return port->written().size() > before; }));
    EXPECT_EQ(port->written().mid(before), QByteArray(1, char(56)));
    EXPECT_TRUE(pumpUntil([&] {
        return form->statusText() == " Senden in Martin 1, stopped the transfer with the \" RX \" "
                                     "Button on the remote maintenance";
    }));
    EXPECT_TRUE(files("/Kleinbilder").isEmpty());
}

TEST_F(ReceptionFixture, TheReceiveStopEndsAWaitWithoutAFetch) {
    start();
    announceMartin1();
    const qsizetype before = port->written().size();
    form->RXSTOPClick();
    EXPECT_EQ(form->statusText(), "Receive stopped, ready for receive");
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == kReady; }));
    endOfReception(); // the timer was stopped: nothing happens any more
    QCoreApplication::processEvents();
    EXPECT_EQ(port->written().mid(before), QByteArray(1, '\x01'));
    EXPECT_TRUE(files("/Kleinbilder").isEmpty());
}

TEST_F(ReceptionFixture, AFetchByHandWhileTheRepeaterIsOnShowsTheNoteFirst) {
    start();
    form->Ein2Click();
    converter->fill(randomPicture(420, 256, 22));
    form->FromOrbisClick();
    settle();
    const auto shown = dialogs.shown();
    ASSERT_GE(shown.size(), 2);
    EXPECT_EQ(shown[0].what, "beep");
    EXPECT_EQ(shown[1].text, "Repeater Function is switched on.");
    EXPECT_EQ(files("/Kleinbilder"), QStringList{"Bild1.bmp"});
    EXPECT_EQ(form->statusText(), " ");
    EXPECT_FALSE(form->station().busy());
}

TEST_F(ReceptionFixture, TheFetchAtTheEndOfAReceptionNotesTheRepeaterWithoutABox) {
    start();
    ASSERT_TRUE(control<QCheckBox>("CheckBox2")->isChecked());
    form->Ein2Click();
    QStringList statusTexts;
    QObject::connect(form->findChild<QStatusBar*>("StatusBar1"), &QStatusBar::messageChanged,
                     [&](const QString& text) { statusTexts << text; });
    converter->fill(randomPicture(420, 256, 23));
    announceMartin1();
    endOfReception();
    EXPECT_TRUE(statusTexts.contains("Repeater Function is switched on."))
        << statusTexts.join('|').toStdString();
    EXPECT_EQ(files("/Kleinbilder"), QStringList{"Bild1.bmp"});
    EXPECT_EQ(files("/AutoSpeichern").size(), 1);
    EXPECT_TRUE(dialogs.shown().isEmpty()) << dialogs.texts().join('|').toStdString();

    // A fetch by hand afterwards still shows the note with its beep.
    form->FromOrbisClick();
    settle();
    ASSERT_EQ(dialogs.count("beep"), 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"Repeater Function is switched on."});
}

TEST_F(ReceptionFixture, PcToOrbisUploadsTheTxPicture) {
    start();
    auto* bar = control<TNewProgressBar>("ProgressBar1");
    form->ToOrbisClick();
    settle();
    EXPECT_EQ(bar->Max(), 280);
    EXPECT_EQ(bar->Position(), 280);
    EXPECT_EQ(form->statusText(), "Load picture from PC to Orbis 70");
    EXPECT_EQ(converter->uploadedLines(), 256);
    EXPECT_EQ(converter->memory[0], pc::headerLine());
    EXPECT_EQ(converter->memory[128], pc::encodeImageRow(form->pictures().tx, 128));
    EXPECT_FALSE(form->station().busy());
}

TEST_F(ReceptionFixture, AConverterThatFallsSilentDuringAFetchStillLeavesThePictureStored) {
    start();
    converter->fill(randomPicture(420, 256, 23));
    converter->silentFromFetchLine = 100;
    form->FromOrbisClick();
    settle();
    // The progress bar stays where the fetch stopped.
    EXPECT_EQ(control<TNewProgressBar>("ProgressBar1")->Position(), 99);
    EXPECT_EQ(dialogs.texts().last(), "Communication error[data]");
    EXPECT_EQ(files("/Kleinbilder"), QStringList{"Bild1.bmp"});
    EXPECT_EQ(files("/AutoSpeichern").size(), 1);
    EXPECT_EQ(form->statusText(), " ");
}

TEST_F(ReceptionFixture, AFailedAutomaticFetchShowsNoBoxAndLeavesItsMessageInTheStatusLine) {
    start();
    ASSERT_TRUE(control<QCheckBox>("CheckBox2")->isChecked());
    converter->fill(randomPicture(420, 256, 24));
    converter->silentFromFetchLine = 100;
    QStringList statusTexts;
    QObject::connect(form->findChild<QStatusBar*>("StatusBar1"), &QStatusBar::messageChanged,
                     [&](const QString& text) { statusTexts << text; });
    announceMartin1();
    endOfReception();
    ASSERT_TRUE(pumpUntil([&] { return statusTexts.contains("Communication error[data]"); }))
        << statusTexts.join('|').toStdString();
    // Nothing waits for an answer: the message went to standard error only.
    EXPECT_EQ(dialogs.texts(), QStringList()) << dialogs.texts().join('|').toStdString();
    EXPECT_GE(dialogs.count("stderr"), 1);
    EXPECT_EQ(files("/Kleinbilder"), QStringList{"Bild1.bmp"});
    EXPECT_FALSE(dialogs.unattended());
}

TEST_F(ReceptionFixture, SavePicAutoFromTheSettingsDisablesTheFetchButtonFromTheStart) {
    start();
    EXPECT_TRUE(control<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_FALSE(control<QWidget>("FromOrbis")->isEnabled());
    // The menu item still fetches.
    converter->fill(randomPicture(420, 256, 24));
    control<QAction>("Orbis70PC1")->trigger();
    settle();
    EXPECT_EQ(files("/Kleinbilder"), QStringList{"Bild1.bmp"});
}

TEST(MainWindowEndToEnd, AReceptionFromTheSimulatedConverterAndALineThatCloses) {
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(WorkingPictures::defaultGradient().save(dir.path() + "/start.bmp"));
    ScriptedDialogs dialogs;
    VirtualClock clock; // the reception time passes in virtual time; the line is real
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = device;
    TForm1 form(services);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(form.link().LastStatus(), 76);

    QImage frame(420, 256, QImage::Format_RGB888);
    frame.fill(qRgb(255, 0, 0));
    sim.receive(60, frame);
    ASSERT_TRUE(pumpUntil([&] { return form.link().linkState() == LinkState::Waiting; }));
    ASSERT_TRUE(pumpUntil([&] { return form.receiveTimerRunning(); }));
    EXPECT_TRUE(form.statusText().startsWith(" Mode Scottie 1"));
    clock.advance(111000);
    ASSERT_TRUE(pumpUntil([&] { return !form.station().busy(); }));
    EXPECT_EQ(form.pictures().rx.pixel(200, 100), qRgb(252, 0, 0));
    EXPECT_TRUE(QFile::exists(dir.path() + "/Kleinbilder/Bild1.bmp"));
    EXPECT_EQ(QDir(dir.path() + "/AutoSpeichern").entryList({"*.jpg"}, QDir::Files).size(), 1);
    // The slot's hint says when (UTC) and in which mode the picture came.
    const auto* slot = form.findChild<SlotThumbnail*>("Image3");
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(slot->toolTip().startsWith("Received 20")) << slot->toolTip().toStdString();
    EXPECT_TRUE(slot->toolTip().endsWith(" UTC, Scottie 1")) << slot->toolTip().toStdString();
    ASSERT_TRUE(pumpUntil([&] { return form.statusText() == kReady; }));

    // The line closes in the middle of the next fetch.
    frame.fill(qRgb(0, 0, 255));
    sim.receive(172, frame);
    ASSERT_TRUE(pumpUntil([&] { return form.receiveTimerRunning(); }));
    sim.closeAfterLines(60);
    clock.advance(115000);
    ASSERT_TRUE(pumpUntil([&] { return !form.station().busy(); }));
    // The automatic fetch shows no box: its failure goes to standard error.
    EXPECT_FALSE(dialogs.texts().contains("Communication error[data]"))
        << dialogs.texts().join('|').toStdString();
    bool noted = false;
    for (const auto& shown : dialogs.shown())
        noted |= shown.what == "stderr" && shown.text == "Communication error[data]";
    EXPECT_TRUE(noted);
    EXPECT_TRUE(QFile::exists(dir.path() + "/Kleinbilder/Bild2.bmp"));
    const QImage partial(dir.path() + "/Kleinbilder/Bild2.bmp");
    EXPECT_EQ(partial.pixel(200, 10), qRgb(0, 0, 252) | 0xFF000000u);
    EXPECT_EQ(partial.pixel(200, 100), qRgb(252, 0, 0) | 0xFF000000u); // the earlier picture
    // Both receptions have their line in the reception log: time, mode, slot file, JPEG file.
    QFile log(dir.path() + "/AutoSpeichern/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest after the last line break
    EXPECT_TRUE(lines[2].isEmpty());
    const QStringList modes = {"Scottie 1", "Martin 1"};
    for (int n = 0; n < 2; ++n) {
        const QStringList fields = QString::fromUtf8(lines[n]).split('\t');
        ASSERT_EQ(fields.size(), 4) << lines[n].constData();
        const QDateTime when = QDateTime::fromString(fields[0], Qt::ISODate);
        EXPECT_TRUE(when.isValid() && when.timeSpec() == Qt::UTC) << lines[n].constData();
        EXPECT_LT(std::abs(when.secsTo(QDateTime::currentDateTimeUtc())), 120);
        EXPECT_EQ(fields[1], modes[n]);
        EXPECT_EQ(fields[2], dir.path() + QStringLiteral("/Kleinbilder/Bild%1.bmp").arg(n + 1));
        EXPECT_TRUE(fields[3].startsWith(dir.path() + "/AutoSpeichern/")) << lines[n].constData();
        EXPECT_TRUE(QFile::exists(fields[3])) << lines[n].constData();
    }
    // The program goes on: the receive stop still works on the dead line.
    form.RXSTOPClick();
    EXPECT_EQ(form.statusText(), "Receive stopped, ready for receive");
}
