// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on the built-in sound-card converter: the converter's pseudo-terminal as its
// port, and the RX picture growing line by line while a picture comes in over the air.
#include "app/AppWindows.h"
#include "app/BuiltInSoundCard.h"
#include "app/ReceivedRows.h"
#include "app/TForm1.h"
#include "modem/SstvEncoder.h"
#include "radio/FrameScaling.h"
#include "radio/MemoryAudio.h"
#include "radio/SoundCardConverter.h"
#include "settings/StationOptions.h"
#include "support/EventPump.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "workspace/ui/PaintBox.h"

#include <QEvent>
#include <QFileInfo>
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

// A picture with gradients across and down, as a photograph has; far from the plain grey the
// RX picture starts with.
QImage gradientPicture() {
    QImage picture(420, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 420; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 419, 255 - y, (x + y) % 256));
    return picture;
}

// The rows that are no longer the grey they started as, if they are the top rows only; -1 when
// a changed row lies below one that has not changed.
int grownRows(const QImage& picture, QRgb grey) {
    const auto changed = [&](int y) {
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != grey)
                return true;
        return false;
    };
    int rows = 0;
    while (rows < picture.height() && changed(rows))
        ++rows;
    for (int y = rows; y < picture.height(); ++y)
        if (changed(y))
            return -1;
    return rows;
}

// The mean error of the RX picture against the frame sent, whose first 10 columns it does not
// show.
double meanError(const QImage& rx, const QImage& sent) {
    double sum = 0.0;
    for (int y = 0; y < rx.height(); ++y)
        for (int x = 0; x < rx.width(); ++x) {
            const QRgb p = rx.pixel(x, y);
            const QRgb q = sent.pixel(x + 10, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * rx.width() * rx.height());
}

} // namespace

TEST(SoundCardWindow, TheRxPictureGrowsRowByRowWhileAPictureComesIn) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    radio::MemoryAudioSource source(48000);
    radio::SoundCardConverter converter(clock, &source, nullptr, nullptr, {});
    const QString link = dir.filePath("Orbis70p");
    QString error;
    ASSERT_TRUE(converter.openAt(link, &error)) << error.toStdString();
    ReceivedRows rows;
    converter.radio().setLineHandler(
        [&rows](int row, const QImage& frame) { rows.draw(row, frame); });

    AppServices services{dialogs, clock, dir.path(), link, QStringLiteral("Sound card")};
    services.receivedRows = &rows;
    AppWindows windows(services);
    TForm1& form = windows.main();
    const QRgb grey = qRgb(128, 128, 128);
    QImage start(410, 256, QImage::Format_RGB32);
    start.fill(grey);
    form.pictures().rx = start;
    form.show();
    EXPECT_TRUE(form.rxWindow()->isHidden()); // until a picture comes
    PaintCounter counter;
    form.rxWindow()->installEventFilter(&counter);
    ASSERT_TRUE(pumpUntil([&] { return form.link().linkState() == LinkState::Idle; }));

    const QImage sent = gradientPicture();
    const std::vector<float> audio = sstv::SstvEncoder::encode(
        radio::framescaling::toMode(sent, sstv::ModeId::Robot36), sstv::ModeId::Robot36, {48000.0});
    // The recording in eight pieces, each decoded before the next comes.
    constexpr int kPieces = 8;
    std::vector<int> grown;
    const std::size_t piece = audio.size() / kPieces + 1;
    for (std::size_t at = 0; at < audio.size(); at += piece) {
        const std::size_t end = std::min(audio.size(), at + piece);
        source.push(std::span<const float>(audio).subspan(at, end - at));
        const int paintsBefore = counter.paints;
        ASSERT_TRUE(pumpUntil([&] { return source.waiting() == 0; }));
        pumpUntil([] { return false; }, 100); // the last rows and their paint
        grown.push_back(grownRows(form.pictures().rx, grey));
        if (grown.back() > (grown.size() > 1 ? grown[grown.size() - 2] : 0)) {
            EXPECT_GT(counter.paints, paintsBefore) << "piece " << grown.size();
        }
    }
    // The window took the converter's announcement from its port, and no fetch has run.
    EXPECT_EQ(form.link().linkState(), LinkState::Waiting);
    const auto* field = form.findChild<QLabel*>(QStringLiteral("ConverterField"));
    ASSERT_TRUE(field);
    EXPECT_TRUE(field->text().contains("Sound card")) << field->text().toStdString();
    EXPECT_TRUE(form.statusText().startsWith(" Mode Robot 36")) << form.statusText().toStdString();
    ASSERT_EQ(grown.size(), std::size_t(kPieces));
    EXPECT_FALSE(form.rxWindow()->isHidden());
    // Each piece added rows under the ones before, from the top; the picture was never whole
    // before its last piece.
    for (int i = 1; i < kPieces - 1; ++i) {
        EXPECT_GT(grown[i], grown[i - 1]) << "piece " << i + 1;
        EXPECT_LT(grown[i], 256) << "piece " << i + 1;
    }
    source.push(std::vector<float>(48000, 0.0f)); // the last line ends
    ASSERT_TRUE(pumpUntil([&] { return grownRows(form.pictures().rx, grey) == 256; }, 10000));
    EXPECT_LT(meanError(form.pictures().rx, sent), 8.0);
    // Every row is the one the fetch will bring from the converter's memory: nothing moves when
    // it comes.
    const QImage memory = converter.line().memoryPicture(1);
    int differing = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 410; ++x)
            differing += form.pictures().rx.pixel(x, y) != memory.pixel(x + 10, y);
    EXPECT_EQ(differing, 0);
    converter.stop();
}

