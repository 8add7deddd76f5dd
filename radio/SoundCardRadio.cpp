// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCardRadio.h"

#include "FrameScaling.h"
#include "link/ModeTable.h"
#include "link/PixelCodec.h"
#include "modem/SstvEncoder.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace winorbis::radio {

namespace {

namespace pc = pixelcodec;

constexpr std::size_t kReadBlock = 4096;

sstv::ModeId modemMode(ModeId id) {
    return *sstv::modeByShortName(mode(id).shortName);
}

// The converter's mode table entry (status byte, names) of a modem mode.
const Mode& converterMode(sstv::ModeId id) {
    return mode(*modeByName(sstv::mode(id).shortName));
}

QString modeName(sstv::ModeId id) {
    return sstv::mode(id).name;
}

} // namespace

SoundCardRadio::SoundCardRadio(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt,
                               ModelAccess access)
    : clock_(clock)
    , source_(source)
    , sink_(sink)
    , ptt_(ptt)
    , access_(std::move(access))
    , buffer_(kReadBlock) {
    makeDecoder();
}

SoundCardRadio::~SoundCardRadio() {
    shutdown();
}

void SoundCardRadio::setClockPpm(double ppm) {
    ppm_ = ppm;
    if (!receiving())
        makeDecoder();
}

void SoundCardRadio::makeDecoder() {
    if (!source_)
        return;
    const double rate = source_->sampleRate() * (1.0 + ppm_ / 1e6);
    if (decoder_ && rate == decoderRate_)
        return;
    decoderRate_ = rate;
    decoder_ = std::make_unique<sstv::SstvDecoder>(rate);
    decoder_->setOnlyMode(freeRun_);
    decoder_->setModes(sstv::boxModes());
    decoder_->setListener(this);
}

void SoundCardRadio::setDigitizePicture(const QString& path) {
    std::lock_guard lock(requestMutex_);
    picturePath_ = path;
}

void SoundCardRadio::setDigitizeCamera(std::function<QImage()> lastFrame) {
    std::lock_guard lock(requestMutex_);
    camera_ = std::move(lastFrame);
}

void SoundCardRadio::transmit(ModeId mode, std::vector<QByteArray> memoryLines) {
    std::lock_guard lock(requestMutex_);
    requests_.push_back({Request::Transmit, modemMode(mode), std::move(memoryLines), {}});
}

void SoundCardRadio::freeRun(ModeId mode) {
    std::lock_guard lock(requestMutex_);
    requests_.push_back({Request::FreeRun, modemMode(mode), {}, {}});
}

void SoundCardRadio::stopReception() {
    std::lock_guard lock(requestMutex_);
    requests_.push_back({Request::Stop, {}, {}, {}});
}

QImage SoundCardRadio::digitize() {
    std::lock_guard lock(requestMutex_);
    const auto said = [this](const QString& text) {
        requests_.push_back({Request::Say, {}, {}, text});
    };
    // The camera's last frame; without one the picture file.
    if (camera_) {
        if (const QImage frame = camera_(); !frame.isNull()) {
            said(QStringLiteral("Digitized the camera's frame"));
            return framescaling::toFrame(frame);
        }
    }
    if (picturePath_.isEmpty()) {
        said(camera_ ? QStringLiteral("No frame from the camera and no picture to digitize")
                     : QStringLiteral("No picture to digitize"));
        return {};
    }
    const QImage picture(picturePath_);
    if (picture.isNull()) {
        said(QStringLiteral("Cannot read the picture %1").arg(picturePath_));
        return {};
    }
    said(QStringLiteral("Digitized %1").arg(picturePath_));
    return framescaling::toFrame(picture);
}

void SoundCardRadio::pump() {
    std::deque<Request> requests;
    {
        std::lock_guard lock(requestMutex_);
        requests.swap(requests_);
    }
    for (Request& request : requests)
        handle(request);
    if (source_)
        watchDevice(QStringLiteral("Capture"), source_->problem(), sourceProblem_);
    if (sink_)
        watchDevice(QStringLiteral("Playback"), sink_->problem(), sinkProblem_);
    if (tx_)
        feedTransmission();
    listen();
}

void SoundCardRadio::watchDevice(const QString& what, const QString& problem, QString& known) {
    if (problem == known)
        return;
    // The device's own text says that it is tried again.
    const QString text = problem.isEmpty() ? QStringLiteral("%1 works again").arg(what)
                                           : QStringLiteral("%1: %2").arg(what, problem);
    known = problem;
    say(text);
    if (onProblem_)
        onProblem_(text);
}

void SoundCardRadio::handle(Request& request) {
    switch (request.kind) {
    case Request::Transmit:
        if (tx_) {
            say(QStringLiteral("Busy transmitting: %1 not sent").arg(modeName(request.mode)));
            return;
        }
        startTransmission(request.mode, request.lines);
        return;
    case Request::FreeRun:
        if (decoder_ && decoder_->receiving())
            decoder_->cancel();
        freeRun_ = request.mode;
        if (decoder_)
            decoder_->setOnlyMode(freeRun_);
        say(QStringLiteral("Free run %1").arg(modeName(request.mode)));
        return;
    case Request::Stop: {
        // The stop (also the first byte of an upload) ends a transmission as well: the
        // transmitter is released at once.
        if (tx_) {
            sink_->stop();
            endTransmission(QStringLiteral("Transmission cut by the receive stop"));
        }
        const bool running = receiving() || freeRun_;
        freeRun_.reset();
        if (decoder_) {
            decoder_->cancel();
            decoder_->setOnlyMode(std::nullopt);
        }
        if (running)
            say(QStringLiteral("Reception stopped"));
        return;
    }
    case Request::Say:
        say(request.text);
        return;
    }
}

