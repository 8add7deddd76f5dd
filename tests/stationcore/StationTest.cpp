// SPDX-License-Identifier: GPL-3.0-or-later
// The station without a window: a reception through to its files and the repeater's send-back,
// on the in-memory converter (virtual time) and on the simulator over a pseudo-terminal.
#include "stationcore/Station.h"
#include "stationcore/HeadlessFace.h"
#include "stationcore/ReceivedFiles.h"

#include "link/LinkTexts.h"
#include "link/ModeTable.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/EventPump.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "tools/simulator/ConverterSimulator.h"
#include "workspace/ReceivedPictureStore.h"
#include "workspace/WorkingPictures.h"

#include <QDir>
#include <QFile>
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

// What a fetch asked of its caller, in order; writes no files.
struct SeenSteps : Station::FetchSteps {
    int starts = 0;
    std::vector<int> rows;
    QStringList storedModes; // one per store

    void starting() override { ++starts; }
    void line(int row) override { rows.push_back(row); }
    QStringList store(const QImage&, const QString& mode) override {
        storedModes << mode;
        return {};
    }
};

// Stores into the program folder as the main window does, with automatic JPEG copies.
struct ProgramFolderSteps final : SeenSteps {
    ProgramFolderSteps(const ProgramFolder& folder, Settings& settings)
        : folder(folder)
        , settings(settings) {}

    QStringList store(const QImage& picture, const QString& mode) override {
        SeenSteps::store(picture, mode);
        stored = ReceivedPictureStore(folder).store(picture, settings, true,
                                                    QDateTime::currentDateTime(), mode);
        return stored.errors;
    }

    const ProgramFolder& folder;
    Settings& settings;
    ReceivedPictureStore::Result stored;
};

// Saves into a folder as orbisctl's watch command does.
struct FolderSaveSteps final : Station::FetchSteps {
    explicit FolderSaveSteps(const QString& folder)
        : folder(folder) {}

    QStringList store(const QImage& picture, const QString& mode) override {
        saved = saveReceivedPicture(picture, folder, QDateTime::currentDateTime(), mode);
        return saved.errors;
    }

    QString folder;
    ReceivedFile saved;
};

struct MemoryStation : ::testing::Test {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    HeadlessFace face;
    Station station{dialogs, clock, face};
    MemoryPort* port = nullptr;
    std::unique_ptr<MemoryConverter> converter;
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    Settings settings = Settings::defaults(QString());
    QImage rx = WorkingPictures::defaultGradient();
    ProgramFolderSteps steps{folder, settings};
    Station::FetchResult fetched;
    int fetches = 0;

    void SetUp() override {
        ASSERT_TRUE(folder.createMissingFolders().isEmpty());
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        converter = std::make_unique<MemoryConverter>(*port);
        station.link().attachPort(std::move(memory));
        // The program folder's store, as the main window uses it, with automatic JPEG copies.
        face.fetch = [this] {
            fetched = station.fetchReceived(rx, false, steps);
            ++fetches;
        };
        station.reception().start();
    }
    void TearDown() override { station.gate().shut(); }

    // The converter announces a reception of the picture in the mode; its time runs out.
    void receive(ModeId id, const QImage& picture) {
        port->arrive(converter->model().receive(mode(id).statusByte, picture).bytes);
        ASSERT_TRUE(pumpUntil([&] { return station.reception().receiveTimerRunning(); }));
        clock.advance(receiveWaitMs(mode(id).statusByte));
        ASSERT_TRUE(pumpUntil([&] { return fetches > 0; }));
    }
};

} // namespace

TEST_F(MemoryStation, AReceptionEndsInTheSlotFileTheJpegTheLogAndTheRepeatersSendBack) {
    station.reception().switchRepeater(true);
    const QImage picture = ConverterModel::cameraPicture(7);
    receive(ModeId::M2, picture);
    ASSERT_TRUE(fetched.ran);
    EXPECT_TRUE(fetched.complete) << fetched.failure.toStdString();
    EXPECT_TRUE(dialogs.texts().isEmpty());
    // The picture came over whole, and went to the slot file and the JPEG copy.
    EXPECT_LT(meanDifference(rx, picture.copy(10, 0, 410, 256)), 2.0);
    EXPECT_EQ(steps.stored.slot, 1);
    EXPECT_LT(meanDifference(QImage(steps.stored.slotFile), rx), 1.0);
    ASSERT_FALSE(steps.stored.jpegFile.isEmpty());
    EXPECT_LT(meanDifference(QImage(steps.stored.jpegFile), rx), 12.0);
    EXPECT_EQ(settings.slotNames[0], steps.stored.name);
    // The caller saw the start, every row in order and one store with the announced mode.
    EXPECT_EQ(steps.starts, 1);
    std::vector<int> everyRow(256);
    std::iota(everyRow.begin(), everyRow.end(), 0);
    EXPECT_EQ(steps.rows, everyRow);
    EXPECT_EQ(steps.storedModes, QStringList{"Martin 2"});
    QFile log(folder.path(u"\\AutoSpeichern\\received.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\tMartin 2\t")) << "the announced mode is recorded";
    // The repeater sends the picture back in the mode it came in.
    const std::uint8_t martin2 = mode(ModeId::M2).txByte;
    ASSERT_TRUE(pumpUntil([&] { return port->written().endsWith(char(martin2)); }));
}

