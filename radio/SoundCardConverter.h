// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioPorts.h"
#include "Ptt.h"
#include "SoundCardAir.h"

#include "converter/Converter.h"
#include "modem/Waterfall.h"
#include "platform/ThreadHandoff.h"

#include <span>

#include <QImage>

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace winorbis::radio {

// The converter inside the program on the computer's sound card: no box and no line, the air
// (SoundCardAir) driven by the converter's worker thread, which alone uses the modem, the sound
// devices' buffers and the push-to-talk. A picture received arrives at its mode's own size, line
// by line, and ends by itself (pictureReceived); a picture sent goes out from the memory it was
// uploaded or digitized into, at the resolution it has. It keeps the box's two memories.
class SoundCardConverter final : public Converter,
                                 private ConverterOperations,
                                 private SoundCardAir::Listener {
    Q_OBJECT
public:
    // What the converter works with. Source, sink and PTT may be null (no capture, no playback,
    // nothing to key).
    struct Devices {
        std::unique_ptr<AudioSource> source;
        std::unique_ptr<AudioSink> sink;
        std::unique_ptr<Ptt> ptt;
        // The camera's last frame (null when none has come); empty without a camera.
        std::function<QImage()> camera;
        // The picture file a digitize takes without a camera's frame.
        QString digitizePicture;
        double clockPpm = 0.0;
    };
    // One line per event of the air ("Receiving Martin 1 (VIS)"), for standard error.
    using EventLog = std::function<void(const QString&)>;

    SoundCardConverter(Devices devices, const Clock& clock, EventLog log = {},
                       QObject* parent = nullptr);
    ~SoundCardConverter() override;

    const ConverterCapabilities& capabilities() const override { return capabilities_; }
    QString deviceName() const override { return QStringLiteral("sound card"); }
    std::uint8_t identity() const override { return 0; }
    bool idle() const override { return !receiving_.load(); }
    bool converterLost() const override { return false; }
    QString lostText() const override { return {}; }
    void setFskId(const QString& callsign) override;
    void start(bool reconnect) override;
    void stop() override;
    void run(Job job, bool attended, std::function<void(const Result&)> done) override;
    bool busy() const override { return pending_ > 0; }
    // A reception ends by itself here.
    void endReception() override {}

    // The clock error measured on the last picture received.
    std::optional<double> lastClockErrorPpm() const;
    // The worker's air, for tests that wait for it to be quiet; not to be used while it runs.
    bool transmitting() const { return transmitting_.load(); }

private:
    // The worker's loop: jobs, then the air's audio, every few milliseconds.
    void work();
    void pumpOnce();

    // ConverterOperations, on the worker.
    bool upload(const QImage& picture) override;
    bool fetch(QImage& picture, const std::function<void(int row)>& rowDone) override;
    void transmit(ModeId mode) override;
    void digitize() override;
    void selectMemory(int number) override;
    void freeRun(ModeId mode) override;
    void stopReception() override;
    bool pause(int ms) override;
    bool lost() const override { return false; }
    QString lastFailure() const override { return lastFailure_; }
    void say(const QString& text) override {
        toFace([this, text] { emit statusText(text); });
    }
    void removeFrames() override {
        toFace([this] { emit framesRemoved(); });
    }
    // Emits on the face's thread: from the worker through toFace_, at once on the face's thread.
    void toFace(std::function<void()> emission) { toFace_.post(std::move(emission), true); }

    // SoundCardAir::Listener, on the worker.
    void said(const QString& text) override;
    void problem(const QString& text) override;
    void heard(std::span<const float> samples) override;
    void receptionStarted(const sstv::PictureStart& start) override;
    void rowReceived(int row, const QImage& picture) override;
    void receptionEnded(const sstv::PictureEnd& end) override;
    void transmissionStarted(ModeId mode, double durationMs) override;
    void transmissionEnded(bool complete) override;

    const Clock& clock_;
    // The jobs' results to the face's thread; made before the worker, which posts to it.
    threading::HandoverQueue toFace_;
    Devices devices_;
    EventLog log_;
    ConverterCapabilities capabilities_;
    std::unique_ptr<SoundCardAir> air_; // the worker's own
    modem::Waterfall waterfall_;        // the worker's own
    std::array<QImage, 2> memories_;    // the worker's own
    int activeMemory_ = 0;
    QImage lastReceived_;
    QString lastFailure_;
    ModeId receivingMode_{};

    std::thread worker_;
    std::mutex mutex_; // guards jobs_ and stopping_'s wait
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> receiving_{false};
    std::atomic<bool> transmitting_{false};
    mutable std::mutex clockMutex_;
    QString fskId_; // guarded by clockMutex_
    std::optional<double> lastClockError_;
    int pending_ = 0; // jobs given and not yet done, the face's own
};

} // namespace winorbis::radio
