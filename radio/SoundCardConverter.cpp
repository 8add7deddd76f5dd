// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCardConverter.h"

#include "platform/ThreadHandoff.h"

#include "FrameScaling.h"

#include "converter/Modes.h"
#include "modem/SstvEncoder.h"
#include "platform/Clock.h"

#include <QMetaObject>

namespace winorbis::radio {

namespace {

// How often the worker does the air's audio work.
constexpr int kPumpMs = 20;

} // namespace

SoundCardConverter::SoundCardConverter(Devices devices, const Clock& clock, EventLog log,
                                       QObject* parent)
    : Converter(parent)
    , clock_(clock)
    , devices_(std::move(devices))
    , log_(std::move(log))
    , waterfall_(devices_.source ? devices_.source->sampleRate() : 48000.0) {
    capabilities_.kind = QStringLiteral("sound card");
    // Every mode of the table: the sound card sends and hears them all.
    for (const Mode& m : modes())
        capabilities_.modes.push_back(m.id);
    capabilities_.memories = true;
    capabilities_.digitize = true;
    capabilities_.freeRun = true;
    capabilities_.fetchesReceptions = false;
    capabilities_.anySize = true;
    capabilities_.digitizeSettleMs = 0;
    // The memories hold the grey of an empty frame until something is uploaded or digitized.
    for (QImage& memory : memories_) {
        memory = QImage(pixelcodec::kFrameWidth, pixelcodec::kFrameLines, QImage::Format_RGB32);
        memory.fill(Qt::gray);
    }
    air_ = std::make_unique<SoundCardAir>(clock, devices_.source.get(), devices_.sink.get(),
                                          devices_.ptt.get());
    air_->setClockPpm(devices_.clockPpm);
    air_->setListener(this);
}

SoundCardConverter::~SoundCardConverter() {
    stop();
    air_->setListener(nullptr);
    air_->shutdown();
}

void SoundCardConverter::start(bool) {
    if (worker_.joinable())
        return;
    threading::prepareHandovers();
    worker_ = std::thread([this] { work(); });
}

void SoundCardConverter::stop() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(jobs_);
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
    // A transmission is cut and the transmitter released, on the thread that ran the air.
    air_->shutdown();
}

void SoundCardConverter::run(Job job, bool, std::function<void(const Result&)> done) {
    ++pending_;
    std::lock_guard lock(mutex_);
    if (stopping_)
        return;
    jobs_.push_back([this, job = std::move(job), done = std::move(done)]() mutable {
        lastFailure_.clear();
        const Result result = job(*this);
        toFace_.post([this, done = std::move(done), result] {
            --pending_;
            if (done)
                done(result);
        });
    });
    wake_.notify_all();
}

void SoundCardConverter::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kPumpMs),
                           [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            if (!jobs_.empty()) {
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
        }
        if (job)
            job();
        pumpOnce();
    }
}

void SoundCardConverter::pumpOnce() {
    air_->pump();
}

std::optional<double> SoundCardConverter::lastClockErrorPpm() const {
    std::lock_guard lock(clockMutex_);
    return lastClockError_;
}

void SoundCardConverter::setFskId(const QString& callsign) {
    std::lock_guard lock(clockMutex_);
    fskId_ = callsign;
}

// ---- ConverterOperations, on the worker

bool SoundCardConverter::upload(const QImage& picture) {
    if (picture.isNull()) {
        lastFailure_ = QStringLiteral("No picture to send");
        return false;
    }
    memories_[std::size_t(activeMemory_)] = picture;
    return true;
}

bool SoundCardConverter::fetch(QImage& picture, const std::function<void(int row)>& rowDone) {
    if (lastReceived_.isNull())
        return false;
    picture = lastReceived_;
    for (int row = 0; row < picture.height(); ++row) {
        if (rowDone)
            rowDone(row);
    }
    return true;
}

void SoundCardConverter::transmit(ModeId id) {
    QString fskId;
    {
        std::lock_guard lock(clockMutex_);
        fskId = fskId_;
    }
    if (!air_->transmit(memories_[std::size_t(activeMemory_)], id, fskId))
        lastFailure_ = QStringLiteral("%1 was not sent").arg(mode(id).name);
}

void SoundCardConverter::digitize() {
    // The camera's last frame; without one the picture file.
    QImage picture;
    if (devices_.camera)
        picture = devices_.camera();
    if (picture.isNull() && !devices_.digitizePicture.isEmpty())
        picture = QImage(devices_.digitizePicture);
    if (picture.isNull()) {
        lastFailure_ = devices_.camera ? QStringLiteral("No frame from the camera and no "
                                                        "picture to digitize")
                                       : QStringLiteral("No picture to digitize");
        said(lastFailure_);
        return;
    }
    memories_[std::size_t(activeMemory_)] = picture;
    said(QStringLiteral("Digitized into memory %1").arg(activeMemory_ + 1));
}

void SoundCardConverter::selectMemory(int number) {
    activeMemory_ = number == 2 ? 1 : 0;
}

void SoundCardConverter::freeRun(ModeId id) {
    air_->freeRun(id);
}

void SoundCardConverter::stopReception() {
    air_->stopReception();
}

bool SoundCardConverter::pause(int ms) {
    // The air keeps its pace while a job waits.
    const std::int64_t until = clock_.nowMs() + ms;
    for (std::int64_t left = ms; left > 0; left = until - clock_.nowMs()) {
        if (clock_.ending() || stopping_)
            return false;
        pumpOnce();
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(std::min<std::int64_t>(left, kPumpMs)),
                       [this] { return stopping_.load(); });
    }
    return !clock_.ending() && !stopping_;
}

// ---- the air's events, on the worker

void SoundCardConverter::said(const QString& text) {
    if (log_)
        log_(text);
}

void SoundCardConverter::problem(const QString& text) {
    toFace([this, text] { emit statusText(text); });
}

void SoundCardConverter::heard(std::span<const float> samples) {
    if (waterfall_.sampleRate() != devices_.source->sampleRate())
        waterfall_ = modem::Waterfall(devices_.source->sampleRate());
    for (const QByteArray& row : waterfall_.process(samples))
        toFace([this, row] { emit waterfall(row); });
}

void SoundCardConverter::receptionStarted(const sstv::PictureStart& start) {
    receiving_ = true;
    receivingMode_ = start.mode;
    // The box's status byte for its modes; the others have none.
    const Mode& m = mode(start.mode);
    const std::uint8_t status = m.box ? m.box->statusByte : 0;
    const int airMs = int(sstv::SstvEncoder::durationMs(start.mode, false));
    toFace([this, status, id = start.mode, name = m.name, airMs] {
        emit announced(status, id, name, airMs);
    });
}

void SoundCardConverter::rowReceived(int row, const QImage& picture) {
    toFace([this, row, copy = picture.copy()] { emit lineArrived(row, copy); });
}

void SoundCardConverter::receptionEnded(const sstv::PictureEnd& end) {
    receiving_ = false;
    lastReceived_ = end.picture;
    {
        std::lock_guard lock(clockMutex_);
        lastClockError_ = end.clockPpm;
    }
    toFace([this, end] {
        emit clockError(end.clockPpm);
        emit pictureReceived(end.picture, mode(end.mode).name, end.complete, end.fskId);
    });
}

void SoundCardConverter::transmissionStarted(ModeId, double durationMs) {
    transmitting_ = true;
    toFace([this, ms = int(durationMs)] { emit Converter::transmissionStarted(ms); });
}

void SoundCardConverter::transmissionEnded(bool) {
    transmitting_ = false;
}

} // namespace winorbis::radio
