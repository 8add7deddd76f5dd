// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterChoice.h"

#include "radio/ptt/PttDevices.h"
#include "settings/StationOptions.h"

#include <array>
#include <cmath>
#include <tuple>

namespace winorbis {

const QString ConverterChoice::kConverterKey = QStringLiteral("Converter");
const QString ConverterChoice::kCaptureKey = QStringLiteral("SoundCapture");
const QString ConverterChoice::kPlaybackKey = QStringLiteral("SoundPlayback");
const QString ConverterChoice::kPttKey = QStringLiteral("Ptt");
const QString ConverterChoice::kClockPpmKey = QStringLiteral("ClockPpm");
const QString ConverterChoice::kCameraKey = QStringLiteral("Camera");
const QString ConverterChoice::kDigitizePictureKey = QStringLiteral("DigitizePicture");
const QString ConverterChoice::kFskIdKey = QStringLiteral("FskId");

namespace {

using Method = ConverterChoice::PttMethod;

struct MethodName {
    Method method;
    const char* prefix; // as the push-to-talk text begins
};
constexpr std::array<MethodName, 6> kMethods{{{Method::None, "none"},
                                              {Method::Vox, "vox"},
                                              {Method::Rts, "rts"},
                                              {Method::Dtr, "dtr"},
                                              {Method::Hamlib, "hamlib"},
                                              {Method::Rigctld, "rigctld"}}};

bool takesTarget(Method method) {
    return method != Method::None && method != Method::Vox;
}

// How a number of ppm is written into station.conf: no exponent, no trailing zeros.
QString ppmText(double ppm) {
    QString text = QString::number(ppm, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

ConverterChoice ConverterChoice::fromOptions(const StationOptions& options) {
    ConverterChoice choice;
    choice.kind = parseKind(options.value(kConverterKey)).value_or(Kind::SerialPort);
    choice.capture = options.value(ConverterChoice::kCaptureKey).trimmed();
    choice.playback = options.value(ConverterChoice::kPlaybackKey).trimmed();
    std::tie(choice.pttMethod, choice.pttTarget) =
        splitPtt(options.value(ConverterChoice::kPttKey));
    choice.clockPpm = parseClockPpm(options.value(ConverterChoice::kClockPpmKey)).value_or(0.0);
    choice.camera = options.value(ConverterChoice::kCameraKey).trimmed();
    if (choice.camera.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
        choice.camera.clear();
    choice.digitizePicture = options.value(ConverterChoice::kDigitizePictureKey).trimmed();
    choice.fskId = options.flag(kFskIdKey);
    return choice;
}

void ConverterChoice::writeTo(StationOptions& options) const {
    options.setValue(kConverterKey, kindText(kind));
    options.setValue(ConverterChoice::kCaptureKey, capture.trimmed());
    options.setValue(ConverterChoice::kPlaybackKey, playback.trimmed());
    options.setValue(ConverterChoice::kPttKey, pttText());
    options.setValue(ConverterChoice::kClockPpmKey, ppmText(clockPpm));
    options.setValue(ConverterChoice::kCameraKey, camera.trimmed());
    options.setValue(ConverterChoice::kDigitizePictureKey, digitizePicture.trimmed());
    options.setFlag(kFskIdKey, fskId);
}

QString ConverterChoice::pttText() const {
    for (const MethodName& name : kMethods) {
        if (name.method == pttMethod)
            return takesTarget(pttMethod) ? QStringLiteral("%1:%2").arg(QLatin1String(name.prefix),
                                                                        pttTarget.trimmed())
                                          : QString::fromLatin1(name.prefix);
    }
    return QStringLiteral("none");
}

std::pair<ConverterChoice::PttMethod, QString> ConverterChoice::splitPtt(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    const QString prefix = (colon < 0 ? trimmed : trimmed.left(colon)).toLower();
    for (const MethodName& name : kMethods) {
        if (prefix == QLatin1String(name.prefix))
            return {name.method,
                    takesTarget(name.method) && colon >= 0 ? trimmed.mid(colon + 1) : QString()};
    }
    return {Method::None, QString()};
}

QString ConverterChoice::problem() const {
    QString why;
    if (!radio::PttSpec::parse(pttText(), &why))
        return why;
    if (!std::isfinite(clockPpm) || std::abs(clockPpm) > kMaxClockPpm)
        return QStringLiteral("The clock correction must lie between -20000 and 20000 ppm.");
    return {};
}

bool ConverterChoice::needsRestart(const ConverterChoice& running) const {
    if (kind != running.kind)
        return true;
    return kind == Kind::SoundCard && *this != running;
}

QString ConverterChoice::kindText(Kind kind) {
    return kind == Kind::SoundCard ? QStringLiteral("sound card") : QStringLiteral("serial port");
}

std::optional<ConverterChoice::Kind> ConverterChoice::parseKind(const QString& text) {
    const QString simple = text.simplified().toLower();
    if (simple.isEmpty() || simple == QLatin1String("serial port"))
        return Kind::SerialPort;
    if (simple == QLatin1String("sound card"))
        return Kind::SoundCard;
    return std::nullopt;
}

std::optional<double> ConverterChoice::parseClockPpm(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0.0;
    bool ok = false;
    const double ppm = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(ppm) || std::abs(ppm) > kMaxClockPpm)
        return std::nullopt;
    return ppm;
}

double ConverterChoice::correctedClockPpm(double ppm, double measuredErrorPpm) {
    // The lines came measuredErrorPpm longer than the mode's at the corrected rate: the true rate
    // is that much above it, and the factors multiply.
    const double factor = (1.0 + ppm / 1e6) * (1.0 + measuredErrorPpm / 1e6);
    return std::round((factor - 1.0) * 1e6 * 10.0) / 10.0;
}

} // namespace winorbis
