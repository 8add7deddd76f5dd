// SPDX-License-Identifier: GPL-3.0-or-later
// "VC-H1 Setting..." in the main window's Special menu, with the program's windows as they are
// made at start: the settings window opens on the converter's port while the link is idle, with
// the receive monitor held, and is refused while a reception runs.
#include "app/AppWindows.h"
#include "app/TForm1.h"
#include "handheld/HandheldTexts.h"
#include "handheld/TForm4.h"
#include "link/ConverterLink.h"
#include "platform/Clock.h"
#include "support/EventPump.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "tools/handheldsim/HandheldSimulator.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

TForm4* settingsWindow(const AppWindows& windows) {
    for (QWidget* window : windows.all()) {
        if (auto* form4 = qobject_cast<TForm4*>(window))
            return form4;
    }
    return nullptr;
}

QAction* menuItem(TForm1& main) {
    auto* special = main.findChild<QMenu*>(QStringLiteral("Special1"));
    if (!special)
        return nullptr;
    for (QAction* action : special->actions()) {
        if (action->text() == handheldtext::kMenuItem)
            return action;
    }
    return nullptr;
}

TEST(HandheldMenu, OpensTheWindowOnTheConvertersPortWithTheMonitorHeld) {
    HandheldSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.applyAll("call DL1ABC\npage 4 picture", &error)) << error.toStdString();
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SystemClock clock;
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = device;
    AppWindows windows(services);
    TForm1& main = windows.main();
    TForm4* form4 = settingsWindow(windows);
    ASSERT_NE(form4, nullptr);
    QAction* item = menuItem(main);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return main.link().isIdle(); }));
    dialogs.clear();
    const int eventsBefore = int(sim.events().size());

    // The window is modal: it is worked from a timer while the menu command waits. Its exchanges
    // run on the converter's worker: each step waits until the one before has ended.
    bool worked = false;
    QString storeStatus;
    QTimer work;
    QObject::connect(&work, &QTimer::timeout, [&] {
        if (!form4->isVisible() || form4->busy())
            return;
        if (!worked) {
            worked = true;
            EXPECT_EQ(form4->findChild<QLineEdit*>("CallSign")->text(), QStringLiteral("DL1ABC"));
            EXPECT_TRUE(form4->findChild<QRadioButton*>("P4Recall")->isEnabled());
            form4->findChild<QRadioButton*>("P4Store")->click();
            return;
        }
        storeStatus = form4->findChild<QLabel*>("StatusReport")->text();
        form4->findChild<QPushButton*>("BitBtn1")->click();
    });
    work.start(20);
    // Whatever goes wrong, the modal window does not stay open.
    QTimer::singleShot(15000, form4, [form4] { form4->reject(); });
    item->trigger();
    EXPECT_TRUE(worked);
    EXPECT_FALSE(form4->isVisible());
    EXPECT_EQ(storeStatus, QStringLiteral("Store to P4 Complete"));
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    // Twelve reads and the store, none of their answers taken by the receive monitor.
    ASSERT_TRUE(sim.waitForEvents(eventsBefore + 13, 2000));
    EXPECT_EQ(sim.events().mid(eventsBefore).first(), QStringLiteral("read flags"));
    EXPECT_EQ(sim.events().last(), QStringLiteral("store P4"));
    EXPECT_TRUE(main.link().isIdle());
}

TEST(HandheldMenu, SaysTheConverterIsBusyDuringAReception) {
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = device;
    AppWindows windows(services);
    TForm1& main = windows.main();
    sim.receive(60, ConverterSimulator::cameraPicture(1));
    ASSERT_TRUE(pumpUntil([&] { return main.link().linkState() == LinkState::Waiting; }));
    const int bytesBefore = int(sim.received().size());

    menuItem(main)->trigger();
    EXPECT_EQ(main.statusText(), handheldtext::kConverterBusy);
    EXPECT_FALSE(settingsWindow(windows)->isVisible());
    EXPECT_EQ(sim.received().size(), bytesBefore);
}

} // namespace
