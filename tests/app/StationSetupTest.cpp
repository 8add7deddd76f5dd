// SPDX-License-Identifier: GPL-3.0-or-later
// The beacons and the setup window on the main window, on virtual time and the converter in
// memory.
#include "MainWindowFixture.h"

#include "app/StationSetup.h"
#include "app/TForm6.h"
#include "captions/ui/CaptionWorkspace.h"
#include "controls/TFlyingButton.h"
#include "link/LinkTexts.h"
#include "link/SerialDevices.h"
#include "link/ui/TForm5.h"
#include "settings/PortMap.h"
#include "support/EventPump.h"
#include "workspace/BmpFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace winorbis;
using namespace winorbis::test;

namespace {

struct BeaconFixture : MainWindowFixture {
    std::unique_ptr<TForm5> setup;
    std::unique_ptr<TForm6> info;
    std::unique_ptr<StationSetup> station;

    void SetUp() override {
        start();
        setup = std::make_unique<TForm5>();
        info = std::make_unique<TForm6>();
        station = std::make_unique<StationSetup>(*form, *setup, *info, clock, dialogs);
    }
    void TearDown() override {
        station.reset();
        MainWindowFixture::TearDown();
    }
    // A one-colour picture at a position of page 0.
    void picture(int position, QColor colour, const char* extension = "bmp") {
        QImage image(410, 256, QImage::Format_RGB888);
        image.fill(colour);
        const QString path =
            dir.path() + QStringLiteral("/im0/cat%1.%2").arg(position).arg(extension);
        if (QString::fromLatin1(extension).toLower() == "bmp")
            ASSERT_TRUE(BmpFiles::write(image, path, nullptr));
        else
            ASSERT_TRUE(image.save(path, "JPG"));
    }
    void press(const char* button) {
        emit setup->findChild<TFlyingButton*>(QString::fromLatin1(button))->OnClick();
    }
    QColor txColour() const { return QColor(form->pictures().tx.pixel(100, 100)); }
    bool near(QColor a, QColor b) const {
        return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
               std::abs(a.blue() - b.blue()) < 8;
    }
};

} // namespace

TEST_F(BeaconFixture, StartSendsAPictureASecondLaterAndThenEveryInterval) {
    picture(0, Qt::red);
    picture(1, Qt::blue, "JPG");
    setup->catalogTimer()->setValue(60);
    EXPECT_EQ(form->settings().beaconInterval, 60);
    press("CatalogTx");
    settle();
    const int before = converter->uploadedLines();
    clock.advance(1000);
    settle();
    EXPECT_GT(converter->uploadedLines(), before);
    EXPECT_TRUE(near(txColour(), Qt::red));
    EXPECT_EQ(port->written().back(), char(62)); // Robot 36 after the upload
    // The countdown runs from the upload's start; the upload itself takes its time on the line.
    clock.advance(50000);
    settle();
    EXPECT_TRUE(near(txColour(), Qt::red));
    EXPECT_TRUE(form->statusText().startsWith("Beacon Intervaltime : "));
    EXPECT_TRUE(form->statusText().endsWith("Picture : 1"));
    clock.advance(15000, [&] { return near(txColour(), Qt::blue); });
    settle();
    EXPECT_TRUE(near(txColour(), Qt::blue));
    // Back to the first position after the empty ones.
    clock.advance(50000);
    settle();
    EXPECT_TRUE(near(txColour(), Qt::blue));
    clock.advance(15000, [&] { return near(txColour(), Qt::red); });
    settle();
    EXPECT_TRUE(near(txColour(), Qt::red));
    EXPECT_EQ(dialogs.texts(), QStringList());
}

