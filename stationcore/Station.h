// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterChoice.h"

#include "converter/Converter.h"
#include "link/BytePort.h"
#include "link/CommandGate.h"
#include "link/LinkOptions.h"
#include "link/ReceptionController.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/StationOptions.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace winorbis {

class BoxConverter;
class BytePort;
class Clock;
class ConverterLink;
class Dialogs;

// A received picture as the station stored it.
struct StoredPicture {
    QDateTime when;
    QString mode;     // the display name of the reception announced last, empty when none was
    QString name;     // the time stamp "ddmmyy_hhnnss"
    int slot = 0;     // the mini slot it went into, 0 when it went to a folder of its own
    QString slotFile; // native paths, empty when not written
    QString jpegFile;
    QString hint;     // the slot's hint: when and in which mode it was received
    QString callsign; // sent in FSK after the picture, empty when none came
    bool complete = false;
    QStringList errors;
    QImage picture;
};

// The station: one owner of everything a station is, without a window. Built from a program
// folder and a converter choice, it reads and writes the settings (COM.DAT, station.conf,
// ports.conf), opens the converter (the box over any port, the sound card in the program) and
// follows its receptions, runs the operator's commands and the automatic work (the fetch at the
// end of a reception, the repeater), keeps the TX and RX pictures with the callsign insert, and
// decides what is stored where (the mini slots, AutoSpeichern, received.log, or a folder of the
// caller's). The window, orbisctl and the web face only call it and listen to its signals.
//
// Commands are admitted by one guard, in one order: another command runs (refused quietly), the
// converter is lost (refused with the lost text), a reception runs (for the commands that must
// not cut into one). An admitted command runs on the converter's worker; the station's thread
// keeps answering, and no second command starts until it has ended. Everything here is used from
// the station's thread (converter/Converter.h states the threading rules).
class Station final : public QObject, private ReceptionView {
    Q_OBJECT
public:
    struct Setup {
        // The program folder; empty: the current directory.
        QString folder;
        // The converter's device or serial server for this run (--port); empty: the one the
        // settings' COM number names in ports.conf.
        QString device;
        // A COM number for this run (--com), 0: the settings' own.
        int com = 0;
        // The line speed for this run; none: the settings'.
        std::optional<LinkSpeed> speed;
        // A port made by the caller instead of a device (the built-in simulator's line, the
        // sound card's line), and what the status bar calls it.
        std::function<std::unique_ptr<BytePort>()> portFactory;
        QString portKind;
        // A vanished device is opened again every second; otherwise it ends the watch.
        bool reconnect = true;
        // The converter: the one station.conf chooses (Converter=), unless a device, a port or
        // one of these is named for the run.
        enum class Use { Chosen, Box, SoundCard };
        Use use = Use::Chosen;
        // Where the converter's own notes go (the sound card's events and the devices it cannot
        // have), for standard error; none when empty.
        std::function<void(const QString&)> converterLog;
        // Every event of the sound card's air, not only its problems.
        bool verbose = false;
        // A converter made by the caller instead of the one chosen (a sound card on audio in
        // memory, a converter of the caller's own).
        std::function<std::unique_ptr<Converter>()> converterFactory;
    };

    // The box's pauses: between the two digitize bytes, and for the digitize to settle before a
    // transmission; the self-timer's seconds.
    static constexpr int kDigitizePauseMs = 200;
    static constexpr int kDigitizeSettleMs = 14000;
    static constexpr int kSelfTimerSeconds = 10;

