// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCardAir.h"

#include "modem/SstvEncoder.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace winorbis::radio {

namespace {

constexpr std::size_t kReadBlock = 4096;

QString modeName(ModeId id) {
    return mode(id).name;
}

} // namespace

SoundCardAir::SoundCardAir(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt)
    : clock_(clock)
    , source_(source)
    , sink_(sink)
    , ptt_(ptt)
    , buffer_(kReadBlock) {
    makeDecoder();
}

SoundCardAir::~SoundCardAir() {
    shutdown();
}

void SoundCardAir::setClockPpm(double ppm) {
    ppm_ = ppm;
    if (!receiving())
        makeDecoder();
}

void SoundCardAir::makeDecoder() {
    if (!source_)
        return;
    const double rate = source_->sampleRate() * (1.0 + ppm_ / 1e6);
    if (decoder_ && rate == decoderRate_)
        return;
    // The old decoder would hear no ID any more.
    deliverHeldEnd();
    decoderRate_ = rate;
    decoder_ = std::make_unique<sstv::SstvDecoder>(rate);
    decoder_->setOnlyMode(freeRun_);
    decoder_->setListener(this);
}

bool SoundCardAir::transmit(const QImage& picture, ModeId mode, const QString& fskId) {
    if (tx_) {
        say(QStringLiteral("Busy transmitting: %1 not sent").arg(modeName(mode)));
        return false;
    }
    if (!sink_) {
        say(QStringLiteral("No audio output: %1 not sent").arg(modeName(mode)));
        return false;
    }
    // The radio cannot hear while it sends, nor an ID after a picture.
    if (decoder_ && decoder_->receiving())
        decoder_->cancel();
    deliverHeldEnd();
    sstv::EncoderOptions options;
    options.sampleRate = sink_->sampleRate() * (1.0 + ppm_ / 1e6);
    options.vox = ptt_ && ptt_->wantsVoxTones();
    options.fskId = fskId;
    Transmission tx;
    tx.mode = mode;
    tx.samples = sstv::SstvEncoder::encode(picture, mode, options);
    tx.durationMs = sstv::SstvEncoder::durationMs(mode, options);
    if (ptt_) {
        QString why;
        // The guardian releases a key the program cannot end itself, as the watchdog here would.
        ptt_->setKeyLimitMs(int(tx.durationMs) + kWatchdogMs);
        if (!ptt_->setKeyed(true, &why)) {
            say(QStringLiteral("PTT failed (%1): %2 not sent").arg(why, modeName(mode)));
            releasePtt();
            return false;
        }
    }
    tx.startMs = clock_.nowMs();
    const double durationMs = tx.durationMs;
    tx_ = std::move(tx);
    say(QStringLiteral("Transmitting %1").arg(modeName(mode)));
    if (listener_)
        listener_->transmissionStarted(mode, durationMs);
    feedTransmission();
    return true;
}

void SoundCardAir::freeRun(ModeId mode) {
    if (decoder_ && decoder_->receiving())
        decoder_->cancel();
    deliverHeldEnd();
    freeRun_ = mode;
    if (decoder_)
        decoder_->setOnlyMode(freeRun_);
    say(QStringLiteral("Free run %1").arg(modeName(mode)));
}

void SoundCardAir::stopReception() {
    // The stop ends a transmission as well: the transmitter is released at once.
    if (tx_) {
        sink_->stop();
        endTransmission(QStringLiteral("Transmission cut by the receive stop"), false);
    }
    const bool running = receiving() || freeRun_;
    freeRun_.reset();
    if (decoder_) {
        decoder_->cancel();
        decoder_->setOnlyMode(std::nullopt);
    }
    deliverHeldEnd();
    if (running)
        say(QStringLiteral("Reception stopped"));
}

void SoundCardAir::pump() {
    if (source_)
        watchDevice(QStringLiteral("Capture"), source_->problem(), sourceProblem_);
    if (sink_)
        watchDevice(QStringLiteral("Playback"), sink_->problem(), sinkProblem_);
    if (tx_)
        feedTransmission();
    listen();
}

void SoundCardAir::watchDevice(const QString& what, const QString& problem, QString& known) {
    if (problem == known)
        return;
    // The device's own text says that it is tried again.
    const QString text = problem.isEmpty() ? QStringLiteral("%1 works again").arg(what)
                                           : QStringLiteral("%1: %2").arg(what, problem);
    known = problem;
    say(text);
    if (listener_)
        listener_->problem(text);
}