TEST_F(BeaconFixture, WithoutAModeThePictureIsUploadedButNotSent) {
    picture(7, Qt::green); // the only picture of the page
    setup->findChild<QCheckBox*>("CheckBox2")->setChecked(false);
    setup->catalogTimer()->setValue(30);
    press("CatalogTx");
    settle();
    clock.advance(1000);
    settle();
    EXPECT_TRUE(near(txColour(), Qt::green));
    EXPECT_NE(port->written().back(), char(62));
    EXPECT_NE(port->written().back(), char(56));
    form->pictures().tx.fill(Qt::black);
    clock.advance(40000, [&] { return near(txColour(), Qt::green); });
    settle();
    EXPECT_TRUE(near(txColour(), Qt::green));
    // Martin 1 clears Robot 36 and sends 56.
    setup->findChild<QCheckBox*>("CheckBox3")->setChecked(true);
    clock.advance(40000, [&] { return port->written().back() == char(56); });
    settle();
    EXPECT_EQ(port->written().back(), char(56));
}

// A failed upload sends no mode byte (the converter would transmit the old picture of its memory),
// is said in the status bar without a box, and the beacon goes on at the next interval.
TEST_F(BeaconFixture, AFailedUploadSendsNoModeByteAndTheBeaconGoesOn) {
    picture(3, Qt::red);
    setup->catalogTimer()->setValue(20);
    converter->noLineAckFrom = 40;
    QStringList said;
    QObject::connect(form->findChild<QStatusBar*>("StatusBar1"), &QStatusBar::messageChanged,
                     [&](const QString& text) { said << text; });
    const auto failureSaid = [&] {
        return !said.filter(QRegularExpression("^Beacon: the upload of .*cat3.bmp failed$"))
                    .isEmpty();
    };
    press("CatalogTx");
    settle();
    // The upload fails on the converter's worker while the beacon's seconds go on.
    for (int second = 0; second < 15 && !failureSaid(); ++second) {
        clock.advance(1000);
        settle();
    }
    EXPECT_TRUE(failureSaid()) << said.join('|').toStdString();
    const auto transmissions = [&] {
        return converter->events().filter(QStringLiteral("transmit")).size();
    };
    clock.advance(2000);
    settle();
    EXPECT_EQ(transmissions(), 0);
    EXPECT_EQ(dialogs.texts(), QStringList());
    // The converter answers again: the next picture goes out with its mode byte.
    converter->noLineAckFrom = -1;
    clock.advance(40000, [&] { return transmissions() == 1; });
    settle();
    EXPECT_EQ(transmissions(), 1);
    EXPECT_EQ(port->written().back(), char(62));
}

TEST_F(BeaconFixture, AnEmptyPageEndsTheBeacon) {
    setup->catalogTimer()->setValue(10);
    press("CatalogTx");
    settle();
    const QByteArray before = port->written();
    clock.advance(1000);
    settle();
    EXPECT_EQ(port->written(), before);
    EXPECT_TRUE(station->catalogBeacon().ended());
    EXPECT_FALSE(station->catalogBeacon().timerRunning());
    EXPECT_EQ(form->statusText(), linktext::kBeaconPageEmpty);
}

TEST_F(BeaconFixture, APictureThatCannotBeLoadedIsSkippedWithoutABox) {
    picture(0, Qt::red);
    QFile broken(dir.path() + "/im0/cat1.jpg");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("no picture at all");
    broken.close();
    picture(2, Qt::blue);
    setup->catalogTimer()->setValue(5);
    press("CatalogTx");
    settle();
    clock.advance(1000);
    settle();
    EXPECT_TRUE(near(txColour(), Qt::red));
    clock.advance(10000, [&] { return dialogs.count("stderr") > 0; });
    settle();
    EXPECT_TRUE(form->statusText().startsWith("Beacon: the picture"))
        << form->statusText().toStdString();
    EXPECT_EQ(dialogs.count("error"), 0);
    EXPECT_EQ(dialogs.count("stderr"), 1); // the reason goes to standard error
    EXPECT_TRUE(station->catalogBeacon().timerRunning());
    // The monitor was released, and the next picture follows at the next interval.
    clock.advance(10000, [&] { return near(txColour(), Qt::blue); });
    settle();
    EXPECT_TRUE(near(txColour(), Qt::blue));
}

