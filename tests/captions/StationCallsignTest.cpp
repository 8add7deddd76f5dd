// SPDX-License-Identifier: GPL-3.0-or-later
// The station's callsign and its picture, and the starter files of a new program folder.
#include "captions/StationCallsign.h"
#include "captions/StandardTextLibrary.h"
#include "captions/StarterFiles.h"

#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "workspace/BmpFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

Settings settingsWith(const QString& callsign) {
    Settings settings = Settings::defaults(QStringLiteral("DejaVu Sans"));
    settings.callsignFont.faceName = QStringLiteral("DejaVu Sans");
    settings.callsign = callsign;
    return settings;
}

int pixelsOf(const QImage& picture, QColor colour) {
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += picture.pixelColor(x, y) == colour ? 1 : 0;
    return n;
}

// The box around the pixels that differ from the corner's field.
QRect inkBox(const QImage& picture) {
    const QColor field = picture.pixelColor(0, 0);
    QRect box;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y) != field)
                box |= QRect(x, y, 1, 1);
    return box;
}

QStringList allTexts(const QList<StandardTextLibrary::Entry>& entries) {
    QStringList texts;
    for (const auto& entry : entries)
        texts << entry.text << allTexts(entry.children);
    return texts;
}

} // namespace

TEST(StationCallsign, TakesOnlyTextsThatTheSettingsFileCanKeep) {
    EXPECT_TRUE(captions::callsignProblem("DL1ABC").isEmpty());
    EXPECT_TRUE(captions::callsignProblem("  PA0XYZ/P ").isEmpty());
    EXPECT_FALSE(captions::callsignProblem("").isEmpty());
    EXPECT_FALSE(captions::callsignProblem("   ").isEmpty());
    EXPECT_FALSE(captions::callsignProblem("ABCDEFGHIJKLMNOPQ").isEmpty()); // 17 characters
    EXPECT_FALSE(captions::callsignProblem("DL1\nABC").isEmpty());
    EXPECT_FALSE(captions::callsignProblem(QString::fromUtf8("DL1\u20ac")).isEmpty());
}

TEST(StationCallsign, ThePictureShowsTheCallsignInTheCaptionColoursWithinItsField) {
    const QImage picture = captions::callsignPicture(settingsWith("DL1ABC"));
    ASSERT_EQ(picture.size(), captions::kCallsignPictureSize);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_GT(pixelsOf(picture, Qt::red), 300);
    EXPECT_GT(pixelsOf(picture, Qt::black), 50); // the shadow
    // As large as fits: the text spans most of the field and stays inside it.
    const QRect ink = inkBox(picture);
    EXPECT_GT(ink.width(), 150);
    EXPECT_GT(ink.height(), 25);
    EXPECT_TRUE(QRect(QPoint(0, 0), picture.size()).adjusted(1, 1, -1, -1).contains(ink));
    // A long callsign is made smaller, never cut.
    const QRect longInk = inkBox(captions::callsignPicture(settingsWith("WWWWWWWWWWWWWWWW")));
    EXPECT_GT(longInk.left(), 0);
    EXPECT_LT(longInk.right(), picture.width() - 1);

    // Without the shadow switch no shadow; a light text on a black field; turned text upright.
    Settings light = settingsWith("DL1ABC");
    light.shadow = CaptionShadow::Off;
    light.callsignFont.textColour = colours::clYellow;
    light.callsignFont.escapement = 450;
    const QImage plain = captions::callsignPicture(light);
    EXPECT_EQ(plain.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_GT(pixelsOf(plain, Qt::yellow), 300);
    EXPECT_LT(inkBox(plain).height(), 52);
    EXPECT_GT(inkBox(plain).width(), 150);
}

TEST(StationCallsign, SettingTheCallsignRemakesThePictureAndARefusedOneChangesNothing) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    Settings settings = settingsWith("ID");
    StationCallsign callsign(settings, folder);
    EXPECT_EQ(callsign.set(" G4ABC "), QString());
    EXPECT_EQ(settings.callsign, "G4ABC");
    QString error;
    const QImage first = BmpFiles::read(dir.path() + "/callsign.bmp", &error);
    ASSERT_FALSE(first.isNull()) << error.toStdString();
    EXPECT_EQ(callsign.set("K1ABC"), QString());
    EXPECT_NE(BmpFiles::read(dir.path() + "/callsign.bmp", &error), first);

    EXPECT_FALSE(callsign.set("").isEmpty());
    EXPECT_EQ(settings.callsign, "K1ABC");

    // A picture that cannot be written is said; the callsign is set all the same.
    ASSERT_TRUE(QFile::remove(dir.path() + "/callsign.bmp"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("callsign.bmp"));
    EXPECT_TRUE(callsign.set("N0CALL").contains("callsign.bmp"));
    EXPECT_EQ(settings.callsign, "N0CALL");
}

TEST(StarterFiles, ANewFolderGetsTheThreeFilesAndAnOperatorsOwnFilesStay) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    EXPECT_TRUE(StarterFiles::isNewFolder(folder));
    // The operator's own library, in another letter case, is kept as it is.
    QFile own(dir.path() + "/WINORBIS.TXT");
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("Mine\r\n");
    own.close();

    Settings settings = settingsWith("DL1ABC");
    EXPECT_TRUE(StarterFiles::writeMissing(folder, settings).isEmpty());
    QString error;
    EXPECT_EQ(BmpFiles::read(dir.path() + "/start.bmp", &error).size(), QSize(420, 256));
    EXPECT_EQ(BmpFiles::read(dir.path() + "/callsign.bmp", &error).size(), QSize(220, 52));
    EXPECT_FALSE(QFile::exists(dir.path() + "/winorbis.txt"));
    QFile kept(dir.path() + "/WINORBIS.TXT");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "Mine\r\n");

    QFile settingsFile(dir.path() + "/COM.DAT");
    ASSERT_TRUE(settingsFile.open(QIODevice::WriteOnly));
    settingsFile.close();
    EXPECT_FALSE(StarterFiles::isNewFolder(folder));
}

TEST(StarterFiles, TheStarterLibraryHoldsTheEverydayTextsInItsOutline) {
    const StandardTextLibrary library = StarterFiles::starterLibrary();
    const QStringList texts = allTexts(library.entries());
    for (const char* text : {"CQ SSTV", "QRZ?", "73", "TNX FOR QSO"})
        EXPECT_TRUE(texts.contains(QLatin1String(text))) << text;
    // The outline survives its file form.
    EXPECT_EQ(StandardTextLibrary::fromText(library.toText()).toText(), library.toText());
    for (const auto& top : library.entries())
        EXPECT_FALSE(top.children.isEmpty()) << top.text.toStdString();
}