TEST_F(MemoryStation, AFailedAutomaticFetchShowsNoBoxStoresWhatCameAndSaysWhy) {
    converter->silentFromFetchLine = 100;
    receive(ModeId::R36, ConverterModel::cameraPicture(3));
    ASSERT_TRUE(fetched.ran);
    EXPECT_FALSE(fetched.complete);
    EXPECT_FALSE(fetched.failure.isEmpty());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    // What arrived is in the slot all the same.
    EXPECT_TRUE(QFile::exists(steps.stored.slotFile));
    EXPECT_LT(steps.rows.size(), 256u);
    EXPECT_EQ(steps.storedModes.size(), 1);
    // The station is free for the next command.
    EXPECT_FALSE(station.gate().busy());
}

// One failure of the converter, met by the operator's fetch and then by the automatic one: the
// operator gets each box once, after its beep; automatic work gets none, its failure is the
// status line's text and goes to standard error.
TEST_F(MemoryStation, AFetchFailureIsABoxForTheOperatorAndAStatusTextForAutomaticWork) {
    const QString noConnection = linktext::kNoConnection;
    converter->silentFromFetchLine = 100;
    QImage picture = WorkingPictures::defaultGradient();
    SeenSteps byHandSteps;
    const Station::FetchResult byHand = station.fetchReceived(picture, true, byHandSteps);
    EXPECT_TRUE(byHand.ran);
    EXPECT_EQ(byHandSteps.starts, 1);
    EXPECT_EQ(byHandSteps.storedModes.size(), 1) << "what came is stored";
    EXPECT_EQ(byHand.failure, "Communication error[data]");
    auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0].what, "beep");
    EXPECT_EQ(shown[1].what, "message");
    EXPECT_EQ(shown[1].text, noConnection);
    EXPECT_EQ(shown[2].what, "message");
    EXPECT_EQ(shown[2].text, "Communication error[data]");

    dialogs.clear();
    converter->silent = false; // it answers again, up to the same line
    SeenSteps automaticSteps;
    const Station::FetchResult automatic = station.fetchReceived(picture, false, automaticSteps);
    EXPECT_TRUE(automatic.ran);
    EXPECT_EQ(automatic.failure, "Communication error[data]");
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    QStringList onStandardError;
    for (const auto& s : dialogs.shown())
        if (s.what == "stderr")
            onStandardError << s.text;
    EXPECT_EQ(onStandardError, QStringList({noConnection, "Communication error[data]"}));
    EXPECT_FALSE(dialogs.unattended());
}

TEST_F(MemoryStation, AFetchIsRefusedWhileAnotherCommandRuns) {
    CommandGate::Operation other(station.gate());
    QImage picture;
    SeenSteps refused;
    const Station::FetchResult result = station.fetchReceived(picture, true, refused);
    EXPECT_FALSE(result.ran);
    EXPECT_TRUE(port->written().isEmpty());
    EXPECT_EQ(refused.starts, 0);
    EXPECT_TRUE(refused.storedModes.isEmpty());
}

TEST(PseudoTerminalStation, AReceptionOnTheSimulatorIsSavedAsJpegWithItsLogLine) {
    ConverterSimulator simulator;
    QString device, error;
    ASSERT_TRUE(simulator.openPseudoTerminal(&device, &error)) << error.toStdString();
    ScriptedDialogs dialogs;
    SystemClock clock;
    HeadlessFace face;
    Station station(dialogs, clock, face);
    ASSERT_TRUE(station.link().OpenConverterPort(LinkSpeed::Baud115200, device));
    QTemporaryDir dir;
    QImage rx = WorkingPictures::defaultGradient();
    FolderSaveSteps steps(dir.path());
    const ReceivedFile& saved = steps.saved;
    bool done = false;
    face.fetch = [&] {
        EXPECT_TRUE(station.fetchReceived(rx, false, steps).complete);
        done = true;
    };
    station.reception().start();
    const QImage picture = ConverterModel::cameraPicture(11);
    // Robot 36: the shortest wait (37 s) is still long for a test, so the wait is cut short by
    // the reception's own timer being run at once.
    simulator.receive(mode(ModeId::R36).statusByte, picture);
    ASSERT_TRUE(pumpUntil([&] { return station.reception().receiveTimerRunning(); }, 5000));
    station.reception().Timer2Timer();
    ASSERT_TRUE(done);
    ASSERT_FALSE(saved.path.isEmpty()) << saved.errors.join('\n').toStdString();
    EXPECT_LT(meanDifference(QImage(saved.path), picture.copy(10, 0, 410, 256)), 12.0);
    QFile log(dir.path() + "/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\tRobot 36\t-\t" + saved.path.toUtf8()));
    station.gate().shut();
}
