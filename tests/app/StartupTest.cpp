// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppInfo.h"
#include "app/AppWindows.h"
#include "app/TForm1.h"
#include "captions/StandardTextLibrary.h"
#include "link/ConverterLink.h"
#include "platform/ProgramFolder.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

int lineCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return int(file.readAll().count("\r\n"));
}

QByteArray lineOf(const QString& path, int number) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().split('\n').value(number - 1).trimmed();
}

struct StartupFixture : ::testing::Test {
    QTemporaryDir dir;
    // The TX picture of an earlier run, as every start but the first finds it.
    void SetUp() override {
        QImage start(410, 256, QImage::Format_RGB888);
        start.fill(Qt::darkCyan);
        ASSERT_TRUE(start.save(dir.path() + "/start.bmp"));
    }
    ScriptedDialogs dialogs;
    VirtualClock clock;
    MemoryPort* converter = nullptr; // owned by the main window's link
    AppServices services() {
        AppServices s{dialogs, clock, dir.path()};
        s.portFactory = [this] {
            auto port = std::make_unique<MemoryPort>(clock);
            port->setResponder(converterAnswers(76));
            converter = port.get();
            return port;
        };
        return s;
    }
};

} // namespace

TEST_F(StartupFixture, TheTenWindowsAreCreatedInOrderWithTheirCaptionsAndHidden) {
    AppWindows windows(services());
    EXPECT_EQ(windows.creationOrder(),
              QStringList({"TForm1", "TForm5", "TForm2", "TForm6", "TfrmMemoBlk", "TForm3",
                           "TMainForm", "TForm4", "TForm7", "Tunit8"}));
    const QStringList captions = {kMainCaption,
                                  "Orbis 70 p + Beacon Setup",
                                  "Font",
                                  "Info",
                                  "Standard Text",
                                  "Catalog",
                                  "SSTV Logbuch",
                                  "VC-H1 Setting",
                                  "Printer Preview",
                                  "Spectrum Analyzer"};
    const QList<QWidget*> all = windows.all();
    ASSERT_EQ(all.size(), 10);
    for (int i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->windowTitle(), captions[i]);
        EXPECT_FALSE(all[i]->isVisible()) << captions[i].toStdString();
        EXPECT_EQ(all[i]->testAttribute(Qt::WA_QuitOnClose), i == 0);
    }
    // The main window's client area below its menu bar.
    auto& main = windows.main();
    main.show();
    EXPECT_EQ(main.size() - QSize(0, main.menuBar()->height()), QSize(1024, 702));
    main.hide();
    EXPECT_EQ(all[5]->size(), QSize(1019, 713));
    EXPECT_EQ(all[8]->size(), QSize(325, 257));
    EXPECT_EQ(all[9]->size(), QSize(365, 107));
}

TEST_F(StartupFixture, AFirstStartInAnEmptyFolderWritesTheSettingsAndMakesThePictureFolders) {
    QFile::remove(dir.path() + "/start.bmp");
    {
        AppWindows windows(services());
        EXPECT_EQ(lineCount(dir.path() + "/COM.DAT"), 585);
        EXPECT_EQ(windows.main().settings().callsign, "ID");
        EXPECT_EQ(windows.main().PortNumber(), 1);
        // The converter was identified: one stray byte read, 16 written, the answer read.
        ASSERT_NE(converter, nullptr);
        EXPECT_EQ(converter->written(), QByteArray(1, 16));
        EXPECT_EQ(windows.main().link().LastStatus(), 76);
        EXPECT_EQ(converter->pending(), 0);
        // The new folder's starter picture, the colour bars, is the TX picture.
        EXPECT_EQ(QImage(dir.path() + "/start.bmp").size(), QSize(420, 256));
        const QImage& tx = windows.main().pictures().tx;
        int coloured = 0; // the grey ramp has none
        for (int x = 0; x < tx.width(); ++x)
            coloured += tx.pixelColor(x, 20).saturation() > 100 ? 1 : 0;
        EXPECT_GT(coloured, tx.width() / 2);
    }
    const QStringList folders = QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(folders.size(), 22);
    EXPECT_TRUE(folders.contains("Kleinbilder"));
    EXPECT_TRUE(folders.contains("im17"));
    // A new folder gets its starter files without a message: the colour bars as the TX picture
    // of an "earlier run", the standard-text library and the callsign picture.
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(QImage(dir.path() + "/callsign.bmp").size(), QSize(220, 52));
    const auto library = StandardTextLibrary::load(ProgramFolder(dir.path()));
    ASSERT_TRUE(library.has_value());
    EXPECT_GE(library->entries().size(), 3);
    EXPECT_EQ(QFile(dir.path() + "/DEFALT.BMP").size(), 315446);
    EXPECT_EQ(QFile(dir.path() + "/Gray.BMP").size(), 14454);
}

