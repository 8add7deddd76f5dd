// SPDX-License-Identifier: GPL-3.0-or-later
#include "Sstv.h"
#include "Orbisctl.h"

#include "modem/FskId.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <cmath>
#include <optional>

namespace winorbis {

namespace {

// How long after a picture an FSK ID is waited for.
constexpr double kFskIdSeconds = 5.0;

int fail(std::FILE* err, int status, const QString& why) {
    std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
    return status;
}

// The image format of an output name by its extension, or nothing.
const char* pictureFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "png")
        return "PNG";
    if (suffix == "bmp")
        return "BMP";
    if (suffix == "jpg" || suffix == "jpeg")
        return "JPEG";
    return nullptr;
}

int encode(const QStringList& arguments, std::FILE* err) {
    QStringList files;
    std::optional<ModeId> id;
    int rate = 48000;
    bool vox = false;
    QString fskId;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--mode" && hasValue) {
            id = modeByShortName(arguments[++i]);
            if (!id)
                return usageError(err, QStringLiteral("unknown mode %1 (%2)")
                                           .arg(arguments[i], modeShortNames().join(' ')));
        } else if (a == "--rate" && hasValue) {
            bool ok = false;
            rate = arguments[++i].toInt(&ok);
            if (!ok || rate < 8000 || rate > 96000)
                return usageError(err, QStringLiteral("--rate takes 8000 to 96000"));
        } else if (a == "--vox") {
            vox = true;
        } else if (a == "--fsk-id" && hasValue) {
            fskId = arguments[++i];
            if (sstv::fskid::sendable(fskId).isEmpty())
                return usageError(err, QStringLiteral("--fsk-id takes up to %1 letters, digits "
                                                      "and signs such as /")
                                           .arg(sstv::fskid::kMaxCharacters));
        } else if (a.startsWith("--")) {
            return usageError(err, QStringLiteral("unknown or incomplete sstv option %1").arg(a));
        } else {
            files << a;
        }
    }
    if (files.size() != 2)
        return usageError(err, QStringLiteral("sstv encode needs a picture and a WAV file"));
    if (!id)
        return usageError(err, QStringLiteral("sstv encode needs --mode"));
    if (QFileInfo(files[1]).suffix().compare("wav", Qt::CaseInsensitive) != 0)
        return usageError(err,
                          QStringLiteral("%1: the sound is written as WAV (.wav)").arg(files[1]));
    QImageReader reader(files[0]);
    const QImage picture = reader.read();
    if (picture.isNull())
        return usageError(
            err,
            QStringLiteral("cannot read the picture %1: %2").arg(files[0], reader.errorString()));

    sstv::EncoderOptions options;
    options.sampleRate = rate;
    options.vox = vox;
    options.fskId = fskId;
    const auto samples = sstv::SstvEncoder::encode16(picture, *id, options);
    if (const QString error = replaceFileContents(files[1], sstv::wavBytes(samples, rate));
        !error.isEmpty())
        return fail(err, 1, error);
    return 0;
}

int decode(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    if (arguments.size() != 2 || arguments[0].startsWith("--") || arguments[1].startsWith("--"))
        return usageError(err, QStringLiteral("sstv decode needs a WAV file and a picture file"));
    const char* format = pictureFormat(arguments[1]);
    if (!format)
        return usageError(
            err,
            QStringLiteral("%1: the picture is written as PNG, BMP or JPEG").arg(arguments[1]));
    QString why;
    const auto audio = sstv::readWav(arguments[0], &why);
    if (!audio)
        return fail(err, 2, why);

    // The first picture, and a callsign in FSK right after it.
    struct Listener final : sstv::DecoderListener {
        std::optional<sstv::PictureEnd> picture;
        QString callsign;
        bool another = false;
        void started(const sstv::PictureStart&) override { another = picture.has_value(); }
        void ended(const sstv::PictureEnd& end) override {
            if (!picture)
                picture = end;
        }
        void fskId(const QString& call) override {
            if (picture && callsign.isEmpty())
                callsign = call;
        }
    } listener;
    const std::optional<sstv::PictureEnd>& first = listener.picture;
    sstv::SstvDecoder decoder(audio->sampleRate);
    decoder.setListener(&listener);
    const std::span<const float> samples(audio->samples);
    constexpr std::size_t kBlock = 8192;
    std::size_t at = 0;
    for (; at < samples.size() && !first; at += kBlock)
        decoder.process(samples.subspan(at, std::min(kBlock, samples.size() - at)));
    if (!first)
        decoder.finish();
    if (!first)
        return fail(err, 1, QStringLiteral("%1: no picture found").arg(arguments[0]));
    // An FSK ID comes within a few seconds of the picture's end.
    const auto idEnd =
        std::min(samples.size(), at + std::size_t(kFskIdSeconds * audio->sampleRate));
    for (; at < idEnd && listener.callsign.isEmpty() && !listener.another; at += kBlock)
        decoder.process(samples.subspan(at, std::min(kBlock, idEnd - at)));

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!first->picture.save(&buffer, format))
        return fail(err, 1, QStringLiteral("cannot make the %1 picture").arg(format));
    if (const QString error = replaceFileContents(arguments[1], bytes); !error.isEmpty())
        return fail(err, 1, error);
    const Mode& m = mode(first->mode);
    std::fprintf(out, "%s %d %ld %ld\n", qPrintable(m.shortName), first->lines,
                 std::lround(first->clockPpm), std::lround(first->offsetHz));
    if (!listener.callsign.isEmpty())
        std::fprintf(out, "FSKID %s\n", qPrintable(listener.callsign));
    std::fflush(out);
    return 0;
}

} // namespace

QString sstvModeHelp(const QString& indent, int width) {
    QString help, line;
    for (const QString& name : modeShortNames()) {
        if (!line.isEmpty() && indent.size() + line.size() + 1 + name.size() > width) {
            help += indent + line + '\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + name;
    }
    return help + indent + line + '\n';
}

int runSstv(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    const QString verb = arguments.value(0);
    if (verb == "encode")
        return encode(arguments.mid(1), err);
    if (verb == "decode")
        return decode(arguments.mid(1), out, err);
    return usageError(err, QStringLiteral("sstv takes encode or decode"));
}

} // namespace winorbis
