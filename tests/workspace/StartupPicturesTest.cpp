// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/StartupPictures.h"
#include "workspace/BmpFiles.h"
#include "workspace/WorkingPictures.h"

#include "PictureTestSupport.h"
#include "platform/ProgramFolder.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// The headers every start-up picture shares, apart from size and dimensions.
void expectHeaders(const QByteArray& bytes, int fileSize, int width, int height) {
    ASSERT_EQ(bytes.size(), fileSize);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(field(bytes, 2, 4), quint32(fileSize));
    EXPECT_EQ(field(bytes, 6, 2), 0u); // reserved
    EXPECT_EQ(field(bytes, 8, 2), 0u);
    EXPECT_EQ(field(bytes, 10, 4), 54u); // pixel offset
    EXPECT_EQ(field(bytes, 14, 4), 40u); // information header size
    EXPECT_EQ(field(bytes, 18, 4), quint32(width));
    EXPECT_EQ(field(bytes, 22, 4), quint32(height)); // positive: rows bottom-up
    EXPECT_EQ(field(bytes, 26, 2), 1u);              // planes
    EXPECT_EQ(field(bytes, 28, 2), 24u);             // bits per pixel
    for (int at = 30; at < 54; at += 4)
        EXPECT_EQ(field(bytes, at, 4), 0u) << "offset " << at; // compression .. colours important
}

struct StartupFixture : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    StartupPictures startup{folder, dialogs};
    WorkingPictures pictures;
};

} // namespace

TEST(StartupPictureBytes, TheDefaultPictureIsTheGreyRampByteForByte) {
    const QByteArray bytes = StartupPictures::defaultPictureBytes();
    expectHeaders(bytes, 315446, 410, 256);
    ASSERT_EQ(bytes.size(), StartupPictures::kDefaultFileSize);
    const QByteArray firstRow = bytes.mid(54, 1232);
    for (int row = 0; row < 256; ++row)
        ASSERT_EQ(bytes.mid(54 + row * 1232, 1232), firstRow) << "row " << row;
    const auto pixel = [&](int x) { return QByteArray(firstRow.constData() + 3 * x, 3); };
    EXPECT_EQ(pixel(0), QByteArray(3, char(0)));
    EXPECT_EQ(pixel(1), QByteArray(3, char(0))); // 255 / 419
    EXPECT_EQ(pixel(2), QByteArray(3, char(1))); // 510 / 419
    EXPECT_EQ(pixel(209), QByteArray(3, char(127)));
    EXPECT_EQ(pixel(409), QByteArray(3, char(248)));
    EXPECT_EQ(firstRow.mid(1230), QByteArray(2, '\0')); // padding to 1232 bytes

    const QImage decoded = QImage::fromData(bytes, "BMP");
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB888), WorkingPictures::defaultGradient());
}

TEST(StartupPictureBytes, TheEmptySlotPictureIsGrey160) {
    const QByteArray bytes = StartupPictures::grayPictureBytes();
    expectHeaders(bytes, 14454, 80, 60);
    ASSERT_EQ(bytes.size(), StartupPictures::kGrayFileSize);
    EXPECT_EQ(bytes.mid(54), QByteArray(60 * 240, char(160))); // 240-byte rows need no padding
    const QImage decoded = QImage::fromData(bytes, "BMP");
    EXPECT_EQ(decoded.size(), QSize(80, 60));
    EXPECT_EQ(decoded.pixel(79, 59), qRgb(160, 160, 160));
}

TEST_F(StartupFixture, StartUpWritesBothFilesAndLoadsTheRampIntoTxAndRx) {
    // Old files in another letter case, one of them cut short, are replaced where they are.
    ASSERT_TRUE(writeAll(dir.path() + "/defalt.bmp", "BM cut"));
    ASSERT_TRUE(writeAll(dir.path() + "/GRAY.bmp", QByteArray(100, 'x')));
    pictures.tx = solid(420, 256, qRgb(1, 2, 3));

    startup.run(pictures);

    EXPECT_EQ(dialogs.count("error"), 0) << dialogs.texts().join('\n').toStdString();
    QStringList names = QDir(dir.path()).entryList(QDir::Files);
    names.sort();
    EXPECT_EQ(names, (QStringList{"GRAY.bmp", "defalt.bmp"})); // no temporary files left
    EXPECT_EQ(readAll(dir.path() + "/defalt.bmp"), StartupPictures::defaultPictureBytes());
    // The pictures are made in memory, not read back: the file holds the same ramp.
    QString error;
    EXPECT_EQ(BmpFiles::read(dir.path() + "/defalt.bmp", &error),
              WorkingPictures::defaultGradient())
        << error.toStdString();
    EXPECT_EQ(readAll(dir.path() + "/GRAY.bmp"), StartupPictures::grayPictureBytes());
    EXPECT_EQ(pictures.tx, WorkingPictures::defaultGradient());
    EXPECT_EQ(pictures.rx, WorkingPictures::defaultGradient());
    EXPECT_EQ(pictures.tx.format(), QImage::Format_RGB888);
}

