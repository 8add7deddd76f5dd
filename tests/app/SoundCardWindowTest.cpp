// SPDX-License-Identifier: GPL-3.0-or-later
// The station on the converter inside the program on the sound card (audio in memory): the main
// window's RX picture growing line by line at the mode's own size while a picture comes in, its
// store at that size, and what station.conf names and cannot be had.
#include "app/AirModeList.h"
#include "app/AppWindows.h"
#include "app/TForm1.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"
#include "platform/ProgramFolder.h"
#include "radio/MemoryAudio.h"
#include "radio/SoundCardConverter.h"
#include "settings/StationOptions.h"
#include "support/EventPump.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "workspace/ui/PaintBox.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// Counts the paints of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A picture with gradients across and down, as a photograph has.
QImage gradientPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / (width - 1), 255 - y, (x + y) % 256));
    return picture;
}

// The rows of the picture received so far: the rows above the first all-black one.
int grownRows(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        bool black = true;
        for (int x = 0; x < picture.width() && black; ++x)
            black = (picture.pixel(x, y) & 0xFFFFFF) == 0;
        if (black)
            return y;
    }
    return picture.height();
}

double meanError(const QImage& a, const QImage& b) {
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

TEST(SoundCardWindow, APictureGrowsRowByRowAtItsOwnSizeAndIsStoredSo) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SystemClock clock;
    radio::MemoryAudioSource* source = nullptr;
    AppServices services{dialogs, clock, dir.path()};
    services.converterFactory = [&] {
        radio::SoundCardConverter::Devices devices;
        auto memory = std::make_unique<radio::MemoryAudioSource>(48000);
        source = memory.get();
        devices.source = std::move(memory);
        return std::make_unique<radio::SoundCardConverter>(std::move(devices), clock);
    };
    AppWindows windows(services);
    TForm1& form = windows.main();
    form.show();
    EXPECT_TRUE(form.rxWindow()->isHidden()); // until a picture comes
    PaintCounter counter;
    form.rxWindow()->installEventFilter(&counter);

    const QImage sent = gradientPicture(320, 240);
    std::vector<float> audio = sstv::SstvEncoder::encode(sent, ModeId::Robot36, {48000.0});
    audio.insert(audio.end(), 48000, 0.0f); // the last line ends
    // The recording in eight pieces, each decoded before the next comes.
    constexpr int kPieces = 8;
    std::vector<int> grown;
    const std::size_t piece = audio.size() / kPieces + 1;
    for (std::size_t at = 0; at < audio.size(); at += piece) {
        const std::size_t end = std::min(audio.size(), at + piece);
        source->push(std::span<const float>(audio).subspan(at, end - at));
        const int paintsBefore = counter.paints;
        ASSERT_TRUE(pumpUntil([&] { return source->waiting() == 0; }));
        pumpUntil([] { return false; }, 150); // the last rows and their paint
        grown.push_back(grownRows(form.pictures().rx));
        if (grown.size() > 1 && grown.back() > grown[grown.size() - 2] && grown.back() < 240) {
            EXPECT_GT(counter.paints, paintsBefore) << "piece " << grown.size();
        }
    }
    // Each piece added rows under the ones before; the picture came at its mode's own size.
    for (int i = 1; i < kPieces - 2; ++i)
        EXPECT_GT(grown[i], grown[i - 1]) << "piece " << i + 1;
    EXPECT_EQ(form.pictures().rx.size(), QSize(320, 240));
    EXPECT_FALSE(form.rxWindow()->isHidden());
    const auto* field = form.findChild<QLabel*>(QStringLiteral("ConverterField"));
    ASSERT_TRUE(field);
    EXPECT_TRUE(field->text().contains("sound card", Qt::CaseInsensitive))
        << field->text().toStdString();

    // Stored as it came: the slot file and the JPEG at its size, the log with its mode.
    ASSERT_TRUE(
        pumpUntil([&] { return QFile::exists(dir.path() + "/Kleinbilder/Bild1.bmp"); }, 10000));
    const QImage slot(dir.path() + "/Kleinbilder/Bild1.bmp");
    EXPECT_EQ(slot.size(), QSize(320, 240));
    EXPECT_LT(meanError(slot, sent), 8.0);
    const QStringList jpegs = QDir(dir.path() + "/AutoSpeichern").entryList({"*.jpg"}, QDir::Files);
    ASSERT_EQ(jpegs.size(), 1);
    EXPECT_EQ(QImage(dir.path() + "/AutoSpeichern/" + jpegs[0]).size(), QSize(320, 240));
    QFile log(dir.path() + "/AutoSpeichern/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\tRobot 36\t"));
    ASSERT_TRUE(pumpUntil([&] { return form.statusText() == " Ready for Receive "; }));
}

