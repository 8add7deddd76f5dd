// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/AudioPorts.h"

#include <QString>

#include <memory>

namespace winorbis::radio::qtsound {

// A sound card's capture and playback device, each on a thread of its own. The sound server may
// hang (a frozen daemon, a stuck socket), and then the calls into it do not return: they hold only
// the device's thread, never the thread that uses the device. That thread reads and plays through
// a buffer under a lock, so it can still release the transmitter and end the program in time.
//
// A device is opened on its thread and waited for a few seconds; one that does not open by then
// is reported as hanging. A device whose thread does not end when the device is closed is left
// behind; soundThreadsStuck() then tells the program to end without running the sound system's
// clean-up, which would wait on it.
std::unique_ptr<AudioSource> openThreadedAudioSource(const QString& name, QString* error);
std::unique_ptr<AudioSink> openThreadedAudioSink(const QString& name, QString* error);

// True when a device's thread has not ended in time, at its opening or its closing.
bool soundThreadsStuck();

// The end of a program that may have used the sound card, once its devices are closed, its
// push-to-talk released and its files written: returns status when no device was opened, and
// otherwise ends the process at once with it (the output flushed), without the sound system's
// clean-up at exit. That clean-up waits on a device's thread stuck in a sound server that hangs,
// and Qt's PulseAudio engine aborts or crashes in it when its server has gone and come back while
// the program ran (its connection freed twice).
int endAfterSound(int status);

} // namespace winorbis::radio::qtsound
