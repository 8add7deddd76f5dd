// SPDX-License-Identifier: GPL-3.0-or-later
#include "Station.h"

#include "ReceivedFiles.h"

#include "BuiltInConverter.h"
#include "captions/CaptionRenderer.h"
#include "captions/StarterFiles.h"
#include "captions/StationCallsign.h"

#include "converter/Modes.h"
#include "link/BoxConverter.h"
#include "link/LinkTexts.h"
#include "link/PortFactory.h"
#include "platform/Clock.h"
#include "platform/Colour.h"
#include "platform/ConsoleNotes.h"
#include "platform/Dialogs.h"
#include "radio/ptt/PttDevices.h"
#include "settings/PortMap.h"
#include "workspace/BmpFiles.h"
#include "workspace/ReceivedPictureStore.h"
#include "workspace/StartupPictures.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace winorbis {

using namespace linktext;

namespace {

const QString kCallsignInsertKey = QStringLiteral("CallsignInsert");

QString folderOf(const Station::Setup& setup) {
    return setup.folder.isEmpty() ? QDir::currentPath() : setup.folder;
}

// A job of one converter operation after the frames have gone.
Converter::Job single(std::function<void(ConverterOperations&)> operation) {
    return [operation = std::move(operation)](ConverterOperations& ops) {
        operation(ops);
        return Converter::Result{};
    };
}

} // namespace

Station::Station(const Setup& setup, Dialogs& dialogs, Clock& clock, QObject* parent)
    : QObject(parent)
    , setup_(setup)
    , dialogs_(dialogs)
    , clock_(clock)
    , folder_(folderOf(setup))
    , store_(folder_, dialogs)
    , reception_(gate_, clock, static_cast<ReceptionView&>(*this))
    , pictureFiles_(folder_, dialogs, pictures_, settings_) {
    pictures_.tx = WorkingPictures::defaultGradient();
    pictures_.rx = WorkingPictures::defaultGradient();
    reception_.setReconnecting(setup.reconnect);
    // The sound card's repeater: a second after the reception's end, as the box's monitor waits.
    repeaterTimer_ = gate_.gatedTimer(clock_, [this] {
        repeaterTimer_->stop();
        repeatReceived();
    });
    // Until the converter is opened: one that answers nothing.
    makeBox(unusablePort(QString(), clock_), setup_.portKind);
}

Station::~Station() {
    stop();
}

// ---- settings

void Station::prepareFolder() {
    const QStringList missing = folder_.createMissingFolders();
    folder_.removeStaleTemporaryFiles();
    for (const QString& name : missing)
        qWarning("cannot create the folder %s", qPrintable(folder_.path(name)));
}

void Station::writeStartupPictures() {
    const StartupPictures startup(folder_, dialogs_);
    startup.writeDefaultPicture();
    StartupPictures::loadDefaultPicture(pictures_);
    startup.writeGrayPicture();
    startup.writeMissingConfirmationSound();
}

bool Station::readSettings(const QString& defaultFace) {
    const bool newFolder = StarterFiles::isNewFolder(folder_);
    settings_.linkSpeed = LinkSpeed::Baud115200;
    store_.ReadSettings(settings_, defaultFace);
    if (newFolder) {
        for (const QString& problem : StarterFiles::writeMissing(folder_, settings_))
            ConsoleNotes::write(problem);
    }
    return newFolder;
}

void Station::peekSettings() {
    settings_ = folderSettings(folder_, Settings::defaults(QString()));
}

Settings Station::folderSettings(const ProgramFolder& folder, const Settings& defaults) {
    QFile file(folder.path(u"\\COM.DAT"));
    if (!file.open(QIODevice::ReadOnly))
        return defaults;
    return SettingsCodec::parse(file.readAll(), defaults).settings;
}

bool Station::writeSettings() {
    return store_.WriteSettings(settings_);
}

QString Station::setOption(const QString& key, const QString& value) {
    return StationOptions::store(folder_, key, value);
}

QString Station::converterDevice() const {
    if (!setup_.device.isEmpty())
        return setup_.device;
    return PortMap::load(folder_).device(setup_.com != 0 ? setup_.com : settings_.portNumber);
}

// ---- the converter

void Station::replaceConverter(std::unique_ptr<Converter> converter) {
    if (converter_)
        converter_->stop();
    reception_.attach(nullptr);
    // The one in use goes first: a device is never open twice.
    converter_.reset();
    converter_ = std::move(converter);
    reception_.attach(converter_.get());
    receiving_ = false;
    connectConverter();
    emit converterChanged();
}

