// SPDX-License-Identifier: GPL-3.0-or-later
#include "HamlibPtt.h"

#include <hamlib/rig.h>

#include <QByteArray>
#include <QFile>

#include <clocale>
#include <cstdarg>
#include <mutex>

namespace winorbis::radio {

namespace {

// Hamlib writes its debugging to standard error unless told otherwise; nothing of it is for the
// operator.
int swallowDebug(enum rig_debug_level_e, rig_ptr_t, const char*, va_list) {
    return 0;
}

void quietHamlib() {
    static std::once_flag once;
    std::call_once(once, [] {
        rig_set_debug(RIG_DEBUG_NONE);
        rig_set_debug_callback(swallowDebug, nullptr);
    });
}

// Hamlib's words for an error code, without the debugging it may append.
QString hamlibError(int code) {
    const QString text = QString::fromLocal8Bit(rigerror2(code)).trimmed();
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

bool setConf(RIG* rig, const char* name, const QByteArray& value) {
    const token_t token = rig_token_lookup(rig, name);
    return token != RIG_CONF_END && rig_set_conf(rig, token, value.constData()) == RIG_OK;
}

} // namespace

HamlibPtt::HamlibPtt(s_rig* rig, const QString& description)
    : rig_(rig)
    , description_(description) {}

HamlibPtt::~HamlibPtt() {
    const NumericLocaleC locale;
    if (keyed_)
        setKeyed(false, nullptr);
    rig_close(rig_);
    rig_cleanup(rig_);
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
    quietHamlib();
    const NumericLocaleC locale;
    const auto fail = [&](const QString& why) -> std::unique_ptr<HamlibPtt> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(description, why);
        return nullptr;
    };
    RIG* rig = rig_init(rig_model_t(model));
    if (!rig)
        return fail(QStringLiteral("Hamlib knows no rig model %1").arg(model));
    const bool network = model == RIG_MODEL_NETRIGCTL;
    bool configured =
        setConf(rig, "rig_pathname", network ? pathname.toUtf8() : QFile::encodeName(pathname));
    // A rig that does not answer is reported within a couple of seconds, not after Hamlib's
    // default rounds of retries.
    configured = configured && setConf(rig, "timeout", "1000");
    setConf(rig, "retry", "0");
    if (configured && baud > 0)
        configured = setConf(rig, "serial_speed", QByteArray::number(baud));
    if (!configured) {
        rig_cleanup(rig);
        return fail(QStringLiteral("Hamlib does not take the settings"));
    }
    if (const int opened = rig_open(rig); opened != RIG_OK) {
        rig_cleanup(rig);
        return fail(network
                        ? QStringLiteral("rigctld does not answer (%1)").arg(hamlibError(opened))
                        : QStringLiteral("the rig does not answer (%1)").arg(hamlibError(opened)));
    }
    return std::unique_ptr<HamlibPtt>(new HamlibPtt(rig, description));
}

bool HamlibPtt::key(bool on, QString* error) {
    const NumericLocaleC locale;
    const int result = rig_set_ptt(rig_, RIG_VFO_CURR, on ? RIG_PTT_ON : RIG_PTT_OFF);
    if (result != RIG_OK) {
        if (error)
            *error = QStringLiteral("%1 does not %2 the transmitter: %3")
                         .arg(description_, on ? QStringLiteral("key") : QStringLiteral("release"),
                              hamlibError(result));
        return false;
    }
    keyed_ = on;
    return true;
}

bool HamlibPtt::readKeyed(bool* on, QString* error) {
    const NumericLocaleC locale;
    ptt_t ptt = RIG_PTT_OFF;
    const int result = rig_get_ptt(rig_, RIG_VFO_CURR, &ptt);
    if (result != RIG_OK) {
        if (error)
            *error = QStringLiteral("%1 does not report its transmitter: %2")
                         .arg(description_, hamlibError(result));
        return false;
    }
    *on = ptt != RIG_PTT_OFF;
    return true;
}

} // namespace winorbis::radio