void SoundCardRadio::startTransmission(sstv::ModeId mode, const std::vector<QByteArray>& lines) {
    if (!sink_) {
        say(QStringLiteral("No audio output: %1 not sent").arg(modeName(mode)));
        return;
    }
    // The radio cannot hear while it sends.
    if (decoder_ && decoder_->receiving())
        decoder_->cancel();
    sstv::EncoderOptions options;
    options.sampleRate = sink_->sampleRate() * (1.0 + ppm_ / 1e6);
    options.vox = ptt_ && ptt_->wantsVoxTones();
    Transmission tx;
    tx.mode = mode;
    tx.samples = sstv::SstvEncoder::encode(
        framescaling::toMode(framescaling::frameFromLines(lines), mode), mode, options);
    tx.durationMs = sstv::SstvEncoder::durationMs(mode, options.vox);
    if (ptt_) {
        QString why;
        if (!ptt_->setKeyed(true, &why)) {
            say(QStringLiteral("PTT failed (%1): %2 not sent").arg(why, modeName(mode)));
            releasePtt();
            return;
        }
    }
    tx.startMs = clock_.nowMs();
    tx_ = std::move(tx);
    say(QStringLiteral("Transmitting %1").arg(modeName(mode)));
    feedTransmission();
}

void SoundCardRadio::feedTransmission() {
    Transmission& tx = *tx_;
    const double elapsed = double(clock_.nowMs() - tx.startMs);
    if (tx.played < tx.samples.size()) {
        const auto due = std::min(
            tx.samples.size(),
            std::size_t(std::max(0.0, (elapsed + kLeadMs) * sink_->sampleRate() / 1000.0)));
        if (due > tx.played) {
            if (!sink_->play(
                    std::span<const float>(tx.samples).subspan(tx.played, due - tx.played))) {
                sink_->stop();
                endTransmission(QStringLiteral("Transmission failed: %1").arg(sink_->problem()));
                return;
            }
            tx.played = due;
        }
    }
    if (tx.played >= tx.samples.size() && sink_->pendingMs() <= 0.0) {
        endTransmission(QStringLiteral("Transmission ended"));
        return;
    }
    if (elapsed > tx.durationMs + kWatchdogMs) {
        sink_->stop();
        endTransmission(QStringLiteral("Transmission cut: %1 ran %2 s past its time")
                            .arg(modeName(tx.mode))
                            .arg(kWatchdogMs / 1000));
    }
}

void SoundCardRadio::endTransmission(const QString& how) {
    tx_.reset();
    sink_->endTransmission();
    releasePtt();
    say(how);
}

void SoundCardRadio::releasePtt() {
    if (!ptt_)
        return;
    QString why;
    if (!ptt_->setKeyed(false, &why))
        say(QStringLiteral("PTT release failed: %1").arg(why));
}

void SoundCardRadio::shutdown() {
    if (tx_) {
        sink_->stop();
        endTransmission(QStringLiteral("Transmission cut"));
    } else if (ptt_ && ptt_->keyed()) {
        releasePtt();
    }
}

void SoundCardRadio::listen() {
    if (!source_)
        return;
    for (;;) {
        const std::size_t n = source_->read(buffer_);
        if (n == 0)
            break;
        // While sending, what the capture hears is dropped.
        if (!tx_)
            decoder_->process(std::span<const float>(buffer_).first(n));
    }
    if (source_->atEnd() && !finished_ && !tx_) {
        finished_ = true;
        decoder_->finish();
        say(QStringLiteral("End of the recording"));
    }
    if (!receiving())
        makeDecoder(); // a new clock correction
}

void SoundCardRadio::started(const sstv::PictureStart& start) {
    rxMode_ = start.mode;
    frame_ = QImage(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    frame_.fill(Qt::black);
    nextRow_ = 0;
    const std::uint8_t status = converterMode(start.mode).statusByte;
    access_([status](ConverterModel& model) { return model.sendStatus(status); });
    const QString how = start.fromVis ? QStringLiteral("VIS")
                        : freeRun_    ? QStringLiteral("free run")
                                      : QStringLiteral("line timing");
    say(QStringLiteral("Receiving %1 (%2)").arg(modeName(start.mode), how));
}

void SoundCardRadio::line(int line, const QImage& picture) {
    std::vector<std::pair<int, QByteArray>> rows;
    while (nextRow_ < pc::kFrameLines && framescaling::modeLineForRow(rxMode_, nextRow_) <= line) {
        framescaling::fillRow(picture, rxMode_, nextRow_, frame_);
        rows.emplace_back(nextRow_, pc::encodeImageRow(frame_, nextRow_));
        ++nextRow_;
    }
    if (rows.empty())
        return;
    access_([&rows](ConverterModel& model) {
        for (const auto& [row, bytes] : rows)
            model.setMemoryLine(model.activeMemory(), row, bytes);
        return ConverterModel::Output{};
    });
    if (onLine_)
        for (const auto& [row, bytes] : rows)
            onLine_(row, frame_);
}

void SoundCardRadio::ended(const sstv::PictureEnd& end) {
    lastClockError_ = end.clockPpm;
    say(QStringLiteral("Received %1: %2 lines, clock %3 ppm%4")
            .arg(modeName(end.mode))
            .arg(end.lines)
            .arg(std::lround(end.clockPpm))
            .arg(end.complete ? QString() : QStringLiteral(" (cut short)")));
    if (onClock_)
        onClock_(end.clockPpm);
}

void SoundCardRadio::say(const QString& text) {
    if (onEvent_)
        onEvent_(text);
}

} // namespace winorbis::radio