void Station::makeBox(std::unique_ptr<BytePort> port, const QString& kind) {
    auto box = std::make_unique<BoxConverter>(std::move(port),
                                              kind.isEmpty() ? QStringLiteral("Orbis 70p") : kind,
                                              clock_, gate_, static_cast<MonitorHost&>(reception_));
    BoxConverter* made = box.get();
    replaceConverter(std::move(box));
    box_ = made;
}

void Station::makeSoundCard(const ConverterChoice& choice) {
    box_ = nullptr;
    sendsFskId_ = choice.fskId;
    // The converter in use goes first: its devices are free for the new one.
    replaceConverter(nullptr);
    const auto note = setup_.converterLog;
    const auto warning = [this, note](const QString& text) {
        if (note)
            note(QStringLiteral("sound card: %1").arg(text));
        // A switch says them all at its end; the start says each as it comes.
        if (switchWarnings_)
            *switchWarnings_ << text;
        else
            emit statusText(linktext::soundCardSays(text));
    };
    // A push-to-talk or correction station.conf gives and that is none is said; none is made.
    const QString pttText = options().value(ConverterChoice::kPttKey).trimmed();
    QString pttProblem;
    if (!pttText.isEmpty() && !radio::PttSpec::parse(pttText, &pttProblem))
        warning(
            QStringLiteral("no push-to-talk, the transmitter is not keyed: %1").arg(pttProblem));
    const QString ppmText = options().value(ConverterChoice::kClockPpmKey).trimmed();
    if (!ConverterChoice::parseClockPpm(ppmText))
        warning(QStringLiteral("%1=%2 is no clock correction (ppm from -20000 to 20000); none "
                               "is made")
                    .arg(ConverterChoice::kClockPpmKey, ppmText));
    radio::SoundCardConverter::EventLog log;
    if (setup_.verbose && note)
        log = [note](const QString& text) { note(QStringLiteral("sound card: %1").arg(text)); };
    replaceConverter(openBuiltInConverter(choice, clock_, warning, log));
}

void Station::connectConverter() {
    Converter* c = converter_.get();
    if (!c)
        return;
    connect(c, &Converter::statusText, this, &Station::statusText);
    connect(c, &Converter::framesRemoved, this, &Station::framesRemoved);
    connect(c, &Converter::progress, this, &Station::progress);
    connect(c, &Converter::transmissionStarted, this, &Station::transmissionStarted);
    connect(c, &Converter::clockError, this, &Station::clockError);
    connect(c, &Converter::failed, this,
            [this](const LinkFailure& failure) { failureBoxes(dialogs_)(failure); });
    connect(c, &Converter::lineArrived, this, [this](int row, const QImage& picture) {
        if (!fetching_ && !receiving_)
            return;
        pictures_.rx = picture;
        emit lineArrived(row);
    });
    connect(c, &Converter::announced, this, &Station::converterAnnounced);
    connect(c, &Converter::pictureReceived, this, &Station::converterReceived);
    connect(c, &Converter::waterfall, this, &Station::waterfall);
}

std::optional<std::uint8_t> Station::openConverter(bool identify) {
    PortMap::createIfMissing(folder_);
    if (setup_.converterFactory) {
        box_ = nullptr;
        sendsFskId_ = chosenConverter().fskId;
        replaceConverter(nullptr);
        replaceConverter(setup_.converterFactory());
        showConverterPresence(ConverterPresence::Connected);
        return std::uint8_t(0);
    }
    const bool named = setup_.portFactory || !setup_.device.isEmpty() || setup_.com != 0;
    if (!named && (setup_.use == Setup::Use::SoundCard ||
                   (setup_.use == Setup::Use::Chosen &&
                    chosenConverter().kind == ConverterChoice::Kind::SoundCard))) {
        makeSoundCard(chosenConverter());
        showConverterPresence(ConverterPresence::Connected);
        return std::uint8_t(0);
    }
    const LinkFailureSink boxes = failureBoxes(dialogs_);
    bool opened = true;
    if (setup_.portFactory) {
        makeBox(setup_.portFactory(), setup_.portKind);
    } else {
        makeBox(unusablePort(QString(), clock_), setup_.portKind);
        opened = box_->open(linkSpeed(), converterDevice(), boxes);
    }
    if (!identify)
        return opened ? std::optional<std::uint8_t>(0) : std::nullopt;
    const std::uint8_t answer = box_->identify(boxes);
    showConverterPresence(answer != 0 ? ConverterPresence::Connected
                                      : ConverterPresence::NotAnswering);
    // The hidden TX-mode item shows the converter's kind.
    emit txModeItem(box_->link().LastStatus());
    return opened ? std::optional<std::uint8_t>(answer) : std::nullopt;
}