    Station(const Setup& setup, Dialogs& dialogs, Clock& clock, QObject* parent = nullptr);
    ~Station() override;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // ---- the program folder and its settings
    const ProgramFolder& folder() const { return folder_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    // Makes the folder's missing picture folders, so that no received or stored picture is lost
    // for want of one, and removes what a program killed in the middle of a write left behind.
    void prepareFolder();
    // The start-up pictures: "\DEFALT.BMP" written and loaded into the TX and RX pictures, then
    // "\Gray.BMP" and a missing confirmation sound.
    void writeStartupPictures();
    // Reads COM.DAT into the settings (a missing file is written with the defaults, a damaged one
    // is said and kept aside). A folder without one is new: it gets its starter files (the start
    // picture, the standard-text library, the callsign picture). True for a new folder.
    bool readSettings(const QString& defaultFace);
    // Reads COM.DAT without writing anything (the headless commands that only look at it).
    void peekSettings();
    // A program folder's COM.DAT as it reads, over defaults, without a station (the commands that
    // only draw or list from it); defaults when there is none.
    static Settings folderSettings(const ProgramFolder& folder, const Settings& defaults);
    // Writes COM.DAT whole or not at all; false when it failed (the reason went to the dialogs).
    bool writeSettings();
    // station.conf as it stands now.
    StationOptions options() const { return StationOptions::load(folder_); }
    // Sets one key of station.conf and writes it whole; the reason on failure.
    QString setOption(const QString& key, const QString& value);
    // The device the converter is on: this run's, else ports.conf's for the COM number.
    QString converterDevice() const;
    LinkSpeed linkSpeed() const { return setup_.speed.value_or(settings_.linkSpeed); }

    // ---- the converter
    // Opens the converter and, with identify, asks who it is: when it does not answer, with a
    // beep and the no-connection box. The converter's presence is said either way. Returns the
    // identify answer (0 without one). The worker watches for receptions from start() on.
    // nullopt when the port could not be opened at all ("No response from the interface"); the
    // identify is asked all the same, as the window's start does.
    std::optional<std::uint8_t> openConverter(bool identify = true);
    // Asks the converter who it is, with the beep and the box when it does not answer; before
    // start() only. The answer, 0 without one.
    std::uint8_t identify();
    void start();
    // Ends the converter's worker and the timers (the program ends); nothing runs afterwards.
    void stop();
    Converter& converter() { return *converter_; }
    // What the converter in use can do; nothing while one gives way to another.
    const ConverterCapabilities& capabilities() const;
    // Whether the converter in use sends and receives in the mode.
    bool offers(ModeId id) const;
    // The box's link, for the exchanges that only the box has (the handheld) and the window's
    // converter field; null for another converter.
    ConverterLink* boxLink();
    CommandGate& gate() { return gate_; }
    // Keeps the box's monitor off its port while the returned hold lives, for the exchanges that
    // run on this thread while a modal window is open (the VC-H1 handheld, the setup window).
    MonitorHold hold();
    ReceptionController& reception() { return reception_; }
    Clock& clock() { return clock_; }
    Dialogs& dialogs() { return dialogs_; }
    bool busy() const { return gate_.busy(); }
    // True while a reception runs (announced, its time not yet over).
    bool receptionRunning() const { return !converter_->idle(); }
    bool converterLost() const;
    QString lostText() const;
    // The converter choice station.conf holds now.
    ConverterChoice chosenConverter() const;
    // The setup window's switch of converters: refused while a command or a reception runs. The
    // one in use closes (its port first, a device is never open twice), then the chosen one
    // starts: the box on the settings' COM port, asked quietly who it is, or the sound card with
    // its devices. The text for the status bar.
    QString switchConverter(const ConverterChoice& choice);

    // ---- the operator's commands (and the web face's, and orbisctl's); each returns whether it
    // was admitted, and ends with commandEnded (the fetch with fetchEnded).
    // Transmits in the mode: the TX picture uploaded first (with the callsign insert), or the
    // video input digitized first, or the memory picture as it is.
    bool transmit(ModeId mode, bool uploadFirst, bool digitizeFirst);
    // The TX picture into the converter (with the callsign insert).
    bool upload();
    // The converter's picture into the RX picture, stored as a reception is (unless keep is
    // false: orbisctl fetch writes it where it is told); the operator's shows its failures in
    // boxes, the automatic one at the end of a reception in the status line.
    bool fetch(bool byOperator, bool keep = true);
    bool digitize();
    bool selfTimer2s();
    bool selfTimer10s();
    bool selectMemory(int number);
    bool freeRun(ModeId mode);
    bool receiveStop();
    void switchRepeater(bool on) { reception_.switchRepeater(on); }
    bool repeaterOn() const { return reception_.repeaterOn(); }
    // "Save Pic Auto": a reception is fetched and stored when its time has run out.
    void setSaveAutomatically(bool on);
    bool savesAutomatically() const override { return settings_.saveAuto; }
    // A picture file played after the 10 s self-timer: the faces play it (confirmationWanted).

    // ---- the pictures
    WorkingPictures& pictures() { return pictures_; }
    // The callsign insert (station.conf "CallsignInsert"): callsign.bmp goes into the TX
    // picture's corner before every upload.
    bool callsignInsert() const;
    QString setCallsignInsert(bool on);
    // Pastes callsign.bmp into the TX picture's corner now; the reason when it cannot be read.
    QString insertCallsign();
    // The TX picture from a picture (the web page's upload, a catalog position).
    void setTxPicture(const QImage& picture);
    // A picture file's pixels as the TX picture: scaled into 410 x 256, the file kept at its own
    // resolution for a converter that takes any size.
    void loadTxPicture(const QImage& file);
    // Loads a BMP or JPEG file into the TX picture as the program does; false, with the reason
    // in why when there is one, when nothing was loaded.
    bool loadIntoTx(const QString& file, QString* why);
    // The TX picture after the callsign insert, as it goes into the converter.
    QImage uploadPicture();

    // ---- what is stored where
    // Received pictures go into a folder of their own (a JPEG each and received.log) instead of
    // the mini slots and AutoSpeichern (orbisctl watch --save).
    void storeInFolder(const QString& folder) { storeFolder_ = folder; }
    // Stores a received picture by the station's policy.
    StoredPicture store(const QImage& picture, const QString& mode, bool complete,
                        const QString& callsign = {});
    // The display name of the mode announced last, until a fetch stores it.
    QString announcedMode() const { return announcedMode_; }

    // ---- the headless faces' event loop
    // Handles the station's events and timers until done() holds or the program ends.
    void runUntil(const std::function<bool()>& done);

    // ---- a job of the caller's own on the converter's worker, admitted by the guard
    // (the catalog beacon, the handheld). False when it was refused; done comes otherwise.
    bool runJob(Converter::Job job, bool byOperator,
                std::function<void(const Converter::Result&)> done = {});
    // A job of work the caller has admitted as a whole and keeps the gate busy for (the handheld
    // window while it is open, which holds the monitor's own reads off the port meanwhile): run on
    // the worker after the jobs before it, without the guard; done on the face's thread.
    void runAdmitted(Converter::Job job, std::function<void(const Converter::Result&)> done);

signals:
    void statusText(const QString& text);
    // A reception was announced: its status byte (0 for a mode the box does not have), the box's
    // mode when it has one, the mode's name ("-" when the status byte names none), its time.
    void announced(std::uint8_t status, std::optional<ModeId> mode, const QString& modeName,
                   int airMs);
    // A row of the capture's spectrum, while the sound card listens.
    void waterfall(const QByteArray& magnitudes);
    // The converter in use has changed (the setup window's switch).
    void converterChanged();
    // The hidden TX-mode item for a status byte (the converter's kind).
    void txModeItem(std::uint8_t status);
    void loadButtonEnabled(bool enabled);
    void rxStopFace(const QString& text, std::optional<std::uint32_t> colour);
    void repeaterItemShown(int item);
    void repeaterSwitchShown(bool on);
    void framesRemoved();
    // The reception's time on the air has begun, and has ended (its time ran out, the receive
    // stop).
    void airTimeStarted(int totalMs);
    void airTimeEnded();
    void transmissionStarted(int totalMs);
    void presenceChanged(linktext::ConverterPresence presence);
    void progress(int position, int maximum);
    void clockError(double ppm);
    // A fetch begins (the RX picture is about to fill), with whether the operator started it.
    void fetchStarted(bool byOperator);
    // A row of the RX picture has arrived; the RX picture holds it.
    void lineArrived(int row);
    // A received picture has been stored (or its store failed: errors says why).
    void stored(const StoredPicture& picture);
    // A fetch has ended; complete when every line came and every file was written, failure the
    // first thing that went wrong.
    void fetchEnded(bool byOperator, bool complete, const QString& failure);
    // The TX picture has changed (the callsign insert, a picture set).
    void txPictureChanged();
    // The 10 s self-timer has digitized: the confirmation sound.
    void confirmationWanted();
    // A command has ended on the converter: complete when every step went through.
    void commandEnded(bool complete, const QString& failure);

private:
    // ReceptionView: the reception's calls, turned into the signals above.
    void selectTxModeItem(std::uint8_t status) override;
    void setStatusText(const QString& text) override { emit statusText(text); }
    void setLoadButtonEnabled(bool enabled) override { emit loadButtonEnabled(enabled); }
    void setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) override {
        emit rxStopFace(text, colour);
    }
    void showRepeaterItem(int item) override { emit repeaterItemShown(item); }
    void showRepeaterSwitch(bool on) override { emit repeaterSwitchShown(on); }
    void removeFrames() override { emit framesRemoved(); }
    void fetchReceivedPicture() override { fetch(false); }
    void receptionTimeStarted(int totalMs) override;
    void receptionTimeEnded() override { emit airTimeEnded(); }
    void showConverterPresence(linktext::ConverterPresence presence) override;

