// SPDX-License-Identifier: GPL-3.0-or-later
// The tree that cmake --install makes under a fresh prefix, and what runs from it.
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kAppId = QStringLiteral(WINORBIS_TEST_APP_ID);

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Result run(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        result.err = process.readAllStandardError() + "\n(did not finish)";
        return result;
    }
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

class InstallTree : public ::testing::Test {
protected:
    // One installation for all cases.
    static void SetUpTestSuite() {
        prefix_ = new QTemporaryDir;
        const Result install = run(
            QStringLiteral(WINORBIS_TEST_CMAKE),
            {"--install", QStringLiteral(WINORBIS_TEST_BUILD_DIR), "--prefix", prefix_->path()});
        installOutput_ = install.out + install.err;
        installed_ = install.status == 0;
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << installOutput_.constData(); }

    static QString path(const QString& relative) { return prefix_->filePath(relative); }
    static QString bin(const char* program) {
        return path(QStringLiteral(WINORBIS_TEST_BINDIR "/") + QLatin1String(program));
    }

    static inline QTemporaryDir* prefix_ = nullptr;
    static inline bool installed_ = false;
    static inline QByteArray installOutput_;
};

} // namespace

TEST_F(InstallTree, HoldsEveryFileInItsUsualPlace) {
    const QString data = QStringLiteral(WINORBIS_TEST_DATADIR "/");
    const QString lib = QStringLiteral(WINORBIS_TEST_LIBDIR "/");
    const QString man = QStringLiteral(WINORBIS_TEST_MANDIR "/man1/");
    QStringList expected = {
        bin("winorbis"),
        bin("orbisctl"),
        bin("orbis-sim"),
        bin("orbis-modem"),
        path(QStringLiteral(WINORBIS_TEST_LIBEXECDIR "/winorbis/orbis-ptt-guardian")),
        path(lib + "winorbis/winorbis-sound.so"),
        path(lib + "libvexcore.so"),
        path(lib + "libvexcore.so.1"),
        path(lib + "pkgconfig/vexcore.pc"),
        path(QStringLiteral(WINORBIS_TEST_INCLUDEDIR "/vexcore/vexcore.h")),
        path(data + "applications/" + kAppId + ".desktop"),
        path(data + "metainfo/" + kAppId + ".metainfo.xml"),
        path(data + "icons/hicolor/scalable/apps/" + kAppId + ".svg"),
        path(man + "winorbis.1"),
        path(man + "orbisctl.1"),
        path(man + "orbis-sim.1"),
        path(man + "orbis-modem.1"),
        path(QStringLiteral(WINORBIS_TEST_DOCDIR "/winorbis70.pdf")),
    };
    for (const int size : {16, 32, 48, 64, 128, 256})
        expected << path(data + QStringLiteral("icons/hicolor/%1x%1/apps/").arg(size) + kAppId +
                         ".png");
    for (const QString& file : expected)
        EXPECT_TRUE(QFileInfo(file).isFile()) << qPrintable(file);
    for (const char* program : {"winorbis", "orbisctl", "orbis-sim", "orbis-modem"})
        EXPECT_TRUE(QFileInfo(bin(program)).isExecutable()) << program;
}

