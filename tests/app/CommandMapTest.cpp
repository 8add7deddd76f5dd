// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command map: every menu with its items, keys and separators, the buttons of
// the command row, and each reaching its command.
#include "app/AppWindows.h"
#include "app/MainWindowTexts.h"
#include "app/TForm1.h"
#include "captions/CaptionTexts.h"
#include "controls/TFlyingButton.h"
#include "link/LinkTexts.h"
#include "support/EventPump.h"
#include "support/MemoryConverter.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

struct CommandMap : ::testing::Test {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    MemoryPort* port = nullptr;
    std::unique_ptr<MemoryConverter> converter;
    std::unique_ptr<AppWindows> windows;

    // Runs the window's events until the station's command has ended on the converter's worker.
    void settle() {
        ASSERT_TRUE(pumpUntil([&] { return !form().station().busy(); }));
        QCoreApplication::processEvents();
    }

    void SetUp() override {
        QImage start(410, 256, QImage::Format_RGB888);
        start.fill(Qt::darkCyan);
        ASSERT_TRUE(start.save(dir.path() + "/start.bmp"));
        AppServices services{dialogs, clock, dir.path()};
        services.portFactory = [this] {
            auto memory = std::make_unique<MemoryPort>(clock);
            port = memory.get();
            converter = std::make_unique<MemoryConverter>(*memory);
            return memory;
        };
        windows = std::make_unique<AppWindows>(services);
        dialogs.clear();
    }
    void TearDown() override { windows.reset(); }
    TForm1& form() { return windows->main(); }
    QAction* action(const char* name) {
        return form().findChild<QAction*>(QString::fromLatin1(name));
    }
    // A menu's entries by objectName, "-" for a separator, a submenu by its menu's name.
    QStringList entries(const char* menu) {
        QStringList names;
        auto* m = form().findChild<QMenu*>(QString::fromLatin1(menu));
        if (!m)
            return {"no menu"};
        for (QAction* a : m->actions())
            names << (a->isSeparator() ? QStringLiteral("-")
                      : a->menu()      ? a->menu()->objectName()
                                       : a->objectName());
        return names;
    }
};

struct Item {
    const char* name;
    const char* text;
    const char* key;
};

} // namespace

TEST_F(CommandMap, TheMenusHoldTheirItemsKeysAndSeparators) {
    EXPECT_EQ(entries("TxWindow1"), QStringList({"Bildfnen1", "-", "Bildkopieren1", "Bildeinfgen1",
                                                 "-", "Bildspeichern1", "Bildspeichernunter1", "-",
                                                 "PrinterSetup1", "Drucken1", "-", "Beenden1"}));
    EXPECT_EQ(entries("Actions1"),
              QStringList({"Digitalisieren1", "Selbstauslser2s1", "VerzgerterAuslser10s1", "-",
                           "Bildspeicher11", "Bildspeicher21", "-", "PCOrbis701", "Orbis70PC1",
                           "RXStop1"}));
    EXPECT_EQ(entries("RxWindow1"), QStringList({"Bildspeichern2", "-", "Bildkopieren2", "-",
                                                 "Bildspeichernunter2", "-", "Drucken2"}));
    EXPECT_EQ(entries("RepeaterFunction1"), QStringList({"Ein2", "Aus2"}));
    const QStringList special = entries("Special1");
    EXPECT_EQ(special.value(0), "Katalog1");
    const qsizetype repeater = special.indexOf("RepeaterFunction1");
    ASSERT_GE(repeater, 0);
    EXPECT_EQ(special.value(repeater + 1), "-");
    EXPECT_TRUE(special.contains("Reference1"));
    EXPECT_EQ(entries("Reference1"), QStringList({"SSTVBildbeschriftung1"}));
    EXPECT_EQ(entries("Hilfe1"), QStringList({"Hilfethemen1", "-", "MailAuthor1"}));

    const Item items[] = {
        {"Bildfnen1", "&Load Picture", ""},
        {"Bildkopieren1", "&Copy Picture", ""},
        {"Bildeinfgen1", "&Insert Picture", ""},
        {"Bildspeichern1", "&Save Picture", ""},
        {"Bildspeichernunter1", "Picture S&ave as...", ""},
        {"PrinterSetup1", "Printer S&etup", ""},
        {"Drucken1", "&Print", "Ctrl+T"},
        {"Beenden1", "&Exit", ""},
        {"Digitalisieren1", "&Digitize", "F2"},
        {"Selbstauslser2s1", "&Self - timer (2s)", "F3"},
        {"VerzgerterAuslser10s1", "Self - &timer (10s)", "F4"},
        {"Bildspeicher11", "Memory &1", "F6"},
        {"Bildspeicher21", "Memory &2", "F7"},
        {"PCOrbis701", "PC -> Orbis 70", "F10"},
        {"Orbis70PC1", "Orbis 70 -> PC", "F11"},
        {"RXStop1", "&RX Stop", "F12"},
        {"Bildspeichern2", "&Save Picture", ""},
        {"Bildkopieren2", "&Copy Picture", ""},
        {"Bildspeichernunter2", "Picture S&ave as...", ""},
        {"Drucken2", "&Print", "Ctrl+R"},
        {"Katalog1", "&Catalog", "F9"},
        {"Ein2", "On", ""},
        {"Aus2", "Off", ""},
        {"SSTVBildbeschriftung1", "Picture inscription", ""},
        {"Hilfethemen1", "&Assistance Topics", "F1"},
    };
    for (const Item& item : items) {
        QAction* a = action(item.name);
        ASSERT_TRUE(a) << item.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(item.text)) << item.name;
        EXPECT_EQ(a->shortcut().toString(), QString::fromLatin1(item.key)) << item.name;
    }
    EXPECT_TRUE(action("Aus2")->isChecked());
}

