// SPDX-License-Identifier: GPL-3.0-or-later
#include "HamlibPtt.h"

#include "platform/LoadedLibrary.h"

#include <hamlib/rig.h>

#include <QByteArray>
#include <QFile>

#include <dlfcn.h>

#include <clocale>
#include <cstdarg>
#include <mutex>

namespace winorbis::radio {

// Hamlib, loaded when a rig is first opened: a program that keys no rig never maps it and the
// dozen libraries it brings (USB, INDI, XML, ...), which would cost every start. Its calls go
// through this table.
struct HamlibCalls {
    decltype(&rig_set_debug) setDebug = nullptr;
    decltype(&rig_set_debug_callback) setDebugCallback = nullptr;
    decltype(&rigerror2) errorText = nullptr;
    decltype(&rig_token_lookup) tokenLookup = nullptr;
    decltype(&rig_set_conf) setConf = nullptr;
    decltype(&rig_init) init = nullptr;
    decltype(&rig_open) open = nullptr;
    decltype(&rig_set_ptt) setPtt = nullptr;
    decltype(&rig_get_ptt) getPtt = nullptr;
    decltype(&rig_close) close = nullptr;
    decltype(&rig_cleanup) cleanup = nullptr;
};

namespace {

// Hamlib writes its debugging to standard error unless told otherwise; nothing of it is for the
// operator.
int swallowDebug(enum rig_debug_level_e, rig_ptr_t, const char*, va_list) {
    return 0;
}

// The table, loaded and quietened once; null with the reason when Hamlib cannot be loaded. The
// library stays loaded until the program ends.
const HamlibCalls* hamlib(QString* error) {
    static HamlibCalls calls;
    static QString problem;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = dlopen(WINORBIS_HAMLIB_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            problem = QStringLiteral("Hamlib cannot be loaded (%1)")
                          .arg(QString::fromLocal8Bit(dlerror()));
            return;
        }
        HamlibCalls c;
        const bool complete = resolveCall(library, "rig_set_debug", c.setDebug) &&
                              resolveCall(library, "rig_set_debug_callback", c.setDebugCallback) &&
                              resolveCall(library, "rigerror2", c.errorText) &&
                              resolveCall(library, "rig_token_lookup", c.tokenLookup) &&
                              resolveCall(library, "rig_set_conf", c.setConf) &&
                              resolveCall(library, "rig_init", c.init) &&
                              resolveCall(library, "rig_open", c.open) &&
                              resolveCall(library, "rig_set_ptt", c.setPtt) &&
                              resolveCall(library, "rig_get_ptt", c.getPtt) &&
                              resolveCall(library, "rig_close", c.close) &&
                              resolveCall(library, "rig_cleanup", c.cleanup);
        if (!complete) {
            problem = QStringLiteral("%1 lacks calls this program uses")
                          .arg(QLatin1String(WINORBIS_HAMLIB_LIBRARY));
            return;
        }
        c.setDebug(RIG_DEBUG_NONE);
        c.setDebugCallback(swallowDebug, nullptr);
        calls = c;
    });
    if (!calls.init) {
        if (error)
            *error = problem;
        return nullptr;
    }
    return &calls;
}

// Hamlib's words for an error code, without the debugging it may append.
QString hamlibError(const HamlibCalls& h, int code) {
    const QString text = QString::fromLocal8Bit(h.errorText(code)).trimmed();
    const qsizetype end = text.indexOf('\n');
    return end < 0 ? text : text.left(end).trimmed();
}

// Hamlib 4.5 keeps the name setlocale() returns, switches LC_NUMERIC to "C" and back with it;
// the switch frees the name it keeps when the program's locale is not "C" already (a use after
// free). Around every Hamlib call the numeric locale is "C", whose name is never freed, and the
// program's own comes back afterwards.
class NumericLocaleC {
public:
    NumericLocaleC() {
        if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
            saved_ = current;
        std::setlocale(LC_NUMERIC, "C");
    }
    ~NumericLocaleC() {
        if (!saved_.isEmpty())
            std::setlocale(LC_NUMERIC, saved_.constData());
    }
    NumericLocaleC(const NumericLocaleC&) = delete;
    NumericLocaleC& operator=(const NumericLocaleC&) = delete;

private:
    QByteArray saved_;
};

