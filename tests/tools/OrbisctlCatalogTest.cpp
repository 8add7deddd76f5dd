// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl catalog: the catalog of a program folder from the command line, on real files.
#include "platform/ProgramFolder.h"
#include "settings/SettingsCodec.h"
#include "tools/orbisctl/Catalog.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace winorbis;

namespace {

struct OrbisctlCatalogTest : ::testing::Test {
    QTemporaryDir dir;
    QString out, err;

    void SetUp() override {
        for (const char* sub : {"TxKatalog", "RxKatalog", "im0", "im3"})
            QDir(dir.path()).mkdir(sub);
        QImage picture(420, 256, QImage::Format_RGB888);
        picture.fill(Qt::darkCyan);
        ASSERT_TRUE(picture.save(dir.filePath("RxKatalog/Bild2.jpg")));
    }
    static QString readBack(std::FILE* file) {
        std::rewind(file);
        QByteArray bytes;
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file))
            bytes.append(buffer, qsizetype(got));
        std::fclose(file);
        return QString::fromUtf8(bytes);
    }
    int run(const QStringList& arguments) {
        std::FILE* o = std::tmpfile();
        std::FILE* e = std::tmpfile();
        const int status = runCatalog(ProgramFolder(dir.path()), arguments, o, e);
        out = readBack(o);
        err = readBack(e);
        return status;
    }
    Settings settings() const {
        QFile file(dir.filePath("COM.DAT"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return SettingsCodec::parse(file.readAll(), Settings::defaults(QString())).settings;
    }
};

TEST_F(OrbisctlCatalogTest, CopiesNamesAndListsOnTheCatalogsOwnCode) {
    EXPECT_EQ(run({"name", "page", "3", "Contest"}), 0);
    EXPECT_EQ(run({"copy", "rx2", "3:9"}), 0) << err.toStdString();
    EXPECT_EQ(QFile(dir.filePath("im3/cat9.jpg")).size(),
              QFile(dir.filePath("RxKatalog/Bild2.jpg")).size());
    EXPECT_EQ(run({"name", "3:9", "Big gun"}), 0);
    EXPECT_EQ(settings().pageNames[3], "Contest");
    EXPECT_EQ(settings().positionNames[3][9], "Big gun");
    EXPECT_EQ(run({"3"}), 0);
    EXPECT_TRUE(out.startsWith("page 3 Contest\n"));
    EXPECT_TRUE(out.contains("3:9\t" + QDir::toNativeSeparators(dir.filePath("im3/cat9.jpg")) +
                             "\tBig gun\n"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("rx 1\t-\tRxPic0\n"));
}

TEST_F(OrbisctlCatalogTest, FailuresAndUsageErrors) {
    EXPECT_EQ(run({"copy", "rx5", "0:1"}), 1); // no picture there
    EXPECT_FALSE(QFile::exists(dir.filePath("im0/cat1.jpg")));
    EXPECT_EQ(run({"copy", "0:1", "rx2"}), 2);
    EXPECT_EQ(run({"copy", "rx2", "18:0"}), 2);
    EXPECT_EQ(run({"name", "page", "18", "x"}), 2);
    EXPECT_EQ(run({"25"}), 2);
    EXPECT_TRUE(err.contains("see orbisctl --help"));
}

} // namespace