// What station.conf names and cannot be had is said and left out; the converter serves its line
// all the same, and goes with its private folder.
TEST(SoundCardWindow, TheBuiltInConverterStartsWithoutWhatItCannotHave) {
    VirtualClock clock;
    QStringList warnings;
    BuiltInSoundCard::Options options;
    options.warning = [&](const QString& text) { warnings << text; };
    StationOptions station = StationOptions::fromText("SoundCapture=NoSuchCard\n"
                                                      "SoundPlayback=NoSuchCard\n"
                                                      "Ptt=carrier-pigeon\n"
                                                      "ClockPpm=fast\n");
    QString error;
    auto card = BuiltInSoundCard::start(station, clock, options, &error);
    ASSERT_TRUE(card) << error.toStdString();
    EXPECT_TRUE(QFileInfo(card->linkPath()).isSymLink());
    ASSERT_EQ(warnings.size(), 4) << warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings[0].startsWith("no sound capture")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[1].startsWith("no sound playback")) << warnings[1].toStdString();
    EXPECT_TRUE(warnings[2].contains("carrier-pigeon")) << warnings[2].toStdString();
    EXPECT_TRUE(warnings[3].startsWith("ClockPpm=fast")) << warnings[3].toStdString();
    EXPECT_EQ(card->converter().radio().clockPpm(), 0.0);
    const QString folder = QFileInfo(card->linkPath()).path();
    card.reset();
    EXPECT_FALSE(QFileInfo::exists(folder));

    // A correction that is one is taken; no push-to-talk named is none.
    warnings.clear();
    station = StationOptions::fromText("SoundCapture=NoSuchCard\nSoundPlayback=NoSuchCard\n"
                                       "ClockPpm=-12.5\n");
    card = BuiltInSoundCard::start(station, clock, options, &error);
    ASSERT_TRUE(card) << error.toStdString();
    EXPECT_EQ(card->converter().radio().clockPpm(), -12.5);
    EXPECT_EQ(warnings.size(), 2) << warnings.join('\n').toStdString();
}

// A camera station.conf names and the computer lacks is said; a digitize then takes the picture
// file, scaled into the converter's frame.
TEST(SoundCardWindow, ACameraThatIsNotThereIsSaidAndDigitizeTakesThePictureFile) {
    VirtualClock clock;
    QTemporaryDir dir;
    const QString picture = dir.filePath("shack.png");
    QImage shack(640, 480, QImage::Format_RGB32);
    shack.fill(qRgb(200, 40, 40));
    ASSERT_TRUE(shack.save(picture));
    QStringList warnings;
    BuiltInSoundCard::Options options;
    options.warning = [&](const QString& text) { warnings << text; };
    const StationOptions station = StationOptions::fromText(
        "SoundCapture=NoSuchCard\nSoundPlayback=NoSuchCard\nCamera=No Such Camera\n"
        "DigitizePicture=" +
        picture.toUtf8() + "\n");
    QString error;
    auto card = BuiltInSoundCard::start(station, clock, options, &error);
    ASSERT_TRUE(card) << error.toStdString();
    ASSERT_EQ(warnings.size(), 3) << warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings[2].startsWith("no camera, a digitize takes the picture file"))
        << warnings[2].toStdString();
    EXPECT_TRUE(warnings[2].contains("No Such Camera"));
    const QImage frame = card->converter().radio().digitize();
    ASSERT_EQ(frame.size(), QSize(420, 256));
    EXPECT_EQ(frame.pixel(210, 128), qRgb(200, 40, 40));
}
