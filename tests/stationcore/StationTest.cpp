// SPDX-License-Identifier: GPL-3.0-or-later
// The station without a window: its commands on the converter's worker, a reception through to
// its files and the repeater's send-back, on the in-memory converter (virtual time) and on the
// simulator over a pseudo-terminal.
#include "stationcore/Station.h"

#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "link/BoxConverter.h"
#include "link/LinkTexts.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"
#include "platform/Clock.h"
#include "radio/SoundCardConverter.h"
#include "radio/WavFileAudio.h"
#include "support/EventPump.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <numeric>
#include <vector>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// The mean absolute difference of two pictures' colours, over the smaller one's area.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888).scaled(x.size());
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

// What the station said, in order: status texts, frames, fetches and their rows and stores.
struct Heard {
    explicit Heard(Station& station) {
        QObject::connect(&station, &Station::statusText, &context,
                         [this](const QString& text) { events << "status " + text; });
        QObject::connect(&station, &Station::framesRemoved, &context,
                         [this] { events << "frames"; });
        QObject::connect(&station, &Station::confirmationWanted, &context,
                         [this] { events << "sound"; });
        QObject::connect(&station, &Station::fetchStarted, &context, [this](bool) { ++starts; });
        QObject::connect(&station, &Station::lineArrived, &context,
                         [this](int row) { rows.push_back(row); });
        QObject::connect(&station, &Station::stored, &context,
                         [this](const StoredPicture& picture) { stored << picture; });
        QObject::connect(&station, &Station::fetchEnded, &context,
                         [this](bool, bool complete, const QString& failure) {
                             ++fetches;
                             fetchComplete = complete;
                             fetchFailure = failure;
                         });
    }
    QObject context;
    QStringList events;
    int starts = 0;
    std::vector<int> rows;
    QList<StoredPicture> stored;
    int fetches = 0;
    bool fetchComplete = false;
    QString fetchFailure;
};

struct MemoryStation : ::testing::Test {
    QTemporaryDir dir;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    MemoryPort* port = nullptr;
    std::unique_ptr<MemoryConverter> converter;
    std::unique_ptr<Station> station;
    std::unique_ptr<Heard> heard;
    // Each command byte outside transfers with the virtual time it was written at.
    std::vector<std::pair<int, std::int64_t>> timed;

    void SetUp() override {
        Station::Setup setup;
        setup.folder = dir.path();
        setup.portFactory = [this] {
            auto memory = std::make_unique<MemoryPort>(clock);
            port = memory.get();
            converter = std::make_unique<MemoryConverter>(*port);
            return memory;
        };
        station = std::make_unique<Station>(setup, dialogs, clock);
        ASSERT_TRUE(station->folder().createMissingFolders().isEmpty());
        station->readSettings(QString());
        station->pictures().tx.fill(Qt::white);
        ASSERT_TRUE(station->openConverter(false));
        heard = std::make_unique<Heard>(*station);
        station->start();
        dialogs.clear();
    }
    void TearDown() override {
        station->stop();
        heard.reset();
        station.reset();
    }
    // Runs the station's events until its command has ended on the worker.
    void settle() {
        ASSERT_TRUE(pumpUntil([&] { return !station->busy(); }));
        QCoreApplication::processEvents();
    }
    void recordTimes() {
        port->setResponder([this](std::uint8_t byte, MemoryPort&) {
            timed.emplace_back(byte, clock.elapsedMs());
        });
    }
    // The converter announces a reception of the picture in the mode; its time runs out.
    void receive(ModeId id, const QImage& picture) {
        port->arrive(converter->model().receive(mode(id).box->statusByte, picture).bytes);
        ASSERT_TRUE(pumpUntil([&] { return station->reception().receiveTimerRunning(); }));
        clock.advance(receiveWaitMs(mode(id).box->statusByte));
        ASSERT_TRUE(pumpUntil([&] { return heard->fetches > 0; }));
        settle();
    }
};

} // namespace

