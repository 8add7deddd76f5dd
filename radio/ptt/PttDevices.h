// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/Ptt.h"

#include <QString>

#include <memory>
#include <optional>

namespace winorbis::radio {

// What an operator's push-to-talk text names:
//   none                            no keying at all
//   vox                             the transmission begins with the VOX tones
//   rts:/dev/ttyUSB0, dtr:DEVICE    a line of a serial device
//   rigctld:HOST:PORT               a running rigctld (Hamlib's network rig, model 2)
//   hamlib:MODEL:DEVICE[:BAUD]      a rig of that Hamlib model on a serial device
struct PttSpec {
    enum class Kind { None, Vox, Rts, Dtr, Rigctld, Hamlib };
    Kind kind = Kind::None;
    QString device; // the serial device of rts, dtr and hamlib
    QString host;   // rigctld's host, without brackets
    int port = 0;   // rigctld's TCP port
    int model = 0;  // the Hamlib rig model
    int baud = 0;   // the serial speed of a Hamlib rig, 0 for the model's own

    // Reads a text; nullopt with the problem, which shows the forms, when it is not one of them.
    static std::optional<PttSpec> parse(const QString& text, QString* problem = nullptr);
};

// The forms of a push-to-talk text, for help texts and messages.
QString pttSpecForms();

// Opens the push-to-talk a text names, released. Null with the reason when the text is malformed
// or the device or rig cannot be reached. Every push-to-talk it makes releases the transmitter
// when it is destroyed, and is known to releaseEveryPtt() while it exists. One that keys a
// transmitter (rts, dtr, rigctld, hamlib) comes with its guardian process (PttGuardian.h), and is
// not had when the guardian cannot be started; a key is refused when the guardian has ended (a new
// one is started for the next).
std::unique_ptr<Ptt> openPtt(const QString& text, QString* error);
// The same without a guardian: the guardian's own way to the transmitter.
std::unique_ptr<Ptt> openPttDevice(const QString& text, QString* error);

// The key limit of a push-to-talk whose user never gives one: the longest transmission there is,
// with room to spare.
inline constexpr int kDefaultKeyLimitMs = 6 * 60 * 1000;

// Releases every push-to-talk openPtt() made that still exists (the end of the program, a
// termination signal). Call it on the thread that uses them, never in a signal handler.
void releaseEveryPtt();

} // namespace winorbis::radio
