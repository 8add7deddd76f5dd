// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/ConverterModel.h"
#include "radio/FrameScaling.h"
#include "radio/MemoryAudio.h"
#include "radio/Ptt.h"
#include "radio/SoundCardRadio.h"
#include "support/VirtualClock.h"

#include <QImage>

#include <cmath>
#include <vector>

namespace winorbis::radio::test {

// A push-to-talk that notes when it was keyed and released, counted in samples the sink had
// taken by then.
class RecordingPtt : public Ptt {
public:
    explicit RecordingPtt(const MemoryAudioSink& sink, bool vox = false)
        : sink_(sink)
        , vox_(vox) {}
    bool setKeyed(bool on, QString*) override {
        keyed_ = on;
        changes.push_back({on, sink_.samples().size()});
        return true;
    }
    bool keyed() const override { return keyed_; }
    bool wantsVoxTones() const override { return vox_; }
    QString describe() const override { return QStringLiteral("test"); }

    struct Change {
        bool on;
        std::size_t samplesBefore;
    };
    std::vector<Change> changes;

private:
    const MemoryAudioSink& sink_;
    bool vox_;
    bool keyed_ = false;
};

// A smooth picture in the converter's frame: gradients and a soft blob, as a photograph has.
inline QImage framePicture() {
    QImage p(420, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 420; ++x) {
            const double d = std::hypot(x - 250.0, y - 120.0);
            const double blob = 255.0 * std::exp(-d * d / (2 * 60.0 * 60.0));
            p.setPixel(x, y, qRgb(x * 255 / 419, int(y * 0.8 + 30), int(blob)));
        }
    return p;
}

inline double psnr(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 0.0;
    double sum = 0.0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < x.width(); ++i) {
            const QRgb p = x.pixel(i, row), q = y.pixel(i, row);
            const double dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q),
                         db = qBlue(p) - qBlue(q);
            sum += dr * dr + dg * dg + db * db;
        }
    const double mse = sum / (3.0 * x.width() * x.height());
    return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// The converter model and the sound-card radio on memory audio, all on the test's thread.
struct RadioBench {
    explicit RadioBench(bool vox = false)
        : ptt(sink, vox)
        , radio(clock, &source, &sink, &ptt, [this](const SoundCardRadio::ModelCall& call) {
            const ConverterModel::Output out = call(model);
            sent.append(out.bytes);
        }) {
        model.setRadio(&radio);
        radio.setEventHandler([this](const QString& text) { events.append(text); });
    }
    ~RadioBench() { model.setRadio(nullptr); }

    // Pumps every step of virtual time until done() holds or limitMs have passed.
    template <typename Done> bool pumpUntil(Done done, int limitMs, int stepMs = 20) {
        for (int t = 0; t <= limitMs; t += stepMs) {
            radio.pump();
            if (done())
                return true;
            clock.sleep(stepMs);
        }
        return false;
    }

    winorbis::test::VirtualClock clock;
    MemoryAudioSource source{48000};
    MemoryAudioSink sink{48000};
    RecordingPtt ptt;
    ConverterModel model;
    QByteArray sent; // bytes to the PC
    QStringList events;
    SoundCardRadio radio;
};

} // namespace winorbis::radio::test