TEST_F(MemoryStation, AReceptionEndsInTheSlotFileTheJpegTheLogAndTheRepeatersSendBack) {
    station->switchRepeater(true);
    const QImage picture = ConverterModel::cameraPicture(7);
    receive(ModeId::Martin2, picture);
    EXPECT_TRUE(heard->fetchComplete) << heard->fetchFailure.toStdString();
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    // The picture came over whole, and went to the slot file and the JPEG copy.
    const QImage& rx = station->pictures().rx;
    EXPECT_LT(meanDifference(rx, picture.copy(10, 0, 410, 256)), 2.0);
    ASSERT_EQ(heard->stored.size(), 1);
    const StoredPicture& kept = heard->stored.front();
    EXPECT_EQ(kept.slot, 1);
    EXPECT_LT(meanDifference(QImage(kept.slotFile), rx), 1.0);
    ASSERT_FALSE(kept.jpegFile.isEmpty());
    EXPECT_LT(meanDifference(QImage(kept.jpegFile), rx), 12.0);
    EXPECT_EQ(station->settings().slotNames[0], kept.name);
    EXPECT_EQ(kept.mode, "Martin 2");
    // The faces saw the start and every row in order.
    EXPECT_EQ(heard->starts, 1);
    std::vector<int> everyRow(256);
    std::iota(everyRow.begin(), everyRow.end(), 0);
    EXPECT_EQ(heard->rows, everyRow);
    QFile log(station->folder().path(u"\\AutoSpeichern\\received.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\tMartin 2\t")) << "the announced mode is recorded";
    // The repeater sends the picture back in the mode it came in.
    const std::uint8_t martin2 = mode(ModeId::Martin2).box->txByte;
    ASSERT_TRUE(pumpUntil([&] { return port->written().endsWith(char(martin2)); }));
}

TEST_F(MemoryStation, AFailedAutomaticFetchShowsNoBoxStoresWhatCameAndSaysWhy) {
    converter->silentFromFetchLine = 100;
    receive(ModeId::Robot36, ConverterModel::cameraPicture(3));
    EXPECT_FALSE(heard->fetchComplete);
    EXPECT_FALSE(heard->fetchFailure.isEmpty());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    // What arrived is in the slot all the same.
    ASSERT_EQ(heard->stored.size(), 1);
    EXPECT_TRUE(QFile::exists(heard->stored.front().slotFile));
    EXPECT_LT(heard->rows.size(), 256u);
    EXPECT_FALSE(station->busy());
}

// One failure of the converter, met by the operator's fetch and then by the automatic one: the
// operator gets each box once, after its beep; automatic work gets none, its failure is the
// status line's text and goes to standard error.
TEST_F(MemoryStation, AFetchFailureIsABoxForTheOperatorAndAStatusTextForAutomaticWork) {
    const QString noConnection = linktext::kNoConnection;
    converter->silentFromFetchLine = 100;
    ASSERT_TRUE(station->fetch(true));
    settle();
    EXPECT_EQ(heard->starts, 1);
    EXPECT_EQ(heard->stored.size(), 1) << "what came is stored";
    EXPECT_EQ(heard->fetchFailure, "Communication error[data]");
    auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0].what, "beep");
    EXPECT_EQ(shown[1].what, "message");
    EXPECT_EQ(shown[1].text, noConnection);
    EXPECT_EQ(shown[2].what, "message");
    EXPECT_EQ(shown[2].text, "Communication error[data]");

    dialogs.clear();
    converter->silent = false; // it answers again, up to the same line
    ASSERT_TRUE(station->fetch(false));
    settle();
    EXPECT_EQ(heard->fetchFailure, "Communication error[data]");
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    QStringList onStandardError;
    for (const auto& s : dialogs.shown())
        if (s.what == "stderr")
            onStandardError << s.text;
    EXPECT_EQ(onStandardError, QStringList({noConnection, "Communication error[data]"}));
    EXPECT_FALSE(dialogs.unattended());
}

