// SPDX-License-Identifier: GPL-3.0-or-later
// The log book window and its input mask on real Paradox files.
#include "logbook/LogBookTexts.h"
#include "logbook/MaskLayout.h"
#include "logbook/OpenLog.h"
#include "logbook/QsoLog.h"
#include "logbook/ui/TMainForm.h"
#include "platform/ProgramFolder.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::logbook;
using winorbis::test::ScriptedDialogs;

namespace {

QList<Column> columnsNamed(const QStringList& names) {
    QList<Column> columns;
    for (const QString& name : names)
        columns.append({name, FieldType::Alpha, 10, 10});
    return columns;
}

struct LogBook : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    TMainForm window;
    void SetUp() override {
        window.attach(dialogs, folder);
        ASSERT_TRUE(createStarterLogIfMissing(folder).isEmpty());
    }
    QString log() const { return dir.filePath("QSO.DB"); }
    template <typename T> T* control(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
};

} // namespace

TEST(MaskLayout, PlacesLabelsAndEditFieldsAsTheColumnsAsk) {
    const MaskLayout twelve = maskLayout(columnsNamed({"Rufzeichen", "RST_gesendet", "QTH"}), 8);
    ASSERT_EQ(twelve.rows.size(), 3);
    EXPECT_EQ(twelve.rows[0].labelWidth, 120);
    EXPECT_EQ(twelve.rows[2].edit, QRect(140, 45 + 60, 10 * 8 + 10, 21));
    EXPECT_EQ(twelve.rows[1].labelName, "LabelRST_gesendet");
    EXPECT_EQ(twelve.rows[1].editName, "EdRST_gesendet");
    // Names counted with at most 20 characters; names that are no identifiers.
    const MaskLayout odd =
        maskLayout(columnsNamed({"A very long column name of 25", "Rapport (RX)", "1st"}), 8);
    EXPECT_EQ(odd.rows[0].labelWidth, 200);
    EXPECT_EQ(odd.rows[0].label, "A very long column name o");
    EXPECT_EQ(odd.rows[1].labelName, "Label_1");
    EXPECT_EQ(odd.rows[2].labelName, "Label_2");
    EXPECT_EQ(odd.rows[2].edit.left(), 220);
    EXPECT_TRUE(maskLayout({}, 8).rows.isEmpty());
}

TEST(MaskLayout, LetsEveryRowBeScrolledIntoView) {
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("Feld%1").arg(i);
    const MaskLayout layout = maskLayout(columnsNamed(names), 8);
    EXPECT_EQ(layout.rows.last().edit.top(), 45 + 30 * 59);
    EXPECT_GE(layout.scrollRange, layout.rows.last().edit.bottom());
    EXPECT_EQ(maskLayout(columnsNamed({"Call"}), 8).scrollRange, 1500);
}

