// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis::radio {

// The transmitter's push-to-talk: keyed before the first sample of a transmission and released
// after its last. Kinds: a rig's CAT control through Hamlib (a rig model on a serial device, or
// rigctld at host:port), the RTS or DTR line of a serial device, VOX (nothing to key; the
// transmission starts with tones), none. Used from one thread.
class Ptt {
public:
    virtual ~Ptt() = default;
    // Keys (on) or releases the transmitter; false with the reason when the rig did not take it.
    virtual bool setKeyed(bool on, QString* error) = 0;
    // What was last asked for and taken.
    virtual bool keyed() const = 0;
    // The longest the next key may last (the transmission's time and a margin): a push-to-talk
    // with a guardian has the key released by it after that, should the program not do it.
    virtual void setKeyLimitMs(int /*ms*/) {}
    // True when the transmission must begin with the VOX tones.
    virtual bool wantsVoxTones() const { return false; }
    // For messages and the status bar: "rigctld localhost:4532", "RTS on /dev/ttyUSB0", "VOX".
    virtual QString describe() const = 0;
};

} // namespace winorbis::radio