TEST_F(CommandMap, EachItemReachesItsCommand) {
    const auto lastByte = [this] {
        return port->written().isEmpty() ? -1 : int(uchar(port->written().back()));
    };
    action("Digitalisieren1")->trigger();
    settle();
    EXPECT_EQ(lastByte(), 36);
    action("Bildspeicher11")->trigger();
    settle();
    EXPECT_EQ(lastByte(), 32);
    action("Bildspeicher21")->trigger();
    settle();
    EXPECT_EQ(lastByte(), 33);
    action("PCOrbis701")->trigger();
    settle();
    EXPECT_GT(converter->uploadedLines(), 0);
    action("Bildfnen1")->trigger();
    EXPECT_EQ(dialogs.count("open"), 1);
    action("Bildspeichernunter1")->trigger();
    EXPECT_EQ(dialogs.count("save"), 1);
    action("Bildspeichern1")->trigger();
    EXPECT_EQ(form().statusText(), "TX Picture stored in the TX catalog");
    action("Ein2")->trigger();
    EXPECT_TRUE(form().repeaterOn());
    action("Aus2")->trigger();
    EXPECT_FALSE(form().repeaterOn());
    action("SSTVBildbeschriftung1")->trigger();
    EXPECT_TRUE(dialogs.sawText(captiontext::kPictureInscription));
    dialogs.answerYesNo(false);
    action("Hilfethemen1")->trigger();
    EXPECT_TRUE(dialogs.sawText(mainwindowtext::kHelpQuestion));
    EXPECT_EQ(dialogs.count("shell"), 0); // "No" opens nothing
    action("MailAuthor1")->trigger();
    EXPECT_EQ(dialogs.count("shell"), 1);
}

TEST_F(CommandMap, F11FetchesWhileSavePicAutoDisablesTheButton) {
    ASSERT_TRUE(form().findChild<QCheckBox*>("CheckBox2")->isChecked());
    EXPECT_FALSE(form().findChild<QWidget*>("FromOrbis")->isEnabled());
    converter->fill(QImage(410, 256, QImage::Format_RGB888));
    const qsizetype before = port->written().size();
    action("Orbis70PC1")->trigger();
    settle();
    EXPECT_GT(port->written().size(), before + 200); // a whole fetch went over the line
}

TEST_F(CommandMap, TheCommandRowHoldsItsButtonsAndTheirCommands) {
    const std::pair<const char*, const char*> row[] = {{"FlyingButton13", "Exit"},
                                                       {"FlyingButton14", "Help"},
                                                       {"FlyingButton15", "Info"},
                                                       {"FlyingButton16", "Setup"},
                                                       {"FlyingButton22", "Tune"}};
    int left = 0;
    for (const auto& [name, text] : row) {
        auto* button = form().findChild<TFlyingButton*>(QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        EXPECT_EQ(button->Text(), QString::fromLatin1(text));
        EXPECT_GT(button->x(), left) << name; // in this order from the left
        left = button->x();
    }
    EXPECT_EQ(form().findChild<QWidget*>("FlyingButton22")->toolTip(), "Spectrum Analyzer");
    // "Help" answered "No" opens nothing.
    dialogs.answerYesNo(false);
    emit form().findChild<TFlyingButton*>("FlyingButton14")->OnClick();
    EXPECT_EQ(dialogs.count("shell"), 0);
    // "Help" answered "Yes" opens the manual copied into the folder at the start, or says that
    // there is none.
    if (QFileInfo::exists(dir.path() + "/winorbis70.pdf")) {
        dialogs.answerYesNo(true);
        emit form().findChild<TFlyingButton*>("FlyingButton14")->OnClick();
        EXPECT_EQ(dialogs.count("shell"), 1);
        ASSERT_TRUE(QFile::remove(dir.path() + "/winorbis70.pdf"));
    }
    dialogs.answerYesNo(true);
    emit form().findChild<TFlyingButton*>("FlyingButton14")->OnClick();
    EXPECT_EQ(dialogs.count("error"), 1);
    // "Exit" answered "No" keeps the program and has rewritten "\start.bmp".
    QFile::remove(dir.path() + "/start.bmp");
    dialogs.answerYesNo(false);
    emit form().findChild<TFlyingButton*>("FlyingButton13")->OnClick();
    EXPECT_TRUE(dialogs.sawText("WinOrbis 70p close?"));
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/start.bmp"));
}

TEST_F(CommandMap, TheControlsNeverShownExistHidden) {
    for (const char* name :
         {"RX", "GroupBox1", "RadioGroup1", "SpeedButton9", "SpeedButton10", "BitBtn3"}) {
        auto* control = form().findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(control) << name;
        EXPECT_FALSE(control->isVisibleTo(&form())) << name;
    }
    EXPECT_EQ(form().findChild<QAbstractButton*>("RX")->text(), "RX");
}