void SoundCardAir::feedTransmission() {
    Transmission& tx = *tx_;
    const double elapsed = double(clock_.nowMs() - tx.startMs);
    if (tx.played < tx.samples.size()) {
        const auto due = std::min(
            tx.samples.size(),
            std::size_t(std::max(0.0, (elapsed + sink_->leadMs()) * sink_->sampleRate() / 1000.0)));
        if (due > tx.played) {
            if (!sink_->play(
                    std::span<const float>(tx.samples).subspan(tx.played, due - tx.played))) {
                sink_->stop();
                endTransmission(QStringLiteral("Transmission failed: %1").arg(sink_->problem()),
                                false);
                return;
            }
            tx.played = due;
        }
    }
    if (tx.played >= tx.samples.size() && sink_->pendingMs() <= 0.0) {
        endTransmission(QStringLiteral("Transmission ended"), true);
        return;
    }
    if (elapsed > tx.durationMs + kWatchdogMs) {
        sink_->stop();
        endTransmission(QStringLiteral("Transmission cut: %1 ran %2 s past its time")
                            .arg(modeName(tx.mode))
                            .arg(kWatchdogMs / 1000),
                        false);
    }
}

void SoundCardAir::endTransmission(const QString& how, bool complete) {
    tx_.reset();
    sink_->endTransmission();
    releasePtt();
    say(how);
    if (listener_)
        listener_->transmissionEnded(complete);
}

void SoundCardAir::releasePtt() {
    if (!ptt_)
        return;
    QString why;
    if (!ptt_->setKeyed(false, &why))
        say(QStringLiteral("PTT release failed: %1").arg(why));
}

void SoundCardAir::shutdown() {
    if (tx_) {
        sink_->stop();
        endTransmission(QStringLiteral("Transmission cut"), false);
    } else if (ptt_ && ptt_->keyed()) {
        releasePtt();
    }
}

void SoundCardAir::listen() {
    if (!source_)
        return;
    for (;;) {
        const std::size_t n = source_->read(buffer_);
        if (n == 0)
            break;
        if (listener_)
            listener_->heard(std::span<const float>(buffer_).first(n));
        // While sending, what the capture hears is dropped.
        if (tx_)
            continue;
        block_ = std::int64_t(n);
        decoder_->process(std::span<const float>(buffer_).first(n));
        block_ = 0;
        heldSamples_ += std::int64_t(n);
        if (heldEnd_ && heldSamples_ * 1000 >= std::int64_t(kFskIdWaitMs * decoderRate_))
            deliverHeldEnd();
    }
    if (source_->atEnd() && !finished_ && !tx_) {
        finished_ = true;
        decoder_->finish();
        // Nothing more can come after the end.
        deliverHeldEnd();
        say(QStringLiteral("End of the recording"));
    }
    if (!receiving())
        makeDecoder(); // a new clock correction
}

void SoundCardAir::started(const sstv::PictureStart& start) {
    // The picture before has had its chance of an ID.
    deliverHeldEnd();
    const QString how = start.fromVis ? QStringLiteral("VIS")
                        : freeRun_    ? QStringLiteral("free run")
                                      : QStringLiteral("line timing");
    if (listener_)
        listener_->receptionStarted(start);
    say(QStringLiteral("Receiving %1 (%2)").arg(modeName(start.mode), how));
}

void SoundCardAir::line(int line, const QImage& picture) {
    if (listener_)
        listener_->rowReceived(line, picture);
}

void SoundCardAir::ended(const sstv::PictureEnd& end) {
    lastClockError_ = end.clockPpm;
    say(QStringLiteral("Received %1: %2 lines, clock %3 ppm%4")
            .arg(modeName(end.mode))
            .arg(end.lines)
            .arg(std::lround(end.clockPpm))
            .arg(end.complete ? QString() : QStringLiteral(" (cut short)")));
    deliverHeldEnd();
    heldEnd_ = end;
    // Counted from the end of the block being decoded: the end may have come anywhere in it.
    heldSamples_ = -block_;
}

void SoundCardAir::fskId(const QString& callsign) {
    say(QStringLiteral("FSK ID %1").arg(callsign));
    if (heldEnd_) {
        heldEnd_->fskId = callsign;
        deliverHeldEnd();
    }
}

void SoundCardAir::deliverHeldEnd() {
    if (!heldEnd_)
        return;
    const sstv::PictureEnd end = std::move(*heldEnd_);
    heldEnd_.reset();
    if (listener_)
        listener_->receptionEnded(end);
}

void SoundCardAir::say(const QString& text) {
    if (listener_)
        listener_->said(text);
}

} // namespace winorbis::radio
