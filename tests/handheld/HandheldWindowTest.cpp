// SPDX-License-Identifier: GPL-3.0-or-later
// The VC-H1 settings window end to end: the serial port as the program opens it, the simulated
// handheld on the other end of a pseudo-terminal, the controls found by name and clicked.
#include "handheld/HandheldTexts.h"
#include "handheld/TForm4.h"
#include "link/SerialPort.h"
#include "link/TRecThread.h"
#include "platform/Clock.h"
#include "support/EventPump.h"
#include "support/ScriptedDialogs.h"
#include "tools/handheldsim/HandheldSimulator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

struct HandheldWindowTest : ::testing::Test {
    void SetUp() override {
        QString device, error;
        ASSERT_TRUE(sim.applyAll("flags 0x96\ncall DL1ABC Green\ninterval 30\n"
                                 "page 1 picture\npage 2 record 200 55 255 0\npage 4 large\n"
                                 "page 5 picture held\n",
                                 &error))
            << error.toStdString();
        ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
        ASSERT_TRUE(port.open(device));
        ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    }
    template <typename T> T* control(const QString& name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString status() { return control<QLabel>("StatusReport")->text(); }
    // The bytes the handheld got since the mark, once it has logged count more commands.
    QByteArray sentSince(qsizetype mark, int events) {
        EXPECT_TRUE(sim.waitForEvents(eventsSeen += events, 2000));
        return sim.received().mid(mark);
    }

    HandheldSimulator sim;
    SystemClock clock;
    SerialPort port{clock};
    ScriptedDialogs dialogs;
    MonitorHold hold{nullptr};
    TForm4 window;
    int eventsSeen = 0;
};

TEST_F(HandheldWindowTest, OpensFilledFromTheHandheld) {
    window.openOn(port, dialogs, hold, &clock);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(580, 373));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("VC-H1 Setting"));
    EXPECT_TRUE(sim.waitForEvents(12, 2000));
    EXPECT_FALSE(sim.received().contains(char(33))); // no hold command while filling
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();

    EXPECT_TRUE(control<QCheckBox>("AF_ON")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("CallDisp")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("PowerSave")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("DefaultModeItem0")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("TXTimerEnable")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("RepeaterID")->isChecked());
    EXPECT_EQ(control<QSpinBox>("TxTimerVal")->value(), 30);
    EXPECT_EQ(control<QLineEdit>("CallSign")->text(), QStringLiteral("DL1ABC"));
    EXPECT_EQ(control<QComboBox>("CallColor")->currentText(), QStringLiteral("Green"));
    EXPECT_EQ(control<QComboBox>("RSVColor")->currentText(), QStringLiteral("Red"));
    EXPECT_EQ(control<QComboBox>("MessageColor")->currentText(), QStringLiteral("Cyanic"));
    EXPECT_FALSE(control<QPushButton>("CallSet")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("FuncSet")->isEnabled());

    const auto pageControls = [&](int n) {
        return std::tuple{control<QRadioButton>(QStringLiteral("P%1Store").arg(n))->isEnabled(),
                          control<QRadioButton>(QStringLiteral("P%1Recall").arg(n))->isEnabled(),
                          control<QCheckBox>(QStringLiteral("P%1protect").arg(n))->isEnabled(),
                          control<QCheckBox>(QStringLiteral("P%1protect").arg(n))->isChecked()};
    };
    EXPECT_EQ(pageControls(1), std::tuple(true, true, true, false));
    EXPECT_EQ(pageControls(2), std::tuple(false, true, true, true));
    EXPECT_EQ(pageControls(3), std::tuple(true, false, false, false));
    EXPECT_EQ(pageControls(4), std::tuple(true, true, true, false));
    // Unusable after the large picture of page 4, although its own record says held.
    EXPECT_EQ(pageControls(5), std::tuple(false, false, false, false));
    EXPECT_EQ(pageControls(6), std::tuple(true, false, false, false));
}