TEST_F(BeaconFixture, StopLetsTheRunningCountdownSendOneMorePicture) {
    picture(0, Qt::red);
    picture(1, Qt::blue);
    setup->catalogTimer()->setValue(20);
    press("CatalogTx");
    settle();
    clock.advance(1000);
    settle();
    ASSERT_TRUE(form->statusText().startsWith("Beacon Intervaltime"));
    press("FlyingButton6"); // "Stop"
    EXPECT_EQ(form->settings().beaconInterval, 0);
    // The countdown's text goes at once and does not come back while the countdown runs out.
    EXPECT_EQ(form->statusText(), "");
    clock.advance(3000);
    settle();
    EXPECT_FALSE(form->statusText().startsWith("Beacon Intervaltime"));
    clock.advance(30000, [&] { return near(txColour(), Qt::blue); });
    settle();
    EXPECT_TRUE(near(txColour(), Qt::blue));
    form->pictures().tx.fill(Qt::black);
    clock.advance(60000);
    settle();
    EXPECT_TRUE(near(txColour(), Qt::black));
}

TEST_F(BeaconFixture, TheIntervalFieldAndTheSwitchedOffBoxFollowEachOther) {
    QCheckBox* off = setup->switchedOff();
    off->setChecked(true); // the field is 0 already: the box stays and "Start" is disabled
    EXPECT_TRUE(off->isChecked());
    EXPECT_FALSE(setup->catalogStart()->isEnabled());
    setup->catalogTimer()->setValue(45);
    EXPECT_FALSE(off->isChecked());
    EXPECT_TRUE(setup->catalogStart()->isEnabled());
    EXPECT_EQ(form->settings().beaconInterval, 45);
    // The field shows 0 at every opening; the interval stays.
    setup->resetInterval();
    EXPECT_EQ(setup->catalogTimer()->value(), 0);
    EXPECT_EQ(form->settings().beaconInterval, 45);
}

TEST_F(BeaconFixture, ACom3ChoiceTakesEffectAtTheNextStart) {
    setup->showPort(1, OrbisModel::OR100);
    setup->findChild<QAbstractButton*>("ComPort3")->click();
    EXPECT_EQ(form->settings().portNumber, 3);
    EXPECT_TRUE(setup->status().contains("next start"));
    EXPECT_EQ(&form->link().port(), port); // the port in use stays
}

// The model item shows the settings' model, none for a number the program does not know, and a
// choice goes into the settings.
TEST_F(BeaconFixture, TheModelItemShowsAndKeepsTheSettingsModel) {
    const auto modelButton = [](TForm5& window, const QString& text) -> QRadioButton* {
        for (QRadioButton* button : window.findChildren<QRadioButton*>())
            if (button->text() == text)
                return button;
        return nullptr;
    };
    TForm5 fresh;
    fresh.showPort(1, OrbisModel(7));
    ASSERT_NE(modelButton(fresh, "OR-100"), nullptr);
    EXPECT_FALSE(modelButton(fresh, "OR-100")->isChecked());
    EXPECT_FALSE(modelButton(fresh, "OR-150")->isChecked());

    setup->showPort(1, OrbisModel::OR150);
    EXPECT_TRUE(modelButton(*setup, "OR-150")->isChecked());
    modelButton(*setup, "OR-100")->click();
    EXPECT_EQ(form->settings().model, OrbisModel::OR100);
    modelButton(*setup, "OR-150")->click();
    EXPECT_EQ(form->settings().model, OrbisModel::OR150);
}