TEST_F(LogBook, AQsoEnteredInTheMaskShowsInTheGridAndSurvivesReopening) {
    EXPECT_FALSE(control<QTableView>("DBGrid1")->isVisibleTo(&window));
    EXPECT_FALSE(control<QToolButton>("BtnMask")->isEnabled());
    ASSERT_TRUE(window.openLog(log()));
    EXPECT_TRUE(control<QTableView>("DBGrid1")->isVisibleTo(&window));
    EXPECT_EQ(control<QLabel>("LabelFileName")->text(), log());
    EXPECT_TRUE(control<QToolButton>("BtnMask")->isEnabled());
    TDynaDBForm* mask = window.mask();
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->windowTitle(), logbooktext::kMaskTitle);
    ASSERT_EQ(mask->edits().size(), starterColumns().size());
    // Every field, the 60-character ones too, ends inside the mask: nothing scrolls sideways.
    auto* box = mask->findChild<QScrollArea*>("ScrollBox1");
    ASSERT_TRUE(box);
    mask->show(); // laid out as on the screen
    QApplication::processEvents();
    for (const QLineEdit* edit : mask->edits())
        EXPECT_LE(edit->geometry().right(), box->viewport()->width())
            << edit->objectName().toStdString();
    EXPECT_LE(box->widget()->width(), box->viewport()->width());
    mask->hide();
    mask->navigate(4); // insert
    mask->edits()[0]->setText("2026-12-08");
    mask->edits()[1]->setText("14:05");
    mask->edits()[2]->setText("DL1ABC");
    mask->edits()[3]->setText("14,230");
    mask->navigate(7); // post
    EXPECT_EQ(dialogs.count("error"), 0) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(window.currentLog()->rowCount(), 1);
    EXPECT_EQ(window.currentLog()->data(window.currentLog()->index(0, 2), Qt::DisplayRole),
              "DL1ABC");
    // The grid edits the same record in place.
    EXPECT_TRUE(
        window.currentLog()->setData(window.currentLog()->index(0, 8), "Jürgen", Qt::EditRole));
    EXPECT_EQ(mask->edits()[8]->text(), "Jürgen");
    // A value the column cannot take is refused with a message and changes nothing.
    mask->edits()[3]->setText("vierzehn");
    mask->navigate(7);
    EXPECT_EQ(dialogs.count("error"), 1);
    mask->navigate(8); // cancel
    EXPECT_EQ(mask->edits()[3]->text(), "14.23");

    window.closeLog();
    EXPECT_FALSE(window.mask());
    ASSERT_TRUE(window.openLog(log()));
    ASSERT_EQ(window.currentLog()->rowCount(), 1);
    EXPECT_EQ(window.mask()->edits()[8]->text(), "Jürgen");
}

TEST_F(LogBook, DeletingAsksFirst) {
    ASSERT_TRUE(window.openLog(log()));
    QString error;
    ASSERT_TRUE(window.currentLog()->post({"2026-12-08", "", "OE3XYZ"}, true));
    dialogs.answerYesNo(false);
    window.mask()->navigate(5);
    EXPECT_TRUE(dialogs.sawText(logbooktext::kDeleteQuestion));
    EXPECT_EQ(window.currentLog()->rowCount(), 1);
    dialogs.answerYesNo(true);
    window.mask()->navigate(5);
    EXPECT_EQ(window.currentLog()->rowCount(), 0);
}

TEST_F(LogBook, OpeningAnotherLogClosesTheFirstBeforeTheDialog) {
    ASSERT_TRUE(window.openLog(log()));
    dialogs.answerFile(std::nullopt); // cancelled
    window.MFileOpenClick();
    EXPECT_FALSE(window.currentLog());
    EXPECT_FALSE(window.mask());
    EXPECT_FALSE(control<QTableView>("DBGrid1")->isVisibleTo(&window));
    EXPECT_TRUE(control<QLabel>("LabelFileName")->text().isEmpty());
    ASSERT_EQ(dialogs.fileRequests().size(), 1);
    EXPECT_EQ(dialogs.fileRequests()[0].filter, "Paradox-Tabellen|*.DB");
    dialogs.answerFile(log());
    window.MFileOpenClick();
    EXPECT_TRUE(window.currentLog());
    // A file that is no table: the message, no log open.
    dialogs.answerFile(dir.filePath("none.DB"));
    window.MFileOpenClick();
    EXPECT_FALSE(window.currentLog());
    EXPECT_EQ(dialogs.count("error"), 1);
}

TEST_F(LogBook, TheButtonsTellWhatTheyDoInTheStatusBar) {
    window.show();
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(control<QToolButton>("BtnMask"), &move);
    EXPECT_EQ(window.statusBar()->currentMessage(), logbooktext::kMaskStatus);
    QApplication::sendEvent(control<QToolButton>("SpeedButton1"), &move);
    EXPECT_EQ(window.statusBar()->currentMessage(), logbooktext::kOpenStatus);
    window.MFileExitClick();
    EXPECT_FALSE(window.isVisible());
}