TEST_F(HandheldWindowTest, AHandheldThatDoesNotAnswerIsSaidAndNoControlIsEnabled) {
    // Before any opening nothing shows either.
    EXPECT_FALSE(control<QCheckBox>("PowerSave")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("PowerSave")->isEnabled());
    QString error;
    ASSERT_TRUE(sim.applyAll("silent on", &error)) << error.toStdString();
    window.openOn(port, dialogs, hold, &clock);
    EXPECT_EQ(status(), handheldtext::kNoAnswer);
    // No switch state it never read, and nothing to press.
    for (const char* name : {"AF_ON", "CallDisp", "PowerSave", "DefaultModeItem0",
                             "DefaultModeItem1", "TXTimerEnable", "RepeaterID"}) {
        auto* box = control<QAbstractButton>(name);
        EXPECT_FALSE(box->isChecked()) << name;
        EXPECT_FALSE(box->isEnabled()) << name;
    }
    for (const char* name :
         {"P1Store", "P1Recall", "P1protect", "CallSet", "RsvSet", "MesSet", "FuncSet", "CallSign",
          "RSV", "MessageText", "CallColor", "TxTimerVal"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
    window.reject();

    // Once it answers, the next opening shows and enables everything.
    ASSERT_TRUE(sim.applyAll("silent off", &error)) << error.toStdString();
    window.openOn(port, dialogs, hold, &clock);
    EXPECT_NE(status(), handheldtext::kNoAnswer);
    EXPECT_TRUE(control<QCheckBox>("AF_ON")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("AF_ON")->isEnabled());
    EXPECT_TRUE(control<QRadioButton>("DefaultModeItem0")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("P1Store")->isEnabled());
    EXPECT_TRUE(control<QLineEdit>("CallSign")->isEnabled());
}

TEST_F(HandheldWindowTest, EveryCommandSendsItsBytes) {
    window.openOn(port, dialogs, hold, &clock);
    ASSERT_TRUE(sim.waitForEvents(eventsSeen = 12, 2000));
    qsizetype mark = sim.received().size();

    control<QRadioButton>("P3Store")->click();
    EXPECT_EQ(sentSince(mark, 1), bytes({35, 2}));
    EXPECT_EQ(status(), QStringLiteral("Store to P3 Complete"));
    EXPECT_FALSE(control<QRadioButton>("P3Store")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("P3Recall")->isEnabled());

    mark = sim.received().size();
    control<QRadioButton>("P1Recall")->click();
    EXPECT_EQ(sentSince(mark, 1), bytes({34, 0}));
    EXPECT_EQ(status(), QStringLiteral("ReCall from P1 Complete"));

    mark = sim.received().size();
    control<QCheckBox>("P3protect")->click();
    EXPECT_EQ(sentSince(mark, 2), bytes({33, 130, 97, 2, 4, 200, 10, 1, 0, 255}));
    EXPECT_EQ(status(), QStringLiteral("P3 Hold Set Complete"));
    EXPECT_FALSE(control<QRadioButton>("P3Store")->isEnabled());

    // Typed text goes through the filter.
    mark = sim.received().size();
    QTest::keyClicks(control<QLineEdit>("MessageText"), QStringLiteral("c#q."));
    EXPECT_EQ(control<QLineEdit>("MessageText")->text(), QStringLiteral("CQ"));
    control<QComboBox>("MessageColor")->setCurrentIndex(5);
    control<QPushButton>("MesSet")->click();
    EXPECT_EQ(sentSince(mark, 1), bytes({22, 2, 67, 81, 5}));
    EXPECT_EQ(status(), QStringLiteral("Message Set Complete"));

    mark = sim.received().size();
    QTest::keyClicks(control<QLineEdit>("RSV"), QStringLiteral("595 now"));
    control<QPushButton>("RsvSet")->click();
    EXPECT_EQ(sentSince(mark, 1), bytes({20, 7, '5', '9', '5', ' ', 'N', 'O', 'W', 5}));
    EXPECT_EQ(status(), QStringLiteral("RSV Report Set Complete"));

    mark = sim.received().size();
    control<QLineEdit>("CallSign")->clear();
    EXPECT_FALSE(control<QPushButton>("CallSet")->isEnabled());
    QTest::keyClicks(control<QLineEdit>("CallSign"), QStringLiteral("dk0xyz/portable"));
    EXPECT_EQ(control<QLineEdit>("CallSign")->text(), QStringLiteral("DK0XYZ/P"));
    control<QPushButton>("CallSet")->click();
    EXPECT_EQ(sentSince(mark, 1), bytes({21, 8, 'D', 'K', '0', 'X', 'Y', 'Z', '/', 'P', 3}));
    EXPECT_EQ(status(), QStringLiteral("CallSign Set Complete"));
    EXPECT_FALSE(control<QPushButton>("CallSet")->isEnabled());

    mark = sim.received().size();
    control<QCheckBox>("PowerSave")->click();
    control<QRadioButton>("DefaultModeItem1")->click();
    control<QSpinBox>("TxTimerVal")->setValue(120);
    ASSERT_TRUE(control<QPushButton>("FuncSet")->isEnabled());
    control<QPushButton>("FuncSet")->click();
    // 0x96 without power save and Fast FM: 0x82; 120 s are 8000 ticks.
    EXPECT_EQ(sentSince(mark, 2), bytes({19, 0x82, 24, 31, 64}));
    EXPECT_EQ(status(), QStringLiteral("Function Set Compleat"));
    EXPECT_FALSE(control<QPushButton>("FuncSet")->isEnabled());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();

    control<QPushButton>("BitBtn1")->click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(HandheldWindowTest, AFailedReleaseStillEnablesStore) {
    window.openOn(port, dialogs, hold, &clock);
    ASSERT_TRUE(sim.waitForEvents(12, 2000));
    ASSERT_TRUE(control<QCheckBox>("P2protect")->isChecked());
    sim.apply("silent on");
    control<QCheckBox>("P2protect")->click();
    EXPECT_EQ(status(), QStringLiteral("P2 Hold Reset Incomplete"));
    EXPECT_EQ(dialogs.texts(), QStringList{handheldtext::kInactive});
    EXPECT_TRUE(control<QRadioButton>("P2Store")->isEnabled());
    EXPECT_FALSE(control<QCheckBox>("P2protect")->isChecked());
    // The next showing reads the handheld again: still held there.
    window.close();
    sim.apply("faults off");
    window.openOn(port, dialogs, hold, &clock);
    EXPECT_TRUE(control<QCheckBox>("P2protect")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("P2Store")->isEnabled());
}

} // namespace
