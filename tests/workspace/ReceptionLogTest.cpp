// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/ReceptionLog.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(ReceptionLog, ALineHoldsTheUtcTimeTheModeAndBothFiles) {
    // 19:45:01 in a zone two hours east of UTC is 17:45:01 UTC.
    const QDateTime when(QDate(2026, 12, 6), QTime(19, 45, 1), QTimeZone(7200));
    const ReceptionLog::Entry entry{when, "Martin 1", "/station/Kleinbilder/Bild3.bmp",
                                    "/station/AutoSpeichern/061226_194501.jpg"};
    EXPECT_EQ(ReceptionLog::line(entry), "2026-12-06T17:45:01Z\tMartin 1\t"
                                         "/station/Kleinbilder/Bild3.bmp\t"
                                         "/station/AutoSpeichern/061226_194501.jpg\n");
    EXPECT_EQ(ReceptionLog::hint(entry), "Received 2026-12-06 17:45:01 UTC, Martin 1");
    // Missing values are "-"; a tab or line break in a value cannot split the line.
    EXPECT_EQ(ReceptionLog::line({when, {}, "/a\tb\nc.bmp", {}}),
              "2026-12-06T17:45:01Z\t-\t/a b c.bmp\t-\n");
}

TEST(ReceptionLog, LinesAreAppendedAndWhatIsThereStaysAsItIs) {
    QTemporaryDir dir;
    const ReceptionLog log(dir.path());
    const QString path = dir.path() + "/received.log";
    EXPECT_EQ(log.filePath(), path);
    // A line of an earlier run, even one without its line break, and an operator's note.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("2026-12-01T08:00:00Z\tRobot 36\t-\t-\n# my note");
    }
    const QDateTime when = QDateTime(QDate(2026, 12, 8), QTime(15, 0, 0), Qt::UTC);
    EXPECT_EQ(log.append({when, "Scottie 1", "/s/Bild1.bmp", "/s/a.jpg"}), QString());
    EXPECT_EQ(log.append({when.addSecs(120), "Martin 1", "/s/Bild2.bmp", {}}), QString());
    EXPECT_EQ(contents(path), "2026-12-01T08:00:00Z\tRobot 36\t-\t-\n# my note"
                              "2026-12-08T15:00:00Z\tScottie 1\t/s/Bild1.bmp\t/s/a.jpg\n"
                              "2026-12-08T15:02:00Z\tMartin 1\t/s/Bild2.bmp\t-\n");
}

TEST(ReceptionLog, TheCallsignSentAfterThePictureIsAFifthFieldOnlyWhenThereIsOne) {
    QTemporaryDir dir;
    const ReceptionLog log(dir.path());
    const QDateTime when(QDate(2026, 12, 9), QTime(10, 15, 2), Qt::UTC);
    const struct {
        QString callsign;
        QStringList fields; // as a reader splits the line written
    } cases[] = {
        {{}, {"2026-12-09T10:15:02Z", "PD 120", "-", "/rx/a.jpg"}},
        {"   ", {"2026-12-09T10:15:02Z", "PD 120", "-", "/rx/a.jpg"}},
        {"DL1ABC", {"2026-12-09T10:15:02Z", "PD 120", "-", "/rx/a.jpg", "DL1ABC"}},
        {"DL1ABC/P\tX", {"2026-12-09T10:15:02Z", "PD 120", "-", "/rx/a.jpg", "DL1ABC/P X"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(log.append({when, "PD 120", {}, "/rx/a.jpg", c.callsign}), QString());
    const QStringList lines = QString::fromUtf8(contents(log.filePath())).split('\n');
    ASSERT_EQ(lines.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(lines[qsizetype(i)].split('\t'), cases[i].fields) << i;
}

TEST(ReceptionLog, ALogThatCannotBeWrittenSaysWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("received.log"));
    const QString problem =
        ReceptionLog(dir.path()).append({QDateTime::currentDateTime(), {}, {}, {}});
    EXPECT_TRUE(problem.contains("received.log")) << problem.toStdString();
    EXPECT_FALSE(ReceptionLog(dir.path() + "/missing").append({}).isEmpty());
}
