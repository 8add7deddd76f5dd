// SPDX-License-Identifier: GPL-3.0-or-later
// A helper of the installed-program tests, which have no image tools of their own:
//   modem-test-pictures frame FILE
//       writes a 420 x 256 picture of smooth gradients and a soft blob, as a photograph has
//   modem-test-pictures uploaded PICTURE FILE
//       the converter's memory after PICTURE was uploaded: stretched over the 410 columns the
//       program sends, white beyond, the grey staircase as the first line, through the pixel codec
//   modem-test-pictures fetched PICTURE FILE
//       what a fetch from the converter gives when PICTURE filled its whole memory: stretched
//       over the 420 columns, the 410 from the eleventh on
//   modem-test-pictures record MODE PICTURE FILE.wav
//       the picture sent in MODE (R36 R72 M1 M2 S1 S2) at 48000 Hz after 3 s of silence
//   modem-test-pictures psnr REFERENCE PICTURE [LEFT]
//       the peak signal-to-noise ratio in dB (RGB) of PICTURE against REFERENCE from column LEFT
//       on (all of it without LEFT); REFERENCE is scaled to PICTURE's size when that differs (a
//       picture received at its mode's own size)
//   modem-test-pictures bars WINDOW
//       how many columns of the X window WINDOW (an id as xdotool gives it, on $DISPLAY) hold a
//       run of at least 200 pixels of the RX window's aqua background: the bars beside a picture
//       shown with its aspect kept
// Status 2 when something cannot be read or written.
#include "converter/PixelCodec.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

using namespace winorbis::sstv;

namespace {

QImage frame() {
    QImage p(420, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 420; ++x) {
            const double d = std::hypot(x - 250.0, y - 120.0);
            const double blob = 255.0 * std::exp(-d * d / (2 * 60.0 * 60.0));
            p.setPixel(x, y, qRgb(x * 255 / 419, int(y * 0.8 + 30), int(blob)));
        }
    return p;
}

QImage uploaded(const QImage& picture) {
    namespace pc = winorbis::pixelcodec;
    QImage memory(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    memory.fill(Qt::white);
    {
        QPainter painter(&memory);
        painter.drawImage(QRect(0, 0, 410, pc::kFrameLines), picture);
    }
    for (int row = 0; row < pc::kFrameLines; ++row) {
        const QByteArray bytes = row == 0 ? pc::headerLine() : pc::encodeImageRow(memory, row);
        const auto pixels =
            pc::decodeLine(reinterpret_cast<const std::uint8_t*>(bytes.constData()));
        std::copy(pixels.begin(), pixels.end(), reinterpret_cast<QRgb*>(memory.scanLine(row)));
    }
    return memory;
}

QImage fetched(const QImage& picture) {
    namespace pc = winorbis::pixelcodec;
    return picture
        .scaled(pc::kFrameWidth, pc::kFrameLines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .copy(pc::kFrameWidth - 410, 0, 410, pc::kFrameLines);
}

int bars(const QString& window) {
    bool ok = false;
    const WId id = window.toULongLong(&ok);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || !screen)
        return 2;
    const QImage shot = screen->grabWindow(id).toImage().convertToFormat(QImage::Format_RGB32);
    if (shot.isNull())
        return 2;
    int columns = 0;
    for (int x = 0; x < shot.width(); ++x) {
        int run = 0, longest = 0;
        for (int y = 0; y < shot.height(); ++y) {
            run = (shot.pixel(x, y) & 0xFFFFFF) == 0x00FFFF ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest >= 200)
            ++columns;
    }
    std::printf("%d\n", columns);
    return 0;
}

int record(const QString& modeName, const QString& picturePath, const QString& out) {
    const auto id = modeByShortName(modeName);
    const QImage picture(picturePath);
    if (!id || picture.isNull())
        return 2;
    std::vector<std::int16_t> samples(3 * 48000, 0);
    const auto audio = SstvEncoder::encode16(picture, *id, {48000.0});
    samples.insert(samples.end(), audio.begin(), audio.end());
    QFile file(out);
    return file.open(QIODevice::WriteOnly) && file.write(wavBytes(samples, 48000)) > 0 ? 0 : 2;
}

int psnr(const QString& referencePath, const QString& picturePath, int left) {
    QImage reference = QImage(referencePath).convertToFormat(QImage::Format_RGB32);
    const QImage picture = QImage(picturePath).convertToFormat(QImage::Format_RGB32);
    if (reference.isNull() || picture.isNull())
        return 2;
    if (left < 0 || left >= reference.width())
        return 2;
    // A picture at its mode's own size holds the whole frame scaled: the reference is scaled the
    // same way and the columns left of LEFT, scaled too, are skipped in both.
    if (reference.size() != picture.size()) {
        left = left * picture.width() / reference.width();
        reference =
            reference.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    double sum = 0.0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = left; x < picture.width(); ++x) {
            const double r = qRed(a[x]) - qRed(b[x]), g = qGreen(a[x]) - qGreen(b[x]),
                         bl = qBlue(a[x]) - qBlue(b[x]);
            sum += r * r + g * g + bl * bl;
        }
    }
    const double mse = sum / (3.0 * (picture.width() - left) * picture.height());
    std::printf("%.1f\n", mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Only the screenshot needs the display.
    const bool grabs = argc > 1 && QByteArray(argv[1]) == "bars";
    // The window lies on an X display: the test command's offscreen platform cannot grab it.
    if (grabs)
        qputenv("QT_QPA_PLATFORM", "xcb");
    std::unique_ptr<QCoreApplication> app = grabs ? std::make_unique<QGuiApplication>(argc, argv)
                                                  : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList args = app->arguments().mid(1);
    int status = 2;
    if (args.size() == 2 && args[0] == "frame")
        status = frame().save(args[1]) ? 0 : 2;
    else if (args.size() == 3 && args[0] == "uploaded")
        status = !QImage(args[1]).isNull() && uploaded(QImage(args[1])).save(args[2]) ? 0 : 2;
    else if (args.size() == 3 && args[0] == "fetched")
        status = !QImage(args[1]).isNull() && fetched(QImage(args[1])).save(args[2]) ? 0 : 2;
    else if (args.size() == 2 && args[0] == "bars")
        status = bars(args[1]);
    else if (args.size() == 4 && args[0] == "record")
        status = record(args[1], args[2], args[3]);
    else if ((args.size() == 3 || args.size() == 4) && args[0] == "psnr")
        status = psnr(args[1], args[2], args.size() == 4 ? args[3].toInt() : 0);
    if (status != 0)
        std::fprintf(stderr, "modem-test-pictures: cannot do %s\n", qPrintable(args.join(' ')));
    return status;
}
