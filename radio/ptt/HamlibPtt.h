// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackedPtt.h"

#include <QString>

#include <memory>

struct s_rig;

namespace winorbis::radio {

struct HamlibCalls;

// Push-to-talk through a rig's CAT control with Hamlib: a rig model on a serial device, or a
// running rigctld reached by Hamlib's network rig. Keys with rig_set_ptt; Hamlib's own debug
// output is silenced. Hamlib is loaded with the first rig opened. Released and closed when
// destroyed.
class HamlibPtt final : public TrackedPtt {
public:
    // rigctld at host:port. Null with the reason when it cannot be reached.
    static std::unique_ptr<HamlibPtt> openRigctld(const QString& host, int port, QString* error);
    // A rig of a Hamlib model on a serial device, at baud (0: the model's default speed).
    static std::unique_ptr<HamlibPtt> openRig(int model, const QString& device, int baud,
                                              QString* error);
    ~HamlibPtt() override;

    bool key(bool on, QString* error) override;
    bool keyed() const override { return keyed_; }
    QString describe() const override { return description_; }
    // What the rig reports of its transmitter (rig_get_ptt) in on; false with the reason when it
    // does not answer.
    bool readKeyed(bool* on, QString* error);

private:
    HamlibPtt(const HamlibCalls& calls, s_rig* rig, const QString& description);
    static std::unique_ptr<HamlibPtt> open(int model, const QString& pathname, int baud,
                                           const QString& description, QString* error);

    const HamlibCalls& calls_;
    s_rig* rig_;
    QString description_;
    bool keyed_ = false;
};

} // namespace winorbis::radio
