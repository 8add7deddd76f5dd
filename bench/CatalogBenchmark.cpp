// SPDX-License-Identifier: GPL-3.0-or-later
// A page change of the catalog: 25 JPEG pictures of 420 x 256 read and shown, alternating
// between two full pages. Prints the time of a page change in the catalog's behaviour alone and
// in the catalog window (offscreen, every box repainted).
#include "catalog/CatalogController.h"
#include "catalog/TForm3.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "workspace/WorkingPictures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace winorbis;

namespace {

// A picture with detail all over, so the JPEG files are of a realistic size.
QImage testPicture(int seed) {
    QImage picture(420, 256, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int v = (x * 7 + y * 13 + seed * 31) ^ (x * y + seed);
            picture.setPixel(x, y, qRgb(v & 0xFF, (v >> 3) & 0xFF, (x + y + seed * 9) & 0xFF));
        }
    }
    return picture;
}

// No window to show the catalog, and no main window around it.
struct NoWindows : CatalogView, CatalogHost {
    void showPicture(const CatalogPosition&, const QImage&) override {}
    void showName(const CatalogPosition&, const QString&) override {}
    void showPageButton(int, const QString&, bool) override {}
    void closeCatalog() override {}
    bool copyToTx(const QString&) override { return false; }
    void slotNamesChanged() override {}
};

struct NoDialogs : Dialogs {
    void message(const QString& text, Kind) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool askYesNo(const QString&, Kind) override { return false; }
    bool askOkCancel(const QString&) override { return false; }
    std::optional<QString> openFile(const FileRequest&) override { return {}; }
    std::optional<QString> saveFile(const FileRequest&) override { return {}; }
    std::optional<TColor> chooseColour(TColor) override { return {}; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return {};
    }
    void beep(unsigned) override {}
    bool shellOpen(const QString&) override { return false; }
};

void print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %7.2f ms  min %7.2f ms  max %7.2f ms  (%zu page changes)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
}

template <typename Change> std::vector<double> measure(int rounds, Change change) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        change(i % 2);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir root(dir.path());
    qint64 bytes = 0;
    for (int page = 0; page < 2; ++page) {
        root.mkdir(QStringLiteral("im%1").arg(page));
        for (int k = 0; k < 25; ++k) {
            const QString path = dir.filePath(QStringLiteral("im%1/cat%2.jpg").arg(page).arg(k));
            testPicture(page * 25 + k).save(path, "JPG");
            bytes += QFileInfo(path).size();
        }
    }
    QImage gray(100, 75, QImage::Format_RGB888);
    gray.fill(Qt::gray);
    gray.save(dir.filePath("Gray.BMP"), "BMP");
    std::printf("page of 25 JPEG pictures 420 x 256, %lld bytes per picture on average\n",
                bytes / 50);

    const ProgramFolder folder(dir.path());
    NoDialogs dialogs;
    WorkingPictures pictures;
    Settings settings = Settings::defaults(QStringLiteral("Arial"));
    constexpr int kRounds = 40;
    {
        NoWindows none;
        CatalogController controller(folder, dialogs, pictures, settings, none, none);
        controller.FormCreate();
        print("page change, catalog behaviour alone",
              measure(kRounds, [&](int page) { controller.selectPage(page); }));
    }
    {
        TForm3 window;
        NoWindows none;
        window.attach(folder, dialogs, pictures, settings, none);
        window.show();
        QApplication::processEvents();
        print("page change, catalog window repainted", measure(kRounds, [&](int page) {
                  window.controller()->selectPage(page);
                  window.repaint();
              }));
    }
    return 0;
}