// What station.conf names and cannot be had is said and left out, and the station runs on.
TEST(SoundCardWindow, TheBuiltInConverterStartsWithoutWhatItCannotHave) {
    QTemporaryDir dir;
    QFile conf(dir.path() + "/station.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("Converter=sound card\nSoundCapture=NoSuchCard\nSoundPlayback=NoSuchCard\n"
               "Ptt=carrier-pigeon\nClockPpm=fast\nCamera=No Such Camera\n");
    conf.close();
    ScriptedDialogs dialogs;
    SystemClock clock;
    QStringList notes;
    Station::Setup setup;
    setup.folder = dir.path();
    setup.converterLog = [&](const QString& text) { notes << text; };
    Station station(setup, dialogs, clock);
    station.peekSettings();
    ASSERT_TRUE(station.openConverter(true));
    EXPECT_EQ(station.capabilities().kind, "sound card");
    const QString said = notes.join('\n');
    for (const char* expected : {"no sound capture", "no sound playback", "carrier-pigeon",
                                 "ClockPpm=fast", "no camera, a digitize takes the picture file"})
        EXPECT_TRUE(said.contains(QLatin1String(expected))) << expected << "\n"
                                                            << said.toStdString();
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    station.stop();
}

// A digitize without a camera takes the picture file, and the next transmission sends it with
// the station's callsign in FSK after it (station.conf FskId).
TEST(SoundCardWindow, ADigitizeTakesThePictureFileAndTheTransmissionSendsIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(StationOptions::store(ProgramFolder(dir.path()), "FskId", "1").isEmpty());
    const QString picture = dir.filePath("shack.png");
    QImage shack(640, 480, QImage::Format_RGB32);
    shack.fill(qRgb(200, 40, 40));
    ASSERT_TRUE(shack.save(picture));
    ScriptedDialogs dialogs;
    VirtualClock clock; // the 36 s on the air pass in virtual time
    radio::MemoryAudioSink* sink = nullptr;
    radio::SoundCardConverter* card = nullptr;
    Station::Setup setup;
    setup.folder = dir.path();
    setup.converterFactory = [&] {
        radio::SoundCardConverter::Devices devices;
        auto memory = std::make_unique<radio::MemoryAudioSink>(11025);
        sink = memory.get();
        devices.sink = std::move(memory);
        devices.digitizePicture = picture;
        auto made = std::make_unique<radio::SoundCardConverter>(std::move(devices), clock);
        card = made.get();
        return made;
    };
    Station station(setup, dialogs, clock);
    station.peekSettings();
    station.settings().callsign = "DL1ABC";
    ASSERT_TRUE(station.openConverter(true));
    station.start();
    ASSERT_TRUE(station.digitize());
    ASSERT_TRUE(pumpUntil([&] { return !station.busy(); }));
    // No settling wait: the sound card's digitize is there at once.
    EXPECT_EQ(station.capabilities().digitizeSettleMs, 0);
    ASSERT_TRUE(station.transmit(ModeId::Robot36, false, false));
    ASSERT_TRUE(pumpUntil([&] { return !station.busy() && card->transmitting(); }));
    ASSERT_TRUE(pumpUntil([&] {
        clock.advance(500);
        return !card->transmitting();
    }));
    station.stop();
    sstv::SstvDecoder decoder(11025);
    sstv::FirstPicture first;
    decoder.setListener(&first);
    decoder.process(sink->samples());
    decoder.finish();
    ASSERT_TRUE(first.picture);
    const QRgb middle = first.picture->picture.pixel(160, 120);
    EXPECT_NEAR(qRed(middle), 200, 12);
    EXPECT_NEAR(qGreen(middle), 40, 12);
    EXPECT_NEAR(qBlue(middle), 40, 12);
    EXPECT_EQ(first.callsign, "DL1ABC");
}