bool setConf(const HamlibCalls& h, RIG* rig, const char* name, const QByteArray& value) {
    const token_t token = h.tokenLookup(rig, name);
    return token != RIG_CONF_END && h.setConf(rig, token, value.constData()) == RIG_OK;
}

} // namespace

HamlibPtt::HamlibPtt(const HamlibCalls& calls, s_rig* rig, const QString& description)
    : calls_(calls)
    , rig_(rig)
    , description_(description) {}

HamlibPtt::~HamlibPtt() {
    const NumericLocaleC locale;
    if (keyed_)
        setKeyed(false, nullptr);
    calls_.close(rig_);
    calls_.cleanup(rig_);
}

std::unique_ptr<HamlibPtt> HamlibPtt::openRigctld(const QString& host, int port, QString* error) {
    const QString address = host.contains(':') ? QStringLiteral("[%1]:%2").arg(host).arg(port)
                                               : QStringLiteral("%1:%2").arg(host).arg(port);
    return open(RIG_MODEL_NETRIGCTL, address, 0, QStringLiteral("rigctld %1").arg(address), error);
}

std::unique_ptr<HamlibPtt> HamlibPtt::openRig(int model, const QString& device, int baud,
                                              QString* error) {
    return open(model, device, baud, QStringLiteral("Hamlib rig %1 on %2").arg(model).arg(device),
                error);
}

std::unique_ptr<HamlibPtt> HamlibPtt::open(int model, const QString& pathname, int baud,
                                           const QString& description, QString* error) {
    const auto fail = [&](const QString& why) -> std::unique_ptr<HamlibPtt> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(description, why);
        return nullptr;
    };
    QString unavailable;
    const HamlibCalls* loaded = hamlib(&unavailable);
    if (!loaded)
        return fail(unavailable);
    const HamlibCalls& h = *loaded;
    const NumericLocaleC locale;
    RIG* rig = h.init(rig_model_t(model));
    if (!rig)
        return fail(QStringLiteral("Hamlib knows no rig model %1").arg(model));
    const bool network = model == RIG_MODEL_NETRIGCTL;
    bool configured =
        setConf(h, rig, "rig_pathname", network ? pathname.toUtf8() : QFile::encodeName(pathname));
    // A rig that does not answer is reported within a couple of seconds, not after Hamlib's
    // default rounds of retries.
    configured = configured && setConf(h, rig, "timeout", "1000");
    setConf(h, rig, "retry", "0");
    if (configured && baud > 0)
        configured = setConf(h, rig, "serial_speed", QByteArray::number(baud));
    if (!configured) {
        h.cleanup(rig);
        return fail(QStringLiteral("Hamlib does not take the settings"));
    }
    if (const int opened = h.open(rig); opened != RIG_OK) {
        h.cleanup(rig);
        return fail(
            network ? QStringLiteral("rigctld does not answer (%1)").arg(hamlibError(h, opened))
                    : QStringLiteral("the rig does not answer (%1)").arg(hamlibError(h, opened)));
    }
    return std::unique_ptr<HamlibPtt>(new HamlibPtt(h, rig, description));
}

bool HamlibPtt::key(bool on, QString* error) {
    const NumericLocaleC locale;
    const int result = calls_.setPtt(rig_, RIG_VFO_CURR, on ? RIG_PTT_ON : RIG_PTT_OFF);
    if (result != RIG_OK) {
        if (error)
            *error = QStringLiteral("%1 does not %2 the transmitter: %3")
                         .arg(description_, on ? QStringLiteral("key") : QStringLiteral("release"),
                              hamlibError(calls_, result));
        return false;
    }
    keyed_ = on;
    return true;
}

bool HamlibPtt::readKeyed(bool* on, QString* error) {
    const NumericLocaleC locale;
    ptt_t ptt = RIG_PTT_OFF;
    const int result = calls_.getPtt(rig_, RIG_VFO_CURR, &ptt);
    if (result != RIG_OK) {
        if (error)
            *error = QStringLiteral("%1 does not report its transmitter: %2")
                         .arg(description_, hamlibError(calls_, result));
        return false;
    }
    *on = ptt != RIG_PTT_OFF;
    return true;
}

} // namespace winorbis::radio
