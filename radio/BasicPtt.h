// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Ptt.h"

namespace winorbis::radio {

// No push-to-talk at all (the transmitter is keyed by hand, or the output is a file); it
// remembers what was asked so that the converter can tell whether it is sending.
class NoPtt : public Ptt {
public:
    bool setKeyed(bool on, QString*) override {
        keyed_ = on;
        return true;
    }
    bool keyed() const override { return keyed_; }
    QString describe() const override { return QStringLiteral("none"); }

private:
    bool keyed_ = false;
};

// VOX: the transmitter keys itself on the audio, which begins with the VOX tones.
class VoxPtt : public NoPtt {
public:
    bool wantsVoxTones() const override { return true; }
    QString describe() const override { return QStringLiteral("VOX"); }
};

} // namespace winorbis::radio
