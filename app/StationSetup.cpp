// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationSetup.h"

#include "CommandRow.h"
#include "MainWindowTexts.h"
#include "StationConverter.h"
#include "TForm1.h"
#include "TForm6.h"
#include "captions/StationCallsign.h"
#include "captions/ui/CaptionWorkspace.h"
#include "controls/TFlyingButton.h"
#include "link/LinkTexts.h"
#include "link/PortFactory.h"
#include "link/SerialDevices.h"
#include "link/ui/TForm5.h"
#include "platform/Colour.h"
#include "platform/Dialogs.h"
#include "settings/SettingsStore.h"
#include "settings/StationOptions.h"
#include "web/WebFaceSwitch.h"
#include "web/WebTexts.h"
#include "workspace/ui/PaintBox.h"

namespace winorbis {

namespace {

const QString kNextStart =
    QStringLiteral("The new port is used from the next start of the program.");
// %1 the callsign.
const QString kCallsignPictureMade = QStringLiteral("Callsign %1 set; callsign.bmp made from it.");

} // namespace

StationSetup::StationSetup(TForm1& main, TForm5& setup, TForm6& info, Clock& clock,
                           Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , main_(main)
    , setup_(setup)
    , info_(info)
    , dialogs_(dialogs)
    , catalog_(main.station())
    , acq_(main.station(), {[&main] { main.captions().removeFrames(); },
                            [&setup](const QString& text) { setup.setStatus(text); }}) {
    (void)clock;
    catalog_.setInterval(main.settings().beaconInterval);
    // The main window's Timer1 ticks from the start to the end.
    catalog_.startTimer();
    setup_.showPort(main.settings().portNumber, main.settings().model);
    connectSetup();
    connectConverterChoice();
    // "Setup" and "Info" in the row of the main window's general buttons.
    connect(main.commandRowButton(RowCommand::Setup), &TFlyingButton::OnClick, this,
            &StationSetup::SetupClick);
    connect(main.commandRowButton(RowCommand::Info), &TFlyingButton::OnClick, this,
            &StationSetup::InfoClick);
}

StationSetup::~StationSetup() = default;

void StationSetup::connectSetup() {
    Settings& settings = main_.settings();
    connect(&setup_, &TForm5::portChosen, this, [this, &settings](int port) {
        settings.portNumber = port;
        setup_.showDevices(
            presentSerialDevices(),
            (pendingMap_ ? *pendingMap_ : PortMap::load(main_.programFolder())).device(port));
        setup_.setStatus(kNextStart);
    });
    connect(&setup_, &TForm5::deviceChosen, this, [this](int port, const QString& device) {
        if (port < 1 || device.isEmpty())
            return;
        // A device path, or a serial server's rfc2217://HOST:PORT or tcp://HOST:PORT; a
        // malformed server name is said and not kept.
        if (const QString problem = portNameProblem(device); !problem.isEmpty()) {
            setup_.setStatus(problem);
            return;
        }
        if (!pendingMap_)
            pendingMap_ = PortMap::load(main_.programFolder());
        pendingMap_->setDevice(port, device);
        setup_.setStatus(kNextStart);
    });
    connect(&setup_, &TForm5::modelChosen, this,
            [&settings](OrbisModel model) { settings.model = model; });
    connect(&setup_, &TForm5::intervalChanged, this, [this, &settings](int seconds) {
        settings.beaconInterval = seconds;
        catalog_.setInterval(seconds);
    });
    connect(&setup_, &TForm5::catalogSwitchedOff, this, [this, &settings] {
        // A running countdown runs out: one more picture goes out.
        settings.beaconInterval = 0;
        catalog_.switchOff();
    });
    connect(&setup_, &TForm5::catalogStartClicked, this, [this] { catalog_.start(); });
    connect(&setup_, &TForm5::catalogModeChanged, this,
            [this](BeaconMode mode) { catalog_.setMode(mode); });
    connect(&setup_, &TForm5::repeaterClicked, this, [this](bool on) {
        if (on)
            main_.Ein2Click();
        else
            main_.Aus2Click();
    });
    connect(&setup_, &TForm5::acqStartClicked, this, [this] {
        acq_.transmit();
        setup_.setTenMinutes(acq_.tenMinutes());
    });
    connect(&setup_, &TForm5::acqStopClicked, this, [this] {
        acq_.stop();
        setup_.setTenMinutes(false);
    });
    connect(&setup_, &TForm5::acqModeChanged, this,
            [this](BeaconMode mode) { acq_.setMode(mode); });
    connect(&setup_, &TForm5::callsignChosen, this, &StationSetup::applyCallsign);
    catalog_.setMode(setup_.catalogMode());
    acq_.setMode(setup_.acqMode());
}

void StationSetup::connectConverterChoice() {
    soundCard_ = new SoundCardPanel(setup_.soundCardPage());
    webAccess_ = new WebAccessPanel(setup_.webPage());
    // "OK" keeps the window open while the push-to-talk, the correction or the web access cannot
    // be taken.
    setup_.setAcceptCheck([this] {
        const QString problem = chosenConverter().problem();
        return problem.isEmpty() ? webAccessProblem() : problem;
    });
    connect(soundCard_, &SoundCardPanel::choosePictureClicked, this, [this] {
        Dialogs::FileRequest request;
        request.title = linktext::kChoosePicture;
        request.filter = QStringLiteral("Pictures|*.bmp;*.BMP;*.jpg;*.JPG;*.jpeg;*.png;*.PNG");
        request.folder = main_.programFolder().folder();
        if (const auto path = dialogs_.openFile(request))
            soundCard_->setDigitizePicture(*path);
    });
}

void StationSetup::setConverter(StationConverter* converter) {
    converter_ = converter;
    if (converter_)
        connect(converter_, &StationConverter::clockMeasured, this,
                [this](double ppm) { soundCard_->showMeasuredClock(ppm); });
}

ConverterChoice StationSetup::chosenConverter() const {
    ConverterChoice choice = shownChoice_;
    choice.kind = setup_.soundCardChosen() ? ConverterChoice::Kind::SoundCard
                                           : ConverterChoice::Kind::SerialPort;
    soundCard_->readInto(choice);
    return choice;
}

void StationSetup::applyConverterChoice() {
    const ConverterChoice choice = chosenConverter();
    if (const QString problem = choice.problem(); !problem.isEmpty()) {
        main_.setStatusText(problem); // not kept; the window said it already at "OK"
        return;
    }
    if (choice == shownChoice_)
        return;
    StationOptions options = StationOptions::load(main_.programFolder());
    choice.writeTo(options);
    if (const QString problem = options.save(main_.programFolder()); !problem.isEmpty())
        dialogs_.error(mainwindowtext::stationOptionsNotWritten(problem));
    QString said;
    if (converter_)
        said = converter_->apply(choice);
    else if (choice.needsRestart(shownChoice_))
        said = mainwindowtext::kConverterAtNextStart;
    if (!said.isEmpty())
        main_.setStatusText(said);
}

WebAccessChoice StationSetup::chosenWebAccess() const {
    WebAccessChoice choice = shownWebAccess_;
    webAccess_->readInto(choice);
    return choice;
}

QString StationSetup::webAccessProblem() const {
    QByteArray password = webAccess_->newPassword();
    const QString problem = chosenWebAccess().problem(password);
    password.fill('\0');
    return problem;
}

void StationSetup::applyWebAccess() {
    WebAccessChoice choice = chosenWebAccess();
    QByteArray password = webAccess_->newPassword();
    webAccess_->clearPassword();
    QString problem = choice.problem(password);
    if (problem.isEmpty())
        problem = choice.setPassword(password);
    password.fill('\0');
    if (!problem.isEmpty()) {
        main_.setStatusText(problem); // not kept; the window said it already at "OK"
        return;
    }
    if (choice == shownWebAccess_)
        return;
    StationOptions options = StationOptions::load(main_.programFolder());
    choice.writeTo(options);
    if (const QString why = options.save(main_.programFolder()); !why.isEmpty()) {
        dialogs_.error(mainwindowtext::stationOptionsNotWritten(why));
        return;
    }
    if (!webFace_)
        return;
    QString said = webFace_->apply().text;
    // The face of --web stays as the command line started it; only a new password reaches it.
    if (webFace_->fromCommandLine() &&
        (choice.on != shownWebAccess_.on || choice.port != shownWebAccess_.port))
        said = webtext::kCommandLineFace;
    if (!said.isEmpty())
        main_.setStatusText(said);
}

void StationSetup::applyCallsign(const QString& callsign) {
    Settings& settings = main_.settings();
    if (callsign == settings.callsign)
        return;
    const QString problem = StationCallsign(settings, main_.programFolder()).set(callsign);
    setup_.showCallsign(settings.callsign);
    main_.captions().showCallsign();
    if (settings.callsign != callsign) {
        setup_.setStatus(problem); // the text cannot be a callsign; the old one stays
        return;
    }
    // Kept at once, so that the callsign outlives a program that does not end in order.
    main_.station().writeSettings();
    setup_.setStatus(problem.isEmpty() ? kCallsignPictureMade.arg(settings.callsign) : problem);
}

void StationSetup::SetupClick() {
    if (!prepareSetup())
        return;
    const MonitorHold hold = main_.station().hold();
    finishSetup(setup_.exec() == QDialog::Accepted);
}

bool StationSetup::prepareSetup() {
    main_.captions().removeFrames();
    if (main_.station().receptionRunning() || main_.station().busy())
        return false; // a reception or another converter command is under way
    setup_.resetInterval();
    setup_.showCallsign(main_.settings().callsign);
    pendingMap_.reset();
    setup_.showDevices(presentSerialDevices(),
                       PortMap::load(main_.programFolder()).device(main_.settings().portNumber));
    shownChoice_ = ConverterChoice::fromOptions(StationOptions::load(main_.programFolder()));
    setup_.showConverterKind(shownChoice_.kind == ConverterChoice::Kind::SoundCard);
    soundCard_->showMeasuredClock(converter_ ? converter_->lastClockErrorPpm() : std::nullopt);
    soundCard_->showChoice(shownChoice_, deviceLists_ ? deviceLists_() : SoundCardPanel::Devices{});
    shownWebAccess_ = WebAccessChoice::fromOptions(StationOptions::load(main_.programFolder()));
    webAccess_->showChoice(shownWebAccess_);
    return true;
}

void StationSetup::finishSetup(bool accepted) {
    // A callsign typed and confirmed with "OK" without leaving its field.
    if (accepted)
        applyCallsign(setup_.callsign());
    if (accepted && pendingMap_) {
        if (const QString problem = pendingMap_->save(main_.programFolder()); !problem.isEmpty())
            dialogs_.error(QStringLiteral("The port map cannot be written: %1").arg(problem));
    }
    pendingMap_.reset();
    if (accepted) {
        applyConverterChoice();
        applyWebAccess();
    }
    webAccess_->clearPassword();
}

void StationSetup::InfoClick() {
    info_.exec();
}

} // namespace winorbis