// A mode beyond the six: chosen in the list beside the buttons, the TX picture goes out from the
// loaded file at its own resolution; heard back, it is received at its own size, stored so and
// shown in the RX window with its aspect kept.
TEST(SoundCardWindow, AnotherModeGoesOutFromTheFileAndComesBackAtItsAspect) {
    QTemporaryDir dir;
    const QString file = dir.filePath("shack.bmp");
    // Rows of white two lines high, two apart, over a gradient: the lines of a 410 x 256 copy
    // cannot keep them.
    QImage shack = gradientPicture(640, 496);
    for (int y = 100; y < 400; ++y)
        for (int x = 100; x < 540 && y % 4 < 2; ++x)
            shack.setPixel(x, y, qRgb(255, 255, 255));
    ASSERT_TRUE(shack.save(file));
    ScriptedDialogs dialogs;
    VirtualClock clock; // the two minutes on the air pass in virtual time
    radio::MemoryAudioSource* source = nullptr;
    radio::MemoryAudioSink* sink = nullptr;
    radio::SoundCardConverter* card = nullptr;
    AppServices services{dialogs, clock, dir.path()};
    services.converterFactory = [&] {
        radio::SoundCardConverter::Devices devices;
        auto in = std::make_unique<radio::MemoryAudioSource>(48000);
        auto out = std::make_unique<radio::MemoryAudioSink>(48000);
        source = in.get();
        sink = out.get();
        devices.source = std::move(in);
        devices.sink = std::move(out);
        auto made = std::make_unique<radio::SoundCardConverter>(std::move(devices), clock);
        card = made.get();
        return made;
    };
    AppWindows windows(services);
    TForm1& form = windows.main();
    auto* list = form.findChild<AirModeList*>();
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->isHidden());
    ASSERT_TRUE(list->offered().contains(ModeId::Pd120));
    EXPECT_FALSE(list->offered().contains(ModeId::Martin1)); // the six have their buttons

    ASSERT_TRUE(form.pictureFiles().loadIntoTx(file));
    form.findChild<QCheckBox*>(QStringLiteral("CheckBox3"))->setChecked(true); // upload first
    list->send(ModeId::Pd120);
    ASSERT_TRUE(pumpUntil([&] { return card->transmitting(); }));
    ASSERT_TRUE(pumpUntil([&] {
        clock.advance(1000);
        return !card->transmitting() && !form.station().busy();
    }));
    sstv::SstvDecoder decoder(48000);
    sstv::FirstPicture first;
    decoder.setListener(&first);
    decoder.process(sink->samples());
    decoder.finish();
    ASSERT_TRUE(first.picture);
    EXPECT_EQ(first.picture->mode, ModeId::Pd120);
    const QImage& sent = first.picture->picture;
    ASSERT_EQ(sent.size(), QSize(640, 496));
    // The file's own pixels went out, not its 410 x 256 copy.
    const QImage copy = WorkingPictures::scaledInto(shack, QSize(410, 256))
                            .scaled(640, 496, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB32);
    const double fromFile = meanError(sent, shack.convertToFormat(QImage::Format_RGB32));
    EXPECT_LT(fromFile, 0.7 * meanError(sent, copy));
    EXPECT_LT(fromFile, 10.0);

    // The same audio heard back.
    std::vector<float> heard = sink->samples();
    heard.insert(heard.end(), 48000, 0.0f);
    source->push(heard);
    ASSERT_TRUE(pumpUntil(
        [&] {
            clock.advance(100);
            return QFile::exists(dir.path() + "/Kleinbilder/Bild1.bmp");
        },
        30000));
    EXPECT_EQ(QImage(dir.path() + "/Kleinbilder/Bild1.bmp").size(), QSize(640, 496));
    EXPECT_EQ(form.pictures().rx.size(), QSize(640, 496));
    QFile log(dir.path() + "/AutoSpeichern/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("\tPD 120\t"));
    // In the RX window with its aspect: the background beside it, the picture in the middle.
    const QSize window = form.rxWindow()->size();
    const QRect place = PaintBox::scaledPlace(QSize(640, 496), window);
    EXPECT_NEAR(double(place.width()) / place.height(), 640.0 / 496, 0.02);
    EXPECT_EQ(PaintBox::scaledPlace(QSize(410, 256), window), QRect(QPoint(0, 0), window));
    const QImage shown = form.rxWindow()->shownPicture();
    const QRgb aqua = colours::clAqua.toQColor().rgb();
    if (place.left() > 1) {
        EXPECT_EQ(shown.pixel(0, window.height() / 2) | 0xFF000000, aqua | 0xFF000000);
    }
    EXPECT_NE(shown.pixel(window.width() / 2, window.height() / 2) | 0xFF000000, aqua | 0xFF000000);
    form.station().stop();
}