TEST_F(MemoryStation, NoCommandStartsWhileAnotherRuns) {
    CommandGate::Operation other(station->gate());
    EXPECT_FALSE(station->fetch(true));
    EXPECT_FALSE(station->transmit(ModeId::Martin2, false, false));
    EXPECT_FALSE(station->digitize());
    EXPECT_FALSE(station->selectMemory(1));
    EXPECT_FALSE(station->freeRun(ModeId::Scottie1));
    EXPECT_FALSE(station->selfTimer10s());
    EXPECT_FALSE(station->upload());
    EXPECT_FALSE(station->receiveStop());
    QCoreApplication::processEvents();
    EXPECT_TRUE(port->written().isEmpty());
    EXPECT_EQ(heard->starts, 0);
}

// Each command's bytes, the virtual time each went out at, and what the faces were told.
TEST_F(MemoryStation, EachCommandWritesItsBytesAtItsTimesAndSaysSo) {
    struct Case {
        const char* name;
        std::function<bool(Station&)> run;
        std::vector<std::pair<int, std::int64_t>> bytes;
        QStringList said; // the events that must be among what was said, in order
    };
    const QString m1 = "status Send in Martin 1, stopped the transfer with the \" RX \" Button on "
                       "the remote maintenance";
    const std::vector<Case> cases = {
        {"transmit",
         [](Station& s) { return s.transmit(ModeId::Scottie2, false, false); },
         {{54, 0}},
         {"frames", "frames", "status " + linktext::transmitText(mode(ModeId::Scottie2))}},
        {"ACQ/Tx",
         [](Station& s) { return s.transmit(ModeId::Martin1, false, true); },
         {{36, 0}, {36, 200}, {56, 14200}},
         {"status Picture digitize", m1}},
        {"digitize",
         [](Station& s) { return s.digitize(); },
         {{36, 0}},
         {"status Picture digitize"}},
        {"2 s self-timer",
         [](Station& s) { return s.selfTimer2s(); },
         {{36, 0}, {36, 200}},
         {"status Self - timer after 2s"}},
        {"10 s self-timer",
         [](Station& s) { return s.selfTimer10s(); },
         {{36, 10000}, {36, 10200}},
         {"status Self - timer 1s", "status Self - timer 10s", "sound"}},
        {"memory 2",
         [](Station& s) { return s.selectMemory(2); },
         {{33, 0}},
         {"status Orbis 70 - Memory 2"}},
        {"free run",
         [](Station& s) { return s.freeRun(ModeId::Robot72); },
         {{57, 0}},
         {"status Free Run Mode R72, stopped use the Button \" RX Stop \" "}},
    };
    recordTimes();
    for (const Case& c : cases) {
        timed.clear();
        heard->events.clear();
        const std::int64_t t0 = clock.elapsedMs();
        ASSERT_TRUE(c.run(*station)) << c.name;
        settle();
        // The worker takes the command when the monitor's read of the moment has ended: at most
        // one read's time-out (20 ms) after it was given.
        ASSERT_FALSE(timed.empty()) << c.name;
        const std::int64_t late = timed.front().second - t0 - c.bytes.front().second;
        EXPECT_GE(late, 0) << c.name;
        EXPECT_LE(late, 20) << c.name;
        std::vector<std::pair<int, std::int64_t>> relative;
        for (const auto& [byte, at] : timed)
            relative.emplace_back(byte, at - t0 - late);
        EXPECT_EQ(relative, c.bytes) << c.name;
        qsizetype from = 0;
        for (const QString& event : c.said) {
            from = heard->events.indexOf(event, from);
            EXPECT_GE(from, 0) << c.name << ": " << event.toStdString() << " in "
                               << heard->events.join('|').toStdString();
        }
    }
}

TEST_F(MemoryStation, UploadFirstSendsTheTxPictureThenTheModeAndAFailedUploadStillSends) {
    ASSERT_TRUE(station->transmit(ModeId::Scottie2, true, false));
    settle();
    EXPECT_EQ(converter->uploadedLines(), 256);
    EXPECT_EQ(converter->memory[128], pixelcodec::encodeImageRow(station->pictures().tx, 128));
    EXPECT_TRUE(heard->events.contains("status Load picture from PC to Orbis 70"));
    EXPECT_EQ(port->written().back(), char(54));
    EXPECT_EQ(port->written().front(), char(1));

    const qsizetype before = port->written().size();
    converter->ackBeginTransfer = false;
    ASSERT_TRUE(station->transmit(ModeId::Robot36, true, false));
    settle();
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[com]"});
    EXPECT_EQ(port->written().mid(before), QByteArray("\x01\x3E", 2));
}