std::uint8_t Station::identify() {
    return box_ ? box_->identify(failureBoxes(dialogs_)) : 0;
}

void Station::start() {
    converter_->start(setup_.reconnect);
}

void Station::stop() {
    gate_.shut();
    reception_.stop();
    if (converter_)
        converter_->stop();
}

MonitorHold Station::hold() {
    return MonitorHold(box_ ? &box_->monitor() : nullptr);
}

ConverterChoice Station::chosenConverter() const {
    return ConverterChoice::fromOptions(options());
}

ConverterLink* Station::boxLink() {
    return box_ ? &box_->link() : nullptr;
}

bool Station::converterLost() const {
    return converter_->converterLost();
}

QString Station::lostText() const {
    return converter_->lostText();
}

QString Station::switchConverter(const ConverterChoice& choice) {
    if (gate_.busy() || receptionRunning())
        return linktext::kConverterBusy;
    // The one in use closes first (with its port or devices), then the chosen one starts.
    makeBox(unusablePort(QString(), clock_), setup_.portKind);
    QString said;
    if (choice.kind == ConverterChoice::Kind::SoundCard) {
        QStringList warnings;
        switchWarnings_ = &warnings;
        makeSoundCard(choice);
        switchWarnings_ = nullptr;
        showConverterPresence(ConverterPresence::Connected);
        said = warnings.isEmpty() ? linktext::converterNowInUse(QStringLiteral("Sound card"))
                                  : linktext::soundCardSays(warnings.join(QStringLiteral("; ")));
    } else {
        const QString device = PortMap::load(folder_).device(settings_.portNumber);
        makeBox(unusablePort(QString(), clock_), QString());
        box_->open(linkSpeed(), device, failureBoxes(dialogs_));
        const std::uint8_t answer = box_->identifyQuietly();
        showConverterPresence(answer != 0 ? ConverterPresence::Connected
                                          : ConverterPresence::NotAnswering);
        said = linktext::converterNowInUse(device);
    }
    start();
    return said;
}

// ---- the guard and the jobs

const ConverterCapabilities& Station::capabilities() const {
    static const ConverterCapabilities none;
    return converter_ ? converter_->capabilities() : none;
}

bool Station::offers(ModeId id) const {
    const auto& modes = capabilities().modes;
    return std::find(modes.begin(), modes.end(), id) != modes.end();
}

bool Station::admitMode(ModeId id) {
    if (offers(id))
        return true;
    const QString text = linktext::modeNotOffered(mode(id).name, capabilities().kind);
    ConsoleNotes::write(text);
    emit statusText(text);
    return false;
}

bool Station::admit(bool byOperator, bool notDuringReception) {
    if (gate_.busy())
        return false;
    if (converterLost()) {
        const QString text = lostText();
        if (byOperator)
            failureBoxes(dialogs_)({text, true, LinkFailure::Box::Warning});
        else
            ConsoleNotes::write(text);
        emit statusText(text);
        return false;
    }
    if (notDuringReception && reception_.receiveTimerRunning())
        return false;
    return true;
}

void Station::submit(Converter::Job job, bool attended,
                     std::function<void(const Converter::Result&)> done) {
    // The callsign as it stands now goes after each picture, when the station sends its FSK ID.
    converter_->setFskId(sendsFskId_ ? settings_.callsign.trimmed() : QString());
    auto operation = std::make_shared<CommandGate::Operation>(gate_);
    // Automatic work shows no box: its failures go to standard error and its result.
    std::shared_ptr<UnattendedScope> noBoxes;
    if (!attended)
        noBoxes = std::make_shared<UnattendedScope>(dialogs_);
    converter_->run(
        std::move(job), attended,
        [this, operation, noBoxes, done = std::move(done)](const Converter::Result& result) {
            if (done)
                done(result);
            emit commandEnded(result.complete, result.failure);
        });
}

