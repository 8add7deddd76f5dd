// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavFileAudio.h"

#include "modem/WavFile.h"
#include "platform/Clock.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace winorbis::radio {

namespace {

constexpr int kHeaderBytes = 44;

} // namespace

std::unique_ptr<WavFileSource> WavFileSource::open(const QString& path, const Clock& clock,
                                                   QString* why) {
    auto wav = sstv::readWav(path, why);
    if (!wav)
        return nullptr;
    return std::unique_ptr<WavFileSource>(
        new WavFileSource(&clock, double(wav->sampleRate), std::move(wav->samples)));
}

std::unique_ptr<WavFileSource> WavFileSource::open(const QString& path, QString* why) {
    auto wav = sstv::readWav(path, why);
    if (!wav)
        return nullptr;
    return std::unique_ptr<WavFileSource>(
        new WavFileSource(nullptr, double(wav->sampleRate), std::move(wav->samples)));
}

WavFileSource::WavFileSource(const Clock* clock, double rate, std::vector<float> samples)
    : clock_(clock)
    , rate_(rate)
    , samples_(std::move(samples))
    , startMs_(clock ? clock->nowMs() : 0) {}

std::size_t WavFileSource::read(std::span<float> out) {
    const auto due =
        !clock_
            ? samples_.size()
            : std::size_t(std::min<double>(double(samples_.size()),
                                           double(clock_->nowMs() - startMs_) * rate_ / 1000.0));
    const std::size_t count = std::min(out.size(), due > next_ ? due - next_ : 0);
    std::copy_n(samples_.begin() + std::ptrdiff_t(next_), count, out.begin());
    next_ += count;
    return count;
}

std::unique_ptr<WavFileSink> WavFileSink::create(const QString& path, int sampleRate,
                                                 QString* why) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (why)
            *why = QStringLiteral("cannot create %1: %2").arg(path, file->errorString());
        return nullptr;
    }
    std::unique_ptr<WavFileSink> sink(new WavFileSink(std::move(file), sampleRate));
    if (!sink->writeHeader()) {
        if (why)
            *why = sink->problem();
        return nullptr;
    }
    return sink;
}

WavFileSink::WavFileSink(std::unique_ptr<QFile> file, int rate)
    : file_(std::move(file))
    , rate_(rate) {}

bool WavFileSink::writeHeader() {
    // The header of the file so far, from wavBytes of no samples with the sizes filled in.
    QByteArray header = sstv::wavBytes({}, rate_);
    const auto data = std::uint32_t(std::min<std::int64_t>(written_ * 2, 0xFFFFFFF0LL));
    qToLittleEndian<std::uint32_t>(data + kHeaderBytes - 8, header.data() + 4);
    qToLittleEndian<std::uint32_t>(data, header.data() + 40);
    const qint64 end = file_->pos();
    if (!file_->seek(0) || file_->write(header) != header.size() ||
        !file_->seek(std::max<qint64>(end, kHeaderBytes)) || !file_->flush()) {
        problem_ =
            QStringLiteral("cannot write %1: %2").arg(file_->fileName(), file_->errorString());
        return false;
    }
    return true;
}

bool WavFileSink::play(std::span<const float> samples) {
    if (!problem_.isEmpty())
        return false;
    QByteArray bytes(qsizetype(samples.size() * 2), Qt::Uninitialized);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto value =
            std::int16_t(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
        qToLittleEndian<std::int16_t>(value, bytes.data() + 2 * i);
    }
    if (file_->write(bytes) != bytes.size()) {
        problem_ =
            QStringLiteral("cannot write %1: %2").arg(file_->fileName(), file_->errorString());
        return false;
    }
    written_ += std::int64_t(samples.size());
    return writeHeader();
}

void WavFileSink::endTransmission() {
    if (problem_.isEmpty())
        writeHeader();
}

} // namespace winorbis::radio