TEST_F(InstallTree, EachIconSizeShowsThePicture) {
    const QString data = QStringLiteral(WINORBIS_TEST_DATADIR "/icons/hicolor/");
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon(path(data + QStringLiteral("%1x%1/apps/").arg(size) + kAppId + ".png"));
        ASSERT_EQ(icon.size(), QSize(size, size)) << size;
        // Transparent corners outside the rounded square, the dark square itself inside it.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
        const QRgb inside = icon.pixel(size * 20 / 256, size / 2);
        EXPECT_EQ(qAlpha(inside), 255) << size;
        EXPECT_LT(qBlue(inside) - qRed(inside), 80) << size;
        EXPECT_GT(qBlue(inside), qRed(inside)) << size;
    }
    QFile svg(path(data + "scalable/apps/" + kAppId + ".svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QDomDocument document;
    ASSERT_TRUE(document.setContent(&svg));
    EXPECT_EQ(document.documentElement().attribute("viewBox"), "0 0 256 256");
}

TEST_F(InstallTree, DesktopEntryAndMetainfoPointAtInstalledFiles) {
    // Read by hand: ";" separates the list values here, where an INI reader sees a comment.
    QFile desktop(
        path(QStringLiteral(WINORBIS_TEST_DATADIR "/applications/") + kAppId + ".desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QString> entry;
    for (const QString& line : QString::fromUtf8(desktop.readAll()).split('\n')) {
        if (const qsizetype at = line.indexOf('='); at > 0)
            entry.insert(line.left(at), line.mid(at + 1));
    }
    EXPECT_EQ(entry.value("Exec"), "winorbis");
    EXPECT_TRUE(QFileInfo(bin("winorbis")).isExecutable());
    EXPECT_EQ(entry.value("Icon"), kAppId);
    EXPECT_TRUE(entry.value("Categories").split(';').contains("HamRadio"));

    QFile metainfo(
        path(QStringLiteral(WINORBIS_TEST_DATADIR "/metainfo/") + kAppId + ".metainfo.xml"));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    QDomDocument document;
    ASSERT_TRUE(document.setContent(&metainfo));
    const QDomElement root = document.documentElement();
    EXPECT_EQ(root.firstChildElement("id").text(), kAppId);
    EXPECT_EQ(root.firstChildElement("launchable").text(), kAppId + ".desktop");
    QStringList binaries;
    for (QDomElement b = root.firstChildElement("provides").firstChildElement("binary");
         !b.isNull(); b = b.nextSiblingElement("binary"))
        binaries << b.text();
    for (const QString& binary : binaries)
        EXPECT_TRUE(QFileInfo(bin(qPrintable(binary))).isExecutable()) << qPrintable(binary);
    EXPECT_EQ(binaries.size(), 3);
}

TEST_F(InstallTree, TheProgramsRunFromTheInstalledTree) {
    // Nothing of the build tree on the library path: the programs find libvexcore relative to
    // themselves.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LD_LIBRARY_PATH");
    const Result version = run(bin("winorbis"), {"--version"}, environment);
    EXPECT_EQ(version.status, 0) << version.err.constData();
    EXPECT_EQ(version.out, "WinOrbis 70p Version 3.00e\n");
    const Result ctl = run(bin("orbisctl"), {"--help"}, environment);
    EXPECT_EQ(ctl.status, 0) << ctl.err.constData();
    EXPECT_TRUE(ctl.out.startsWith("Usage: orbisctl"));
    const Result sim = run(bin("orbis-sim"), {"--help"}, environment);
    EXPECT_EQ(sim.status, 0) << sim.err.constData();
    EXPECT_TRUE(sim.out.startsWith("Usage: orbis-sim"));
}

TEST_F(InstallTree, TheSoundSystemIsLoadedFromTheInstalledTreeOrItsAbsenceSaid) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LD_LIBRARY_PATH");
    // No sound server here: the lists are empty, but the installed module was found and loaded.
    environment.insert("PULSE_SERVER", "unix:/nonexistent");
    const Result listed = run(bin("orbis-modem"), {"--list-devices"}, environment);
    EXPECT_EQ(listed.status, 0) << listed.err.constData();
    EXPECT_TRUE(listed.out.startsWith("Capture devices:")) << listed.out.constData();

    // The same program in an installation that lost the module says so, and lists nothing.
    QTemporaryDir lost;
    ASSERT_TRUE(QDir().mkpath(lost.filePath(WINORBIS_TEST_BINDIR)));
    ASSERT_TRUE(QDir().mkpath(lost.filePath(WINORBIS_TEST_LIBDIR)));
    ASSERT_TRUE(QFile::copy(bin("orbis-modem"),
                            lost.filePath(QStringLiteral(WINORBIS_TEST_BINDIR "/orbis-modem"))));
    ASSERT_TRUE(
        QFile::copy(path(QStringLiteral(WINORBIS_TEST_LIBDIR "/libvexcore.so.1")),
                    lost.filePath(QStringLiteral(WINORBIS_TEST_LIBDIR "/libvexcore.so.1"))));
    const Result without = run(lost.filePath(QStringLiteral(WINORBIS_TEST_BINDIR "/orbis-modem")),
                               {"--list-devices"}, environment);
    EXPECT_EQ(without.status, 1) << without.err.constData();
    EXPECT_TRUE(without.err.contains("winorbis-sound.so is not installed"))
        << without.err.constData();
    EXPECT_FALSE(without.out.contains("Capture devices:"));
}

TEST_F(InstallTree, AClientBuildsAgainstLibvexcoreThroughPkgConfig) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString libdir = path(QStringLiteral(WINORBIS_TEST_LIBDIR));
    environment.insert("PKG_CONFIG_PATH", libdir + "/pkgconfig");
    const Result flags = run("pkg-config", {"--cflags", "--libs", "vexcore"}, environment);
    ASSERT_EQ(flags.status, 0) << flags.err.constData();
    // The flags point into the installed tree, wherever it lies.
    EXPECT_TRUE(flags.out.contains("-lvexcore"));
    EXPECT_TRUE(QString::fromLocal8Bit(flags.out).contains(QDir(prefix_->path()).canonicalPath()) ||
                flags.out.contains(prefix_->path().toLocal8Bit()))
        << flags.out.constData();

    QTemporaryDir work;
    QFile source(work.filePath("client.c"));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("#include <vexcore/vexcore.h>\n"
                 "#include <stdio.h>\n"
                 "int main(void) {\n"
                 "    char text[16] = \"  CQ SSTV  \";\n"
                 "    char left[8];\n"
                 "    CutFrontSpace(text);\n"
                 "    CutBackSpace(text);\n"
                 "    StrLeftCopy(left, text, 2);\n"
                 "    printf(\"[%s][%s]\\n\", text, left);\n"
                 "    return 0;\n"
                 "}\n");
    source.close();
    QStringList arguments = {"-std=c11",
                             "-Wall",
                             "-Werror",
                             source.fileName(),
                             "-o",
                             work.filePath("client"),
                             "-Wl,-rpath," + libdir};
    arguments << QString::fromLocal8Bit(flags.out).simplified().split(' ', Qt::SkipEmptyParts);
    const Result compile = run("cc", arguments);
    ASSERT_EQ(compile.status, 0) << compile.err.constData();
    const Result client = run(work.filePath("client"), {});
    EXPECT_EQ(client.status, 0) << client.err.constData();
    EXPECT_EQ(client.out, "[CQ SSTV][CQ]\n");
}

TEST_F(InstallTree, TheManualIsATypesetPdf) {
    QFile pdf(path(QStringLiteral(WINORBIS_TEST_DOCDIR "/winorbis70.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    // Several A4 pages (595 x 842 points), one per /Type /Page object.
    EXPECT_GE(bytes.count("/Type /Page\n"), 5);
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595"));
    // The title in the document's information, as UTF-16 with its byte-order mark.
    QByteArray title("/Title (\xfe\xff");
    for (const char c : QByteArray("WinOrbis 70p User Manual"))
        title.append('\0').append(c);
    EXPECT_TRUE(bytes.contains(title + ')'));
}