bool Station::runJob(Converter::Job job, bool byOperator,
                     std::function<void(const Converter::Result&)> done) {
    if (!admit(byOperator))
        return false;
    submit(std::move(job), byOperator, std::move(done));
    return true;
}

void Station::runAdmitted(Converter::Job job, std::function<void(const Converter::Result&)> done) {
    submit(std::move(job), true, std::move(done));
}

// ---- commands

QImage Station::uploadPicture() {
    // A converter that takes any size gets the loaded file at its own resolution while the TX
    // picture is still the one it gave.
    QImage file = capabilities().anySize ? pictures_.txAtFileResolution() : QImage();
    if (callsignInsert()) {
        if (const QString problem = insertCallsign(); !problem.isEmpty())
            emit statusText(problem);
        else if (!file.isNull())
            captions::pasteCallsign(file, pictures_.scratch);
        // The callsign goes into the file's pixels each time: the TX picture with it is still
        // the file's. A caption or any other change of the TX picture sends the TX picture.
        if (!file.isNull())
            pictures_.txFileKey = pictures_.tx.cacheKey();
    }
    return file.isNull() ? pictures_.tx : file;
}

bool Station::transmit(ModeId id, bool uploadFirst, bool digitizeFirst) {
    if (!admitMode(id) || !admit(true))
        return false;
    emit framesRemoved();
    const QImage picture = uploadFirst ? uploadPicture() : QImage();
    Clock* clock = &clock_;
    const int settleMs = capabilities().digitizeSettleMs;
    submit(
        [id, uploadFirst, digitizeFirst, picture, clock, settleMs](ConverterOperations& ops) {
            Converter::Result result;
            if (uploadFirst) {
                ops.say(kUploadStatus);
                // A failed upload does not stop the sending.
                if (!ops.upload(picture)) {
                    result.complete = false;
                    result.failure = ops.lastFailure();
                }
                if (clock->ending())
                    return result; // the program ends: nothing more goes to the converter
            }
            if (digitizeFirst) {
                ops.removeFrames();
                ops.digitize();
                if (!ops.pause(Station::kDigitizePauseMs))
                    return result;
                ops.removeFrames();
                ops.digitize();
                ops.say(kDigitizeStatus);
                if (settleMs > 0 && !ops.pause(settleMs))
                    return result;
            }
            ops.removeFrames();
            ops.say(linktext::transmitText(mode(id)));
            ops.transmit(id);
            return result;
        },
        true);
    return true;
}

bool Station::upload() {
    if (!admit(true))
        return false;
    const QImage picture = uploadPicture();
    emit statusText(kUploadStatus);
    submit(
        [picture](ConverterOperations& ops) {
            Converter::Result result;
            result.complete = ops.upload(picture);
            result.failure = ops.lastFailure();
            return result;
        },
        true);
    return true;
}

void Station::runUntil(const std::function<bool()>& done) {
    constexpr int kPollMs = 10;
    while (!done() && !clock_.ending()) {
        QCoreApplication::processEvents();
        if (done())
            break;
        (void)clock_.waitPainting(kPollMs);
    }
}

bool Station::fetch(bool byOperator, bool keep) {
    // A fetch may run while the reception's timer runs: it ends the reception.
    if (!admit(byOperator, false))
        return false;
    if (reception_.repeaterOn()) {
        if (byOperator) {
            dialogs_.beep(2);
            dialogs_.message(kRepeaterNote, Dialogs::Kind::Information);
        } else {
            emit statusText(kRepeaterNote);
        }
    }
    emit framesRemoved();
    if (!capabilities().fetchesReceptions) {
        // The picture came line by line while it was received: it is stored as it is.
        emit fetchStarted(byOperator);
        if (!received_.isNull())
            pictures_.rx = received_;
        std::optional<UnattendedScope> noBoxes;
        if (!byOperator)
            noBoxes.emplace(dialogs_);
        const bool whole = receivedWhole_;
        const StoredPicture kept = store(pictures_.rx, std::exchange(announcedMode_, QString()),
                                         whole, std::exchange(heardCallsign_, QString()));
        for (const QString& error : kept.errors)
            dialogs_.error(error);
        emit lineArrived(pictures_.rx.height() - 1);
        emit fetchEnded(byOperator, whole && kept.errors.isEmpty(),
                        kept.errors.isEmpty() ? QString() : kept.errors.front());
        return true;
    }
    emit statusText(kFetchStatus);
    emit fetchStarted(byOperator);
    fetching_ = true;
    // The automatic fetch shows no box (submit sees to it): an unattended station never stops.
    auto picture = std::make_shared<QImage>(pictures_.rx);
    submit(
        [picture](ConverterOperations& ops) {
            Converter::Result result;
            result.complete = ops.fetch(*picture, {});
            result.failure = ops.lastFailure();
            return result;
        },
        byOperator,
        [this, picture, byOperator, keep](const Converter::Result& result) {
            fetching_ = false;
            pictures_.rx = *picture;
            if (!keep) {
                emit fetchEnded(byOperator, result.complete, result.failure);
                return;
            }
            // What has arrived is stored also when the fetch stopped early.
            const StoredPicture kept =
                store(*picture, std::exchange(announcedMode_, QString()), result.complete);
            for (const QString& error : kept.errors)
                dialogs_.error(error);
            QString failure = result.failure;
            if (failure.isEmpty() && !kept.errors.isEmpty())
                failure = kept.errors.front();
            emit fetchEnded(byOperator, result.complete && kept.errors.isEmpty(), failure);
        });
    return true;
}

