// SPDX-License-Identifier: GPL-3.0-or-later
// The setup window's converter choice on the main window: shown from station.conf, kept there at
// "OK", and switching the running converter at once between the box on a serial port (here the
// simulated converter on a pseudo-terminal) and the built-in converter on the sound card (here
// without a sound server: its devices are said and left out). Its web access likewise, switching
// the web face of the program on, anew and off.
#include "MainWindowFixture.h"

#include "app/StationConverter.h"
#include "app/StationSetup.h"
#include "app/TForm6.h"
#include "controls/TFlyingButton.h"
#include "link/ui/TForm5.h"
#include "settings/PortMap.h"
#include "settings/StationOptions.h"
#include "tools/simulator/ConverterSimulator.h"
#include "web/WebFaceSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

using namespace winorbis;
using namespace winorbis::test;

namespace {

struct ConverterSetupFixture : MainWindowFixture {
    std::unique_ptr<TForm5> setup;
    std::unique_ptr<TForm6> info;
    std::unique_ptr<StationSetup> station;
    std::unique_ptr<StationConverter> converter;
    QStringList printed;

    void SetUp() override {
        start();
        setup = std::make_unique<TForm5>();
        info = std::make_unique<TForm6>();
        station = std::make_unique<StationSetup>(*form, *setup, *info, clock, dialogs);
        station->setDeviceLists([] {
            return SoundCardPanel::Devices{{"USB Audio CODEC Analog Mono"},
                                           {"USB Audio CODEC Analog Stereo", "HDMI"},
                                           {"Webcam C270"}};
        });
        converter = std::make_unique<StationConverter>();
        converter->remember(
            ConverterChoice::fromOptions(StationOptions::load(form->programFolder())));
        converter->setSwitchable(true);
        converter->attach(*form);
        station->setConverter(converter.get());
    }
    void TearDown() override {
        station.reset();
        form.reset();
        converter.reset();
    }
    bool soundCardRuns() { return form->station().capabilities().kind == "sound card"; }
    template <typename T> T* field(const char* name) {
        return setup->findChild<T*>(QString::fromLatin1(name));
    }
    void chooseKind(int index) {
        auto* kind = field<QComboBox>("ConverterKind");
        kind->setCurrentIndex(index);
        emit kind->activated(index);
    }
    QByteArray stationConf() const {
        QFile file(dir.filePath("station.conf"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString converterField() { return control<QLabel>("ConverterField")->text(); }
    void clickOk() { emit setup->findChild<TFlyingButton*>("FlyingButton1")->OnClick(); }
};

quint16 freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// Whether the web face's page is served on 127.0.0.1:port.
bool servesPage(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray answer;
    bool asked = false;
    pumpUntil([&] {
        if (!asked && socket.state() == QAbstractSocket::ConnectedState) {
            socket.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
            asked = true;
        }
        answer += socket.readAll();
        return answer.contains("</html>") || socket.state() == QAbstractSocket::UnconnectedState;
    });
    return answer.startsWith("HTTP/1.1 200");
}

} // namespace

TEST_F(ConverterSetupFixture, TheWindowShowsStationConfsChoiceAndOkWithoutAChangeWritesNothing) {
    const QByteArray conf = "Converter=sound card\nSoundCapture=USB Audio CODEC Analog Mono\n"
                            "Ptt=rigctld:127.0.0.1:4532\nClockPpm=-212\nCamera=Webcam C270\n"
                            "DigitizePicture=shack.jpg\n";
    {
        QFile file(dir.filePath("station.conf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(conf);
    }
    ASSERT_TRUE(station->prepareSetup());
    EXPECT_TRUE(setup->soundCardChosen());
    EXPECT_EQ(field<QComboBox>("SoundCapture")->currentText(), "USB Audio CODEC Analog Mono");
    EXPECT_EQ(field<QComboBox>("SoundPlayback")->currentText(), "default");
    EXPECT_EQ(field<QComboBox>("SoundPlayback")->count(), 3); // default, then the two devices
    EXPECT_EQ(field<QComboBox>("PttMethod")->currentText(), "rigctld");
    EXPECT_EQ(field<QLineEdit>("PttTarget")->text(), "127.0.0.1:4532");
    EXPECT_EQ(field<QDoubleSpinBox>("ClockPpm")->value(), -212.0);
    EXPECT_EQ(field<QComboBox>("Camera")->currentText(), "Webcam C270");
    EXPECT_EQ(field<QLineEdit>("DigitizePicture")->text(), "shack.jpg");
    EXPECT_EQ(field<QLabel>("MeasuredClock")->text(), "not measured yet");
    EXPECT_FALSE(field<QPushButton>("TakeMeasuredClock")->isEnabled());
    station->finishSetup(true);
    EXPECT_EQ(stationConf(), conf);
    EXPECT_FALSE(soundCardRuns()); // this run's converter came from elsewhere

    // "none" and VOX take no target.
    ASSERT_TRUE(station->prepareSetup());
    field<QComboBox>("PttMethod")->setCurrentIndex(1);
    EXPECT_FALSE(field<QLineEdit>("PttTarget")->isEnabled());
    field<QComboBox>("PttMethod")->setCurrentIndex(2);
    EXPECT_TRUE(field<QLineEdit>("PttTarget")->isEnabled());
    EXPECT_TRUE(field<QLineEdit>("PttTarget")->placeholderText().contains("/dev/ttyUSB1"));
}

TEST_F(ConverterSetupFixture, OkWithAPushToTalkTheConverterWouldRefuseKeepsTheWindowOpen) {
    ASSERT_TRUE(station->prepareSetup());
    chooseKind(1);
    field<QComboBox>("PttMethod")->setCurrentIndex(4); // Hamlib rig
    field<QLineEdit>("PttTarget")->setText("IC-7300:/dev/ttyUSB0");
    emit setup->findChild<TFlyingButton*>("FlyingButton1")->OnClick();
    EXPECT_NE(setup->result(), QDialog::Accepted);
    EXPECT_TRUE(setup->status().contains("rig model must be a number"))
        << setup->status().toStdString();
    field<QLineEdit>("PttTarget")->setText("3073:/dev/ttyUSB0");
    emit setup->findChild<TFlyingButton*>("FlyingButton1")->OnClick();
    EXPECT_EQ(setup->result(), QDialog::Accepted);
}

TEST_F(ConverterSetupFixture, AChangedChoiceSwitchesTheConverterAtOnceAndBack) {
    // COM 1 leads to the box, here the simulated converter on a pseudo-terminal.
    ConverterSimulator box;
    const QString boxLine = dir.filePath("box");
    QString error;
    ASSERT_TRUE(box.openPseudoTerminalAt(boxLine, &error)) << error.toStdString();
    PortMap map = PortMap::load(form->programFolder());
    map.setDevice(form->settings().portNumber, boxLine);
    ASSERT_EQ(map.save(form->programFolder()), "");

    ASSERT_TRUE(station->prepareSetup());
    chooseKind(1);
    field<QComboBox>("SoundCapture")->setEditText("NoSuchCard");
    field<QComboBox>("SoundPlayback")->setEditText("NoSuchCard");
    field<QDoubleSpinBox>("ClockPpm")->setValue(12.5);
    station->finishSetup(true);
    EXPECT_TRUE(stationConf().contains("Converter=sound card\n")) << stationConf().toStdString();
    EXPECT_TRUE(stationConf().contains("ClockPpm=12.5\n"));
    ASSERT_TRUE(soundCardRuns());
    EXPECT_EQ(form->station().boxLink(), nullptr);
    EXPECT_EQ(converterField(), "Sound card: connected");
    // The devices it could not have are said in the status bar and on standard error; the
    // window runs on.
    EXPECT_TRUE(form->statusText().startsWith("Sound card: no sound capture"))
        << form->statusText().toStdString();

    // Back to the box: the sound card's converter goes with its line.
    ASSERT_TRUE(station->prepareSetup());
    EXPECT_TRUE(setup->soundCardChosen());
    EXPECT_EQ(field<QComboBox>("SoundCapture")->currentText(), "NoSuchCard");
    chooseKind(0);
    station->finishSetup(true);
    EXPECT_FALSE(soundCardRuns());
    EXPECT_TRUE(stationConf().contains("Converter=serial port\n"));
    EXPECT_EQ(converterField(), QStringLiteral("Serial device %1: connected").arg(boxLine));
    EXPECT_EQ(form->statusText(), QStringLiteral("Converter: %1").arg(boxLine));
    EXPECT_EQ(dialogs.texts(), QStringList());
    box.stop();
}

TEST_F(ConverterSetupFixture, TheConverterStaysWhileACommandRunsAndTheChoiceIsKept) {
    ASSERT_TRUE(station->prepareSetup());
    chooseKind(1);
    {
        CommandGate::Operation running(form->gate());
        station->finishSetup(true);
    }
    EXPECT_FALSE(soundCardRuns());
    EXPECT_EQ(&form->link().port(), static_cast<BytePort*>(port));
    EXPECT_TRUE(form->statusText().contains("next start")) << form->statusText().toStdString();
    EXPECT_TRUE(stationConf().contains("Converter=sound card\n"));

    // Named on the command line, the converter stays for the run as well.
    converter->setSwitchable(false);
    ASSERT_TRUE(station->prepareSetup());
    field<QDoubleSpinBox>("ClockPpm")->setValue(3);
    station->finishSetup(true);
    EXPECT_FALSE(soundCardRuns());
    EXPECT_TRUE(form->statusText().contains("without --port")) << form->statusText().toStdString();
}

TEST_F(ConverterSetupFixture, TheMeasuredClockErrorIsShownAndTakenOverIntoTheCorrection) {
    auto* clockField = control<QLabel>("SoundCardClock");
    ASSERT_TRUE(clockField);
    EXPECT_TRUE(clockField->isHidden());
    converter->showMeasuredClock(412.4);
    EXPECT_FALSE(clockField->isHidden());
    EXPECT_EQ(clockField->text(), "Sound card clock: +412 ppm (measured on the last picture)");

    ASSERT_TRUE(station->prepareSetup());
    EXPECT_EQ(field<QLabel>("MeasuredClock")->text(), "measured +412 ppm");
    auto* correction = field<QDoubleSpinBox>("ClockPpm");
    correction->setValue(-100);
    auto* take = field<QPushButton>("TakeMeasuredClock");
    ASSERT_TRUE(take->isEnabled());
    take->click();
    EXPECT_NEAR(correction->value(), 312.4, 0.11);
    EXPECT_FALSE(take->isEnabled()); // the same error is not taken twice
    // A picture measured while the window is open is offered at once.
    converter->showMeasuredClock(-20);
    EXPECT_EQ(field<QLabel>("MeasuredClock")->text(), "measured -20 ppm");
    EXPECT_TRUE(take->isEnabled());
    EXPECT_EQ(clockField->text(), "Sound card clock: -20 ppm (measured on the last picture)");
}

TEST_F(ConverterSetupFixture, ThePictureToDigitizeIsChosenWithAFileDialog) {
    ASSERT_TRUE(station->prepareSetup());
    dialogs.answerFile(dir.filePath("shack.png"));
    setup->findChild<QAbstractButton*>("ChooseDigitizePicture")->click();
    EXPECT_EQ(field<QLineEdit>("DigitizePicture")->text(), dir.filePath("shack.png"));
    field<QComboBox>("Camera")->setCurrentIndex(1);
    station->finishSetup(true);
    EXPECT_TRUE(stationConf().contains("Camera=Webcam C270\n")) << stationConf().toStdString();
    EXPECT_TRUE(stationConf().contains(("DigitizePicture=" + dir.filePath("shack.png")).toUtf8()));
}

TEST_F(ConverterSetupFixture, WebAccessSwitchesTheWebFaceOnAnewAndOffAtOk) {
    WebFaceSwitch web(form->station(), &station->catalogBeacon(), dir.path());
    station->setWebFace(&web);
    const QString port = QString::number(freePort()), other = QString::number(freePort());
    ASSERT_TRUE(station->prepareSetup());
    EXPECT_FALSE(field<QCheckBox>("WebAccess")->isChecked());
    EXPECT_EQ(field<QLabel>("WebPasswordState")->text(), "No password is set");

    // Other machines, without a password: "OK" keeps the window open and says why.
    field<QCheckBox>("WebAccess")->setChecked(true);
    field<QLineEdit>("WebPort")->setText("0.0.0.0:" + port);
    clickOk();
    EXPECT_NE(setup->result(), QDialog::Accepted);
    EXPECT_TRUE(setup->status().contains("only with a password")) << setup->status().toStdString();
    field<QLineEdit>("WebPort")->setText("0.0.0.0:x");
    clickOk();
    EXPECT_TRUE(setup->status().contains("no listening address")) << setup->status().toStdString();

    // With a password it is taken: its hash only goes into station.conf, and the face listens.
    field<QLineEdit>("WebPort")->setText("0.0.0.0:" + port);
    field<QLineEdit>("WebPassword")->setText("correct horse battery");
    clickOk();
    ASSERT_EQ(setup->result(), QDialog::Accepted) << setup->status().toStdString();
    station->finishSetup(true);
    const QByteArray conf = stationConf();
    EXPECT_TRUE(
        conf.contains("WebAccess=1\nWebPort=0.0.0.0:" + port.toUtf8() + "\nWebPassword=$argon2id$"))
        << conf.toStdString();
    EXPECT_FALSE(conf.contains("horse"));
    EXPECT_EQ(form->statusText(), "Web face on http://0.0.0.0:" + port + "/");
    EXPECT_TRUE(servesPage(port.toUShort()));

    // Opened again: a password is set and the field is empty; another port starts the face anew.
    ASSERT_TRUE(station->prepareSetup());
    EXPECT_EQ(field<QLabel>("WebPasswordState")->text(), "A password is set");
    EXPECT_EQ(field<QLineEdit>("WebPassword")->text(), "");
    field<QLineEdit>("WebPort")->setText(other);
    station->finishSetup(true);
    EXPECT_TRUE(servesPage(other.toUShort()));
    EXPECT_FALSE(servesPage(port.toUShort()));
    // "OK" without a change leaves the face with its pages as it runs.
    const WebFace* running = web.face();
    ASSERT_TRUE(station->prepareSetup());
    station->finishSetup(true);
    EXPECT_EQ(web.face(), running);

    // Off: the face goes.
    ASSERT_TRUE(station->prepareSetup());
    field<QCheckBox>("WebAccess")->setChecked(false);
    station->finishSetup(true);
    EXPECT_EQ(web.face(), nullptr);
    EXPECT_FALSE(servesPage(other.toUShort()));
    EXPECT_EQ(form->statusText(), "Web face off");
    EXPECT_EQ(dialogs.texts(), QStringList());
}