TEST_F(StartupFixture, AFolderThatCannotBeWrittenShowsErrorsAndStillStartsFromTheRamp) {
    // An old, different "\DEFALT.BMP" that cannot be replaced is not taken for the ramp.
    ASSERT_TRUE(solid(410, 256, qRgb(255, 0, 0)).save(dir.path() + "/DEFALT.BMP", "BMP"));
    const QByteArray old = readAll(dir.path() + "/DEFALT.BMP");
    {
        const FileSizeLimit limit(1000);
        startup.run(pictures);
    }
    ASSERT_EQ(dialogs.count("error"), 2);
    EXPECT_TRUE(dialogs.texts()[0].contains("DEFALT.BMP\" cannot be written"))
        << dialogs.texts()[0].toStdString();
    EXPECT_TRUE(dialogs.texts()[1].contains("Gray.BMP\" cannot be written"));
    EXPECT_EQ(readAll(dir.path() + "/DEFALT.BMP"), old);
    EXPECT_EQ(pictures.tx, WorkingPictures::defaultGradient());
    EXPECT_EQ(pictures.rx, WorkingPictures::defaultGradient());
}

TEST_F(StartupFixture, AMissingProgramFolderNeverLeavesThePicturesEmpty) {
    const ProgramFolder gone(dir.path() + "/nowhere");
    const StartupPictures nowhere(gone, dialogs);
    nowhere.run(pictures);
    EXPECT_EQ(dialogs.count("error"), 2);
    EXPECT_EQ(pictures.tx.size(), QSize(410, 256));
    EXPECT_EQ(pictures.rx.size(), QSize(410, 256));
}

namespace {

// The chunks of a RIFF/WAVE file by their four-letter names, read as any player reads them.
QHash<QByteArray, QByteArray> waveChunks(const QByteArray& bytes) {
    QHash<QByteArray, QByteArray> chunks;
    if (bytes.size() < 12 || bytes.left(4) != "RIFF" || bytes.mid(8, 4) != "WAVE" ||
        field(bytes, 4, 4) != quint32(bytes.size() - 8))
        return chunks;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const quint32 size = field(bytes, int(at + 4), 4);
        if (at + 8 + qsizetype(size) > bytes.size())
            return {};
        chunks.insert(bytes.mid(at, 4), bytes.mid(at + 8, size));
        at += 8 + size + (size & 1);
    }
    return chunks;
}

} // namespace

TEST(StartupSound, IsAShortPcmWaveOfTwoBeeps) {
    const auto chunks = waveChunks(StartupPictures::confirmationSoundBytes());
    ASSERT_TRUE(chunks.contains("fmt ") && chunks.contains("data"));
    const QByteArray format = chunks["fmt "];
    ASSERT_EQ(format.size(), 16);
    EXPECT_EQ(field(format, 0, 2), 1u);    // PCM
    EXPECT_EQ(field(format, 2, 2), 1u);    // mono
    EXPECT_EQ(field(format, 4, 4), 8000u); // samples per second
    EXPECT_EQ(field(format, 8, 4), 8000u); // bytes per second
    EXPECT_EQ(field(format, 12, 2), 1u);   // block alignment
    EXPECT_EQ(field(format, 14, 2), 8u);   // bits per sample
    const QByteArray data = chunks["data"];
    ASSERT_EQ(data.size(), 2400); // 0.3 s

    // Loud and silent stretches of 10 ms: sound, silence, sound, and quiet at both ends of each
    // beep.
    QString shape;
    for (int at = 0; at < data.size(); at += 80) {
        int peak = 0;
        for (int i = at; i < at + 80; ++i)
            peak = std::max(peak, std::abs(int(quint8(data[i])) - 128));
        shape += peak > 60 ? 'B' : peak == 0 ? '.' : '?';
    }
    EXPECT_EQ(shape, "BBBBBBBBBB..........BBBBBBBBBB");
    EXPECT_LE(std::abs(int(quint8(data[0])) - 128), 1);
    EXPECT_LE(std::abs(int(quint8(data[2399])) - 128), 3);
}

TEST_F(StartupFixture, TheConfirmationSoundIsWrittenOnlyWhereThereIsNone) {
    EXPECT_TRUE(startup.writeMissingConfirmationSound());
    EXPECT_EQ(readAll(dir.path() + "/ok.wav"), StartupPictures::confirmationSoundBytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"ok.wav"});

    // The operator's own sound stays, in whatever letter case its name is.
    ASSERT_TRUE(QFile::remove(dir.path() + "/ok.wav"));
    ASSERT_TRUE(writeAll(dir.path() + "/OK.WAV", "my own sound"));
    EXPECT_TRUE(startup.writeMissingConfirmationSound());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"OK.WAV"});
    EXPECT_EQ(readAll(dir.path() + "/OK.WAV"), "my own sound");
    EXPECT_EQ(dialogs.count("error"), 0);
}

TEST_F(StartupFixture, AConfirmationSoundThatCannotBeWrittenIsShownAndLeavesNothing) {
    const ProgramFolder gone(dir.path() + "/nowhere");
    const StartupPictures nowhere(gone, dialogs);
    EXPECT_FALSE(nowhere.writeMissingConfirmationSound());
    ASSERT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains("ok.wav\" cannot be written"))
        << dialogs.texts()[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/nowhere"));
}