bool Station::digitize() {
    if (!admit(true))
        return false;
    emit framesRemoved();
    emit statusText(kDigitizeStatus);
    submit(single([](ConverterOperations& ops) { ops.digitize(); }), true);
    return true;
}

bool Station::selfTimer2s() {
    if (!admit(true))
        return false;
    emit framesRemoved();
    emit statusText(kSelfTimer2Status);
    submit(single([](ConverterOperations& ops) {
               ops.digitize();
               if (!ops.pause(Station::kDigitizePauseMs))
                   return;
               ops.removeFrames();
               ops.digitize();
           }),
           true);
    return true;
}

bool Station::selfTimer10s() {
    if (!admit(true))
        return false;
    emit framesRemoved();
    submit(
        [](ConverterOperations& ops) {
            Converter::Result result;
            result.complete = false;
            for (int n = 1; n <= Station::kSelfTimerSeconds; ++n) {
                ops.say(QStringLiteral("Self - timer %1s").arg(n));
                if (!ops.pause(1000))
                    return result; // the program ends: no digitize, no sound
            }
            ops.digitize();
            if (!ops.pause(Station::kDigitizePauseMs))
                return result;
            ops.removeFrames();
            ops.digitize();
            result.complete = true;
            return result;
        },
        true,
        [this](const Converter::Result& result) {
            if (result.complete)
                emit confirmationWanted();
        });
    return true;
}

bool Station::selectMemory(int number) {
    if (!admit(true))
        return false;
    emit framesRemoved();
    emit statusText(number == 1 ? kMemory1Status : kMemory2Status);
    submit(single([number](ConverterOperations& ops) { ops.selectMemory(number); }), true);
    return true;
}

bool Station::freeRun(ModeId id) {
    if (!admitMode(id) || !admit(true))
        return false;
    emit framesRemoved();
    emit statusText(linktext::freeRunText(mode(id)));
    submit(single([id](ConverterOperations& ops) { ops.freeRun(id); }), true);
    return true;
}

bool Station::receiveStop() {
    // Inside another converter command's waits the stop byte would cut into that command.
    if (gate_.busy())
        return false;
    emit framesRemoved();
    emit statusText(kReceiveStopped);
    // A picture the sound card was receiving ends without its store, as the box's is not
    // fetched after a receive stop.
    stopped_ = receiving_;
    // The stop goes out from the converter's worker; the monitor watches again once it has.
    Converter* converter = converter_.get();
    submit(single([](ConverterOperations& ops) { ops.stopReception(); }), true,
           [this, converter](const Converter::Result&) {
               emit loadButtonEnabled(true);
               if (converter_.get() == converter)
                   converter->endReception();
           });
    return true;
}

void Station::setSaveAutomatically(bool on) {
    settings_.saveAuto = on;
}

// ---- pictures

bool Station::callsignInsert() const {
    return options().flag(kCallsignInsertKey);
}