TEST_F(StartupFixture, AFolderThatLostItsStartPictureIsToldAndGetsNoStarterFiles) {
    // The folder has run the program before (it has settings) and lost its TX picture.
    QFile::remove(dir.path() + "/start.bmp");
    { AppWindows first(services()); }
    QFile::remove(dir.path() + "/start.bmp");
    QFile::remove(dir.path() + "/callsign.bmp");
    dialogs.clear();
    {
        AppWindows windows(services());
        // The start-up load says so, and the TX picture keeps the grey ramp; at the end of the
        // run it is saved for the next.
        ASSERT_EQ(dialogs.count("error"), 1);
        EXPECT_TRUE(dialogs.texts().first().contains("start.bmp"));
        EXPECT_FALSE(QFile::exists(dir.path() + "/callsign.bmp"));
    }
    EXPECT_EQ(QImage(dir.path() + "/start.bmp").size(), QSize(410, 256));
}

TEST_F(StartupFixture, TheDestructionWritesTheSettingsWithoutAskingAgain) {
    {
        AppWindows windows(services());
        windows.main().settings().callsign = "G4ABC";
        dialogs.clear();
    }
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(lineOf(dir.path() + "/COM.DAT", 15), "G4ABC");
    EXPECT_TRUE(QFile::exists(dir.path() + "/start.bmp"));
}

TEST_F(StartupFixture, ClosingTheWindowAsksWhileItIsShownAndNoKeepsItOpen) {
    {
        AppWindows windows(services());
        windows.main().show();
        dialogs.clear();
        dialogs.answerYesNo(false);
        EXPECT_FALSE(windows.main().close());
        EXPECT_TRUE(windows.main().isVisible());
        EXPECT_EQ(dialogs.texts(), QStringList{"WinOrbis 70p close?"});
        EXPECT_EQ(dialogs.shown().first().what, "beep");

        dialogs.clear();
        dialogs.answerYesNo(true);
        EXPECT_TRUE(windows.main().close());
        EXPECT_FALSE(windows.main().isVisible());
        EXPECT_EQ(dialogs.texts(), QStringList{"WinOrbis 70p close?"});
        dialogs.clear();
    }
    // The destruction that follows the close asks nothing more.
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
}

TEST_F(StartupFixture, TheReservedSettingsValueOfTheFileSurvivesARun) {
    {
        AppWindows windows(services());
        windows.main().settings().reserved = 77;
    }
    // Cleared at creation, then read from the file: the file's value is kept and written back.
    EXPECT_EQ(lineOf(dir.path() + "/COM.DAT", 3), "77");
    {
        AppWindows windows(services());
        EXPECT_EQ(windows.main().settings().reserved, 77);
    }
    EXPECT_EQ(lineOf(dir.path() + "/COM.DAT", 3), "77");
}

TEST_F(StartupFixture, ExitAnsweredNoLeavesTheProgramRunning) {
    AppWindows windows(services());
    windows.main().show();
    dialogs.clear();
    dialogs.answerYesNo(false);
    windows.main().ExitClick();
    EXPECT_TRUE(windows.main().isVisible());
    EXPECT_EQ(dialogs.texts(), QStringList{"WinOrbis 70p close?"});

    dialogs.answerYesNo(true);
    windows.main().ExitClick();
    EXPECT_FALSE(windows.main().isVisible());
}

TEST_F(StartupFixture, TerminationWritesTheSettingsWithoutAQuestion) {
    AppWindows windows(services());
    windows.main().settings().callsign = "K1ABC";
    dialogs.clear();
    windows.main().Terminate();
    EXPECT_EQ(lineOf(dir.path() + "/COM.DAT", 15), "K1ABC");
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(StartupFixture, ASilentConverterIsReportedAndTheStartGoesOn) {
    AppServices s = services();
    s.portFactory = [this] { return std::make_unique<MemoryPort>(clock); };
    AppWindows windows(s);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"No connection to Orbis 70p. Control please the interface (Setup) and "
                          "the jumper in the Orbis 70p."});
    EXPECT_EQ(windows.main().link().LastStatus(), 0);
    EXPECT_EQ(lineCount(dir.path() + "/COM.DAT"), 585);
}

TEST_F(StartupFixture, APortThatCannotBeOpenedShowsNoResponseThenNoConnection) {
    AppServices s{dialogs, clock, dir.path()};
    s.portDevice = dir.path() + "/no-such-device";
    AppWindows windows(s);
    EXPECT_EQ(dialogs.texts(),
              QStringList({"No response from the interface",
                           "No connection to Orbis 70p. Control please the interface (Setup) and "
                           "the jumper in the Orbis 70p."}));
    // The identify's reads waited out their time-outs: one stray read and twenty more (the
    // receive monitor's reads on the dead port add to the time after that).
    EXPECT_GE(clock.elapsedMs(), 21 * 20);
    EXPECT_TRUE(QFile::exists(dir.path() + "/ports.conf"));
}