// The program's end (a signal) cuts a running wait short: the command stops there and nothing
// more reaches the converter, which would otherwise start to transmit while the program ends.
TEST_F(MemoryStation, TheProgramsEndDuringAWaitSendsNothingMore) {
    struct Case {
        const char* name;
        int endAtMs;
        std::function<bool(Station&)> run;
        std::vector<std::pair<int, std::int64_t>> sent;
    };
    const std::vector<Case> cases = {
        {"ACQ/Tx in its 14 s wait",
         5000,
         [](Station& s) { return s.transmit(ModeId::Martin1, false, true); },
         {{36, 0}, {36, 200}}},
        {"ACQ/Tx between the digitize bytes",
         100,
         [](Station& s) { return s.transmit(ModeId::Martin1, false, true); },
         {{36, 0}}},
        {"10 s self-timer", 3500, [](Station& s) { return s.selfTimer10s(); }, {}},
        {"2 s self-timer", 100, [](Station& s) { return s.selfTimer2s(); }, {{36, 0}}},
    };
    for (const Case& c : cases) {
        VirtualClock local;
        Station::Setup setup;
        setup.folder = dir.path();
        MemoryPort* localPort = nullptr;
        std::unique_ptr<MemoryConverter> localConverter;
        setup.portFactory = [&] {
            auto memory = std::make_unique<MemoryPort>(local);
            localPort = memory.get();
            localConverter = std::make_unique<MemoryConverter>(*memory);
            return memory;
        };
        Station ending(setup, dialogs, local);
        ASSERT_TRUE(ending.openConverter(false));
        ending.start();
        Heard said(ending);
        std::vector<std::pair<int, std::int64_t>> sent;
        localPort->setResponder(
            [&](std::uint8_t byte, MemoryPort&) { sent.emplace_back(byte, local.elapsedMs()); });
        auto signal = local.createTimer([&] { local.endWaits(); });
        signal->start(c.endAtMs);
        ASSERT_TRUE(c.run(ending)) << c.name;
        ASSERT_TRUE(pumpUntil([&] { return !ending.busy(); })) << c.name;
        // The times from the first byte: the monitor's reads may have moved the clock before.
        const std::int64_t first = sent.empty() ? 0 : sent.front().second;
        for (auto& [byte, at] : sent)
            at -= first;
        EXPECT_EQ(sent, c.sent) << c.name;
        EXPECT_FALSE(said.events.contains("sound")) << c.name;
        ending.stop();
    }
}

TEST_F(MemoryStation, WhileTheConverterIsLostEveryCommandAnswersAtOnceWithTheLostMessage) {
    port->vanish();
    ASSERT_TRUE(pumpUntil([&] { return station->converterLost(); }));
    const QString lost = "Connection to the converter lost: waiting for the converter's port";
    const auto answeredAtOnce = [&](const char* what, bool admitted) {
        EXPECT_FALSE(admitted) << what;
        EXPECT_EQ(heard->events.back(), "status " + lost) << what;
        ASSERT_FALSE(dialogs.texts().isEmpty()) << what;
        EXPECT_EQ(dialogs.texts().back(), lost) << what;
        dialogs.clear();
        heard->events.clear();
    };
    answeredAtOnce("transmit", station->transmit(ModeId::Martin1, true, false));
    answeredAtOnce("acq/tx", station->transmit(ModeId::Robot36, false, true));
    answeredAtOnce("self-timer", station->selfTimer10s());
    answeredAtOnce("free run", station->freeRun(ModeId::Scottie1));
    answeredAtOnce("memory", station->selectMemory(2));
    EXPECT_TRUE(port->written().isEmpty());

    // Back: the commands go out again.
    port->setComesBack(true);
    port->setResponder(converterAnswers(0xC4));
    ASSERT_TRUE(pumpUntil([&] { return !station->converterLost(); }));
    const qsizetype before = port->written().size();
    ASSERT_TRUE(station->selectMemory(1));
    settle();
    EXPECT_EQ(port->written().mid(before), QByteArray(1, char(command::kMemory1)));
}