TEST_F(BeaconFixture, TheAcqTxBeaconDigitizesSendsAndRepeatsEveryTenMinutes) {
    std::vector<std::pair<int, std::int64_t>> timed;
    port->setResponder(
        [&](std::uint8_t byte, MemoryPort&) { timed.emplace_back(byte, clock.elapsedMs()); });
    // The receive monitor's reads run on their own thread and would move the same virtual clock
    // as often as the processor lets them; held, it stays off the port and the clock.
    const MonitorHold quiet = form->station().hold();
    const std::int64_t t0 = clock.elapsedMs();
    press("FlyingButton2");
    settle();
    // The port's reads and writes take their time too: each time within a few of them.
    const auto at = [&](std::size_t i, int byte, std::int64_t ms) {
        ASSERT_LT(i, timed.size());
        EXPECT_EQ(timed[i].first, byte) << i;
        EXPECT_NEAR(timed[i].second, ms, 300) << i;
    };
    ASSERT_EQ(timed.size(), 3u);
    at(0, 36, t0);
    at(1, 36, t0 + 200);
    at(2, 62, t0 + 14200);
    EXPECT_EQ(setup->status(), linktext::kAcqBeaconBreak);
    EXPECT_NEAR(clock.elapsedMs(), t0 + 14200 + 37000, 400);
    clock.advance(600000);
    settle();
    ASSERT_EQ(timed.size(), 6u);
    at(3, 36, t0 + 51200 + 600000);
    press("FlyingButton5");
    EXPECT_EQ(setup->status(), linktext::kAcqBeaconOff);
    clock.advance(700000);
    settle();
    EXPECT_EQ(timed.size(), 6u);
}

TEST_F(BeaconFixture, StopEndsTheAcqTxBeaconsWaitWithinASecondAndNothingMoreIsSent) {
    std::vector<int> bytes;
    port->setResponder([&](std::uint8_t byte, MemoryPort&) { bytes.push_back(byte); });
    const std::int64_t t0 = clock.elapsedMs();
    // "Stop" is clicked 5 s into the 14 s wait after the second digitize.
    std::int64_t stoppedAt = 0;
    const auto stopper = clock.createTimer([&] {
        if (stoppedAt == 0) {
            stoppedAt = clock.elapsedMs();
            press("FlyingButton5");
        }
    });
    stopper->start(5200);
    press("FlyingButton2");
    settle();
    stopper->stop();
    ASSERT_GT(stoppedAt, 0);
    EXPECT_LE(clock.elapsedMs() - stoppedAt, 1000);
    EXPECT_LT(clock.elapsedMs() - t0, 7000);
    EXPECT_EQ(bytes, std::vector<int>({36, 36})); // no mode byte
    EXPECT_EQ(setup->status(), linktext::kAcqBeaconOff);
    clock.advance(700000);
    settle();
    EXPECT_EQ(bytes.size(), 2u);
}

TEST_F(BeaconFixture, ReceptionsPauseTheBeaconAndSetupWaitsForTheirEnd) {
    picture(0, Qt::red);
    setup->catalogTimer()->setValue(5);
    press("CatalogTx");
    settle();
    port->arrive(QByteArray(1, char(172))); // a reception in Martin 1
    ASSERT_TRUE(pumpUntil([&] { return form->link().linkState() == LinkState::Waiting; }));
    EXPECT_FALSE(station->prepareSetup()); // "Setup" does nothing now
    const int uploaded = converter->uploadedLines();
    clock.advance(3000);
    settle();
    EXPECT_EQ(converter->uploadedLines(), uploaded);
    EXPECT_EQ(station->catalogBeacon().countdown(), 1); // the countdown waits
}

TEST_F(BeaconFixture, OkWritesTheDeviceChosenForAComPort) {
    ASSERT_TRUE(station->prepareSetup());
    setup->findChild<QAbstractButton*>("ComPort2")->click();
    emit setup->deviceChosen(2, "/dev/serial/by-id/usb-FTDI-if00-port0");
    station->finishSetup(false); // "Exit" without OK writes nothing
    EXPECT_EQ(PortMap::load(form->programFolder()).device(2), "/dev/ttyS1");
    ASSERT_TRUE(station->prepareSetup());
    emit setup->deviceChosen(2, "/dev/serial/by-id/usb-FTDI-if00-port0");
    station->finishSetup(true);
    EXPECT_EQ(PortMap::load(form->programFolder()).device(2),
              "/dev/serial/by-id/usb-FTDI-if00-port0");
}

