// SPDX-License-Identifier: GPL-3.0-or-later
#include "PttDevices.h"

#include "HamlibPtt.h"
#include "SerialLinePtt.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace winorbis::radio {

namespace {

std::mutex trackedMutex;
std::vector<TrackedPtt*> tracked;

// No keying: the radio is keyed by hand, or not at all.
class NoPtt final : public TrackedPtt {
public:
    bool key(bool on, QString*) override {
        keyed_ = on;
        return true;
    }
    bool keyed() const override { return keyed_; }
    QString describe() const override { return QStringLiteral("no PTT"); }

private:
    bool keyed_ = false;
};

// VOX: the radio keys itself on the tones that begin the transmission.
class VoxPtt final : public TrackedPtt {
public:
    bool key(bool on, QString*) override {
        keyed_ = on;
        return true;
    }
    bool keyed() const override { return keyed_; }
    bool wantsVoxTones() const override { return true; }
    QString describe() const override { return QStringLiteral("VOX"); }

private:
    bool keyed_ = false;
};

// A positive whole number written plainly (no sign, no blanks); 0 otherwise.
int plainNumber(const QString& text, int highest) {
    if (text.isEmpty() ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value <= highest ? value : 0;
}

} // namespace

TrackedPtt::TrackedPtt() {
    std::lock_guard lock(trackedMutex);
    tracked.push_back(this);
}

TrackedPtt::~TrackedPtt() {
    std::lock_guard lock(trackedMutex);
    std::erase(tracked, this);
}

void releaseEveryPtt() {
    std::vector<TrackedPtt*> all;
    {
        std::lock_guard lock(trackedMutex);
        all = tracked;
    }
    for (TrackedPtt* ptt : all)
        ptt->setKeyed(false, nullptr);
}

QString pttSpecForms() {
    return QStringLiteral("none, vox, rts:DEVICE, dtr:DEVICE, rigctld:HOST:PORT or "
                          "hamlib:MODEL:DEVICE[:BAUD]");
}

std::optional<PttSpec> PttSpec::parse(const QString& text, QString* problem) {
    const QString trimmed = text.trimmed();
    const auto fail = [&](const QString& why) -> std::optional<PttSpec> {
        if (problem)
            *problem = QStringLiteral("PTT \"%1\": %2; the forms are %3")
                           .arg(trimmed, why, pttSpecForms());
        return std::nullopt;
    };
    const qsizetype colon = trimmed.indexOf(':');
    const QString kind = (colon < 0 ? trimmed : trimmed.left(colon)).toLower();
    const QString rest = colon < 0 ? QString() : trimmed.mid(colon + 1);
    PttSpec named;
    if (kind == QLatin1String("none") || kind == QLatin1String("vox")) {
        if (colon >= 0)
            return fail(QStringLiteral("%1 takes no device").arg(kind));
        named.kind = kind == QLatin1String("none") ? Kind::None : Kind::Vox;
        return named;
    }
    if (kind == QLatin1String("rts") || kind == QLatin1String("dtr")) {
        if (rest.isEmpty())
            return fail(QStringLiteral("the serial device is missing"));
        named.kind = kind == QLatin1String("rts") ? Kind::Rts : Kind::Dtr;
        named.device = rest;
        return named;
    }
    if (kind == QLatin1String("rigctld")) {
        QString host;
        QString port;
        if (rest.startsWith('[')) {
            const qsizetype close = rest.indexOf(']');
            if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":"))
                return fail(QStringLiteral("rigctld needs HOST:PORT"));
            host = rest.mid(1, close - 1);
            port = rest.mid(close + 2);
        } else {
            const qsizetype at = rest.lastIndexOf(':');
            if (at < 0 || rest.left(at).contains(':'))
                return fail(QStringLiteral("rigctld needs HOST:PORT"));
            host = rest.left(at);
            port = rest.mid(at + 1);
        }
        named.port = plainNumber(port, 65535);
        if (host.isEmpty())
            return fail(QStringLiteral("rigctld needs a host"));
        if (named.port == 0)
            return fail(QStringLiteral("the TCP port must be a number from 1 to 65535"));
        named.kind = Kind::Rigctld;
        named.host = host;
        return named;
    }
    if (kind == QLatin1String("hamlib")) {
        const qsizetype at = rest.indexOf(':');
        named.model = plainNumber(rest.left(at), 1 << 30);
        if (named.model == 0)
            return fail(QStringLiteral("the Hamlib rig model must be a number (rigctl -l lists "
                                       "them)"));
        QString device = at < 0 ? QString() : rest.mid(at + 1);
        const qsizetype last = device.lastIndexOf(':');
        if (last > 0) {
            named.baud = plainNumber(device.mid(last + 1), 10'000'000);
            if (named.baud == 0)
                return fail(QStringLiteral("the serial speed must be a number"));
            device = device.left(last);
        }
        if (device.isEmpty())
            return fail(QStringLiteral("the rig's serial device is missing"));
        named.kind = Kind::Hamlib;
        named.device = device;
        return named;
    }
    return fail(QStringLiteral("unknown kind"));
}

std::unique_ptr<Ptt> openPttDevice(const QString& text, QString* error) {
    const auto named = PttSpec::parse(text, error);
    if (!named)
        return nullptr;
    switch (named->kind) {
    case PttSpec::Kind::None:
        return std::make_unique<NoPtt>();
    case PttSpec::Kind::Vox:
        return std::make_unique<VoxPtt>();
    case PttSpec::Kind::Rts:
        return SerialLinePtt::open(SerialLinePtt::Line::Rts, named->device, error);
    case PttSpec::Kind::Dtr:
        return SerialLinePtt::open(SerialLinePtt::Line::Dtr, named->device, error);
    case PttSpec::Kind::Rigctld:
        return HamlibPtt::openRigctld(named->host, named->port, error);
    case PttSpec::Kind::Hamlib:
        return HamlibPtt::openRig(named->model, named->device, named->baud, error);
    }
    return nullptr;
}

} // namespace winorbis::radio