TEST_F(MemoryStation, TheReceiveStopSendsTheStopByteAndEndsTheWaitWithoutAFetch) {
    port->arrive(QByteArray(1, char(136)));
    ASSERT_TRUE(pumpUntil([&] { return station->reception().receiveTimerRunning(); }));
    ASSERT_TRUE(station->receiveStop());
    EXPECT_TRUE(heard->events.contains("status Receive stopped, ready for receive"));
    settle();
    EXPECT_EQ(port->written(), QByteArray(1, '\x01'));
    ASSERT_TRUE(pumpUntil([&] { return heard->events.contains("status  Ready for Receive "); }));
    EXPECT_FALSE(station->reception().receiveTimerRunning());
    clock.advance(40000);
    QCoreApplication::processEvents();
    EXPECT_EQ(heard->starts, 0);
    EXPECT_EQ(port->written(), QByteArray(1, '\x01')); // the repeater is off
}

// The station on the simulated converter over a pseudo-terminal: a reception saved into a folder
// of its own as a JPEG with its log line (orbisctl watch --save), and every mode and option's
// bytes.
TEST(PseudoTerminalStation, AReceptionIsSavedInAFolderAndEveryCommandReachesTheSimulator) {
    ConverterSimulator simulator;
    QString device, error;
    ASSERT_TRUE(simulator.openPseudoTerminal(&device, &error)) << error.toStdString();
    QTemporaryDir dir, saves;
    ScriptedDialogs dialogs;
    VirtualClock clock; // the waits pass in virtual time; the line is real
    Station::Setup setup;
    setup.folder = dir.path();
    setup.device = device;
    Station station(setup, dialogs, clock);
    station.peekSettings();
    ASSERT_EQ(station.openConverter(true), std::optional<std::uint8_t>(76));
    station.storeInFolder(saves.path());
    station.setSaveAutomatically(true);
    Heard heard(station);
    station.start();

    const QImage picture = ConverterModel::cameraPicture(11);
    simulator.receive(mode(ModeId::Robot36).box->statusByte, picture);
    ASSERT_TRUE(pumpUntil([&] { return station.reception().receiveTimerRunning(); }, 5000));
    clock.advance(receiveWaitMs(mode(ModeId::Robot36).box->statusByte));
    ASSERT_TRUE(pumpUntil([&] { return heard.fetches > 0; }, 10000));
    EXPECT_TRUE(heard.fetchComplete) << heard.fetchFailure.toStdString();
    ASSERT_EQ(heard.stored.size(), 1);
    const QString saved = heard.stored.front().jpegFile;
    ASSERT_FALSE(saved.isEmpty()) << heard.stored.front().errors.join('\n').toStdString();
    EXPECT_LT(meanDifference(QImage(saved), picture.copy(10, 0, 410, 256)), 12.0);
    QFile log(saves.path() + "/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\tRobot 36\t-\t" + saved.toUtf8()));
    ASSERT_TRUE(pumpUntil([&] { return !station.busy() && station.converter().idle(); }));

    const int before = simulator.events().size();
    for (const Mode& m : boxModeRows()) {
        const ModeId id = *modeByName(m.shortName);
        ASSERT_TRUE(station.transmit(id, false, false));
        ASSERT_TRUE(pumpUntil([&] { return !station.busy(); }));
        ASSERT_TRUE(station.transmit(id, false, true));
        ASSERT_TRUE(pumpUntil([&] { return !station.busy(); }));
    }
    ASSERT_TRUE(simulator.waitForEvents(before + 6 * 4, 5000));
    const QStringList events = simulator.events().mid(before);
    EXPECT_EQ(events.last(), "transmit Scottie 2");
    EXPECT_EQ(events.count("digitize into memory 1"), 12);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    station.stop();
}

