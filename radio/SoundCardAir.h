// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioPorts.h"
#include "Ptt.h"
#include "converter/Modes.h"
#include "modem/SstvDecoder.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace winorbis {
class Clock;
}

namespace winorbis::radio {

// The air of a converter on a sound card: pictures sent through the sink with the push-to-talk
// keyed around them, and whatever the capture brings decoded into pictures at their modes' own
// sizes, line by line. It owns no thread and no device: its owner calls pump() regularly (every
// 20 ms or so) from the one thread that uses it, which does all the audio work. Both converters on
// a sound card stand on it: the one inside the program and the box's bytes that orbis-modem serves.
class SoundCardAir final : private sstv::DecoderListener {
public:
    // What the air tells its owner, from within pump(), transmit() and the other calls.
    class Listener {
    public:
        virtual ~Listener() = default;
        // One line per event: "Receiving Martin 1 (VIS)", "Transmitting Scottie 2", ...
        virtual void said(const QString& /*text*/) {}
        // A capture or playback device that fails, and comes back: said once each time.
        virtual void problem(const QString& /*text*/) {}
        // Samples the capture brought, as they come (for a waterfall).
        virtual void heard(std::span<const float> /*samples*/) {}
        virtual void receptionStarted(const sstv::PictureStart& /*start*/) {}
        // Row of the picture (at its mode's size) is final; the rows come in order from 0.
        virtual void rowReceived(int /*row*/, const QImage& /*picture*/) {}
        // The picture has ended, with the callsign sent in FSK after it (end.fskId) when one
        // came: the end is held until the ID has come or can no longer come (kFskIdWaitMs of
        // audio, a new picture, the input's end, a transmission or the receive stop).
        virtual void receptionEnded(const sstv::PictureEnd& /*end*/) {}
        // A transmission has begun; it lasts durationMs.
        virtual void transmissionStarted(ModeId /*mode*/, double /*durationMs*/) {}
        // A transmission has ended: complete, or cut (the receive stop, the watchdog, a failure).
        virtual void transmissionEnded(bool /*complete*/) {}
    };

    // Seconds a transmission may run past its mode's time before the watchdog cuts it.
    static constexpr int kWatchdogMs = 5000;
    // How far ahead of the clock the samples are given to a sink that plays them as they come (a
    // file, memory): a second. A sound device takes more (AudioSink::leadMs).
    static constexpr int kLeadMs = AudioSink::kLeadMs;
    // How much audio after a picture's end the end waits for an FSK ID: 2400 ms. An ID of 10
    // characters is read 2138 ms after its picture (300 ms pause, 100 ms lead-in, 79 bits of
    // 22 ms); the rest is room for the decoder's delay and the audio block the end came in.
    static constexpr int kFskIdWaitMs = 2400;

    // Source, sink and PTT may be null (no capture, no playback, nothing to key); all must
    // outlive the air.
    SoundCardAir(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt);
    ~SoundCardAir() override;
    SoundCardAir(const SoundCardAir&) = delete;
    SoundCardAir& operator=(const SoundCardAir&) = delete;

    void setListener(Listener* listener) { listener_ = listener; }
    // The sound card's true rate is nominal x (1 + ppm / 1e6); taken at the next picture.
    void setClockPpm(double ppm);
    double clockPpm() const { return ppm_; }
    // The clock error measured on the last picture received, in ppm of the corrected rate.
    std::optional<double> lastClockErrorPpm() const { return lastClockError_; }

    // Sends the picture in the mode, scaled to the mode's size from the resolution it has. False
    // (said) when it cannot start: another transmission runs, no playback, the PTT refused.
    bool transmit(const QImage& picture, ModeId mode, const QString& fskId = {});
    // Receives only this mode until the receive stop, with or without a VIS header.
    void freeRun(ModeId mode);
    // The receive stop: a transmission is cut and the transmitter released, a reception ended,
    // every mode received again.
    void stopReception();
    // Does the audio work that is due.
    void pump();
    // The owner ends: a transmission is cut and the PTT released.
    void shutdown();

    bool transmitting() const { return tx_.has_value(); }
    bool receiving() const { return decoder_ && decoder_->receiving(); }
    std::optional<ModeId> freeRunMode() const { return freeRun_; }

private:
    struct Transmission {
        ModeId mode{};
        std::vector<float> samples;
        std::size_t played = 0;
        std::int64_t startMs = 0;
        double durationMs = 0.0;
    };

    void feedTransmission();
    void endTransmission(const QString& how, bool complete);
    void releasePtt();
    void listen();
    void makeDecoder();
    void say(const QString& text);
    // Says a device's problem when it begins and when it ends.
    void watchDevice(const QString& what, const QString& problem, QString& known);
    // DecoderListener: the picture the capture's decoder finds.
    void started(const sstv::PictureStart& start) override;
    void line(int line, const QImage& picture) override;
    void ended(const sstv::PictureEnd& end) override;
    void fskId(const QString& callsign) override;
    // Gives the held picture end to the listener, if there is one.
    void deliverHeldEnd();

    const Clock& clock_;
    AudioSource* source_;
    AudioSink* sink_;
    Ptt* ptt_;
    Listener* listener_ = nullptr;
    QString sourceProblem_, sinkProblem_; // as said last
    double ppm_ = 0.0;
    std::optional<double> lastClockError_;

    std::unique_ptr<sstv::SstvDecoder> decoder_;
    double decoderRate_ = 0.0;
    std::optional<ModeId> freeRun_;
    bool finished_ = false; // the source's end has been given to the decoder
    std::vector<float> buffer_;
    std::optional<Transmission> tx_;
    // A picture's end waiting for its FSK ID, and the samples given to the decoder since it
    // (counted from the end of the block it came in).
    std::optional<sstv::PictureEnd> heldEnd_;
    std::int64_t heldSamples_ = 0;
    std::int64_t block_ = 0; // samples of the block being decoded
};

} // namespace winorbis::radio