    // The guard; false when the command may not start (and why is said when it must be).
    bool admit(bool byOperator, bool notDuringReception = false);
    // A mode the converter in use does not offer is refused with a status text.
    bool admitMode(ModeId id);
    // Runs an admitted job with the gate marked busy until it has ended.
    void submit(Converter::Job job, bool attended,
                std::function<void(const Converter::Result&)> done = {});
    void connectConverter();
    void makeBox(std::unique_ptr<BytePort> port, const QString& kind);
    // The converter inside the program on the sound card, as the choice names it.
    void makeSoundCard(const ConverterChoice& choice);
    void replaceConverter(std::unique_ptr<Converter> converter);
    // A converter that receives by itself (the sound card): its reception begins and ends.
    void converterAnnounced(std::uint8_t status, std::optional<ModeId> mode, const QString& name,
                            int airMs);
    void converterReceived(const QImage& picture, const QString& name, bool complete,
                           const QString& callsign);
    // The sound card's repeater: the picture received goes back out in its mode.
    void repeatReceived();

    Setup setup_;
    Dialogs& dialogs_;
    Clock& clock_;
    ProgramFolder folder_;
    Settings settings_;
    SettingsStore store_;
    CommandGate gate_;
    ReceptionController reception_;
    std::unique_ptr<Converter> converter_;
    BoxConverter* box_ = nullptr; // converter_ when it is the box
    WorkingPictures pictures_;
    PictureFiles pictureFiles_;
    QString storeFolder_;
    QString announcedMode_;
    QString heardCallsign_; // sent in FSK after the picture received last
    // The sound card sends the callsign in FSK after each picture (station.conf FskId).
    bool sendsFskId_ = false;
    bool fetching_ = false;
    // The sound card's reception under way, and its last picture with whether it came whole.
    bool receiving_ = false;
    QImage received_;
    bool receivedWhole_ = false;
    std::optional<ModeId> receivedMode_;
    bool stopped_ = false;                  // the operator stopped the reception under way
    QStringList* switchWarnings_ = nullptr; // where a switch of converters collects them
    std::unique_ptr<ClockTimer> repeaterTimer_;
};

} // namespace winorbis