// The sound card inside the program on WAV files: a PD 120 picture heard from a recording, its
// sender's callsign in FSK after it, goes to the slot file and the JPEG at its own size and into
// the log with its mode and callsign, and the repeater sends it back in PD 120 into the recording
// of what went out.
TEST(SoundCardStation, AReceptionFromAWavFileIsStoredAtItsSizeAndRepeated) {
    QTemporaryDir dir;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    QImage sent(640, 496, QImage::Format_RGB32);
    for (int y = 0; y < sent.height(); ++y)
        for (int x = 0; x < sent.width(); ++x)
            sent.setPixel(x, y, qRgb(x * 255 / 639, y * 255 / 495, 128));
    std::vector<std::int16_t> heard(11025, 0);
    sstv::EncoderOptions options{11025.0};
    options.fskId = QStringLiteral("DL1ABC");
    const auto picture = sstv::SstvEncoder::encode16(sent, ModeId::Pd120, options);
    heard.insert(heard.end(), picture.begin(), picture.end());
    heard.insert(heard.end(), 2 * 11025, 0);
    const QString in = dir.filePath("heard.wav"), out = dir.filePath("sent.wav");
    {
        QFile file(in);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(sstv::wavBytes(heard, 11025));
    }
    Station::Setup setup;
    setup.folder = dir.filePath("station");
    setup.converterFactory = [&]() -> std::unique_ptr<Converter> {
        radio::SoundCardConverter::Devices devices;
        QString why;
        devices.source = radio::WavFileSource::open(in, clock, &why);
        devices.sink = radio::WavFileSink::create(out, 11025, &why);
        return std::make_unique<radio::SoundCardConverter>(std::move(devices), clock);
    };
    Station station(setup, dialogs, clock);
    station.prepareFolder();
    station.readSettings(QString());
    station.settings().saveAuto = true;
    ASSERT_TRUE(station.openConverter(true));
    Heard said(station);
    station.start();
    station.switchRepeater(true);
    ASSERT_TRUE(pumpUntil(
        [&] {
            clock.advance(200);
            return !said.stored.isEmpty();
        },
        60000));
    const StoredPicture& kept = said.stored.front();
    EXPECT_EQ(kept.mode, "PD 120");
    EXPECT_EQ(kept.callsign, "DL1ABC");
    EXPECT_TRUE(kept.hint.endsWith(", PD 120 from DL1ABC")) << kept.hint.toStdString();
    EXPECT_TRUE(said.events.contains("status  Ready for Receive - PD 120 from DL1ABC "))
        << said.events.join('|').toStdString();
    EXPECT_EQ(QImage(kept.slotFile).size(), QSize(640, 496));
    EXPECT_LT(meanDifference(QImage(kept.slotFile), sent), 6.0);
    EXPECT_EQ(QImage(kept.jpegFile).size(), QSize(640, 496));
    QFile log(station.folder().path(u"\\AutoSpeichern\\received.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    EXPECT_TRUE(logged.contains("\tPD 120\t")) << logged.toStdString();
    EXPECT_TRUE(logged.endsWith("\tDL1ABC\n")) << logged.toStdString();
    // The repeater's transmission: PD 120 again, the picture as it came.
    ASSERT_TRUE(pumpUntil(
        [&] {
            clock.advance(1000);
            return QFileInfo(out).size() > 126 * 11025 * 2;
        },
        60000));
    clock.advance(5000);
    ASSERT_TRUE(pumpUntil([&] { return !station.busy(); }));
    station.stop();
    const auto wav = sstv::readWav(out, nullptr);
    ASSERT_TRUE(wav);
    sstv::SstvDecoder decoder(wav->sampleRate);
    sstv::FirstPicture first;
    decoder.setListener(&first);
    decoder.process(wav->samples);
    decoder.finish();
    ASSERT_TRUE(first.picture);
    EXPECT_EQ(first.picture->mode, ModeId::Pd120);
    EXPECT_LT(meanDifference(first.picture->picture, sent), 8.0);
}