QString Station::setCallsignInsert(bool on) {
    return setOption(kCallsignInsertKey, on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString Station::insertCallsign() {
    QString error;
    const QImage callsign = BmpFiles::read(folder_.path(captions::kCallsignPictureName), &error);
    if (callsign.isNull())
        return error; // names the file and the reason already
    pictures_.scratch = callsign;
    captions::pasteCallsign(pictures_.tx, pictures_.scratch);
    emit txPictureChanged();
    return {};
}

bool Station::loadIntoTx(const QString& file, QString* why) {
    if (!pictureFiles_.loadIntoTx(file)) {
        if (why)
            why->clear();
        return false;
    }
    emit txPictureChanged();
    return true;
}

void Station::setTxPicture(const QImage& picture) {
    pictures_.tx = picture;
    emit txPictureChanged();
}

void Station::loadTxPicture(const QImage& file) {
    pictures_.loadTx(file, QSize(410, 256));
    emit txPictureChanged();
}

// ---- the store

StoredPicture Station::store(const QImage& picture, const QString& mode, bool complete,
                             const QString& callsign) {
    StoredPicture kept;
    kept.when = QDateTime::currentDateTime();
    kept.mode = mode;
    kept.callsign = callsign;
    kept.complete = complete;
    kept.picture = picture;
    if (!storeFolder_.isEmpty()) {
        const ReceivedFile file =
            saveReceivedPicture(picture, storeFolder_, kept.when, mode, callsign);
        kept.jpegFile = file.path;
        kept.errors = file.errors;
        kept.name = WorkingPictures::timeStamp(kept.when);
    } else {
        const ReceivedPictureStore store(folder_);
        const auto result =
            store.store(picture, settings_, settings_.saveAuto, kept.when, mode, callsign);
        kept.name = result.name;
        kept.slot = result.slot;
        kept.slotFile = result.slotWritten ? result.slotFile : QString();
        kept.jpegFile = result.jpegFile;
        kept.hint = result.hint;
        kept.errors = result.errors;
        pictures_.draggedName = result.name;
    }
    emit stored(kept);
    return kept;
}

// ---- the reception's calls

void Station::selectTxModeItem(std::uint8_t status) {
    const auto id = modeByStatus(status);
    if (id)
        announcedMode_ = mode(*id).name;
    emit txModeItem(status);
    emit announced(status, id, id ? mode(*id).name : QStringLiteral("-"), receiveWaitMs(status));
}

void Station::converterAnnounced(std::uint8_t status, std::optional<ModeId> id, const QString& name,
                                 int airMs) {
    // What the box's monitor has the window show for a reception, for one the converter found
    // itself.
    receiving_ = true;
    stopped_ = false;
    receivedMode_ = id;
    announcedMode_ = name;
    emit loadButtonEnabled(false);
    emit rxStopFace(kRxStopText, colours::clLime.value());
    if (status != 0)
        emit txModeItem(status);
    emit announced(status, id, name, airMs);
    emit statusText(announceText(name));
    // The repeater list holds the box's modes in the table's order.
    if (id && isBoxMode(*id))
        reception_.selectRepeaterItem(int(*id));
    emit airTimeStarted(airMs);
}

void Station::converterReceived(const QImage& picture, const QString& name, bool complete,
                                const QString& callsign) {
    if (!receiving_)
        return;
    receiving_ = false;
    received_ = picture;
    receivedWhole_ = complete;
    announcedMode_ = name;
    heardCallsign_ = callsign;
    emit airTimeEnded();
    emit rxStopFace(kLoadingText, std::nullopt);
    if (!std::exchange(stopped_, false) && savesAutomatically())
        fetch(false);
    emit loadButtonEnabled(true);
    emit rxStopFace(kRxStopText, colours::clRed.value());
    emit statusText(callsign.isEmpty() ? kReadyForReceive : linktext::heardFrom(name, callsign));
    if (reception_.repeaterOn() && receivedMode_)
        repeaterTimer_->start(1000);
}

void Station::repeatReceived() {
    if (!reception_.repeaterOn() || !receivedMode_ || received_.isNull() || !admit(false))
        return;
    const ModeId id = *receivedMode_;
    emit framesRemoved();
    emit statusText(linktext::repeaterText(mode(id)));
    const QImage picture = received_;
    submit(single([picture, id](ConverterOperations& ops) {
               if (ops.upload(picture))
                   ops.transmit(id);
           }),
           false);
}

void Station::receptionTimeStarted(int totalMs) {
    emit airTimeStarted(totalMs);
}

void Station::showConverterPresence(ConverterPresence presence) {
    emit presenceChanged(presence);
}

} // namespace winorbis