TEST_F(BeaconFixture, TheDeviceFieldTakesSerialServersAndSaysWhatIsWrongWithAMalformedOne) {
    ASSERT_TRUE(station->prepareSetup());
    setup->findChild<QAbstractButton*>("ComPort3")->click();
    emit setup->deviceChosen(3, "rfc2217://shack.example.org:7000");
    emit setup->deviceChosen(3, "tcp://shack.example.org");
    EXPECT_EQ(setup->status(), "tcp://shack.example.org: the address needs HOST:PORT");
    station->finishSetup(true);
    EXPECT_EQ(PortMap::load(form->programFolder()).device(3), "rfc2217://shack.example.org:7000");
}

TEST_F(BeaconFixture, TheCallsignFieldSetsTheCallsignInTheSettingsFileAndRemakesItsPicture) {
    ASSERT_TRUE(station->prepareSetup());
    auto* field = setup->findChild<QLineEdit*>("Callsign");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), form->settings().callsign);
    QString error;
    const QImage before = BmpFiles::read(dir.path() + "/callsign.bmp", &error);
    // Typed and left: the settings, their file, the picture and the main window's button.
    field->setText("DL1ABC");
    field->setModified(true);
    emit field->editingFinished();
    EXPECT_EQ(form->settings().callsign, "DL1ABC");
    QFile file(dir.path() + "/COM.DAT");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\r\nDL1ABC\r\n"));
    const QImage after = BmpFiles::read(dir.path() + "/callsign.bmp", &error);
    ASSERT_EQ(after.size(), QSize(220, 52)) << error.toStdString();
    EXPECT_NE(after, before);
    EXPECT_EQ(control<QPushButton>("MyCall")->text(), "DL1ABC");
    EXPECT_TRUE(setup->status().contains("DL1ABC"));

    // A text that cannot be a callsign is said, and the old callsign comes back into the field.
    field->setText("    ");
    field->setModified(true);
    emit field->editingFinished();
    EXPECT_EQ(form->settings().callsign, "DL1ABC");
    EXPECT_EQ(field->text(), "DL1ABC");
    EXPECT_EQ(setup->status(), "The callsign is empty.");

    // Typed and confirmed with OK in one go.
    field->setText("G4XYZ");
    station->finishSetup(true);
    EXPECT_EQ(form->settings().callsign, "G4XYZ");
    EXPECT_NE(BmpFiles::read(dir.path() + "/callsign.bmp", &error), after);

    // A change of the caption colours draws the picture again.
    const QImage g4xyz = BmpFiles::read(dir.path() + "/callsign.bmp", &error);
    dialogs.answerColour(colours::clBlue);
    form->captions().ColorClick();
    EXPECT_NE(BmpFiles::read(dir.path() + "/callsign.bmp", &error), g4xyz);
}

TEST_F(BeaconFixture, ALongStatusTextIsElidedAndShownWholeAsTheHint) {
    const QString text = QStringLiteral("A status text far longer than the setup window is wide, "
                                        "so that its end would be cut at the window's edge.");
    setup->setStatus(text);
    EXPECT_EQ(setup->status(), text);
    EXPECT_NE(setup->statusLine()->currentMessage(), text);
    EXPECT_TRUE(setup->statusLine()->currentMessage().endsWith(QChar(0x2026)));
    EXPECT_EQ(setup->statusLine()->toolTip(), text);
    setup->setStatus("Short");
    EXPECT_EQ(setup->statusLine()->currentMessage(), "Short");
    EXPECT_TRUE(setup->statusLine()->toolTip().isEmpty());
}

TEST(SerialDevices, StableNamesFirstThenTheKernelNamesInNumberOrder) {
    QTemporaryDir dev;
    ASSERT_TRUE(QDir(dev.path()).mkpath("serial/by-id"));
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB1", "ttyACM0", "ttyUSB0", "tty0", "null",
                             "serial/by-id/usb-FTDI-if00-port0"}) {
        QFile file(dev.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString d = dev.path();
    EXPECT_EQ(presentSerialDevices(d),
              QStringList({d + "/serial/by-id/usb-FTDI-if00-port0", d + "/ttyUSB0", d + "/ttyUSB1",
                           d + "/ttyACM0", d + "/ttyS2", d + "/ttyS10"}));
}
