// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analyzer/AudioInput.h"
#include "radio/AudioPorts.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace winorbis::radio {

// The machine's sound cards and cameras. They are reached through Qt Multimedia, which brings the
// sound server's client library and its codecs: a dozen libraries that would cost every start of
// every program, though most starts use no sound card. So they live in a module of their own
// (radio/devices/qt), loaded on the first call here that needs a device and kept until the
// program ends. When it cannot be loaded, every device is missing with that reason.

// A camera as the converter's video input: it runs while the object lives, and the last frame it
// gave is kept for a digitize. Made and used on a thread with an event loop; lastFrame() may be
// called from any thread.
class VideoInput {
public:
    virtual ~VideoInput() = default;
    // The last frame, at the camera's size; null when none has come yet.
    virtual QImage lastFrame() const = 0;
    // Empty while the camera works; else what went wrong.
    virtual QString problem() const = 0;
    // Told once when the camera fails.
    virtual void setProblemHandler(std::function<void(const QString&)> handler) = 0;
};

// The names an operator may give for a capture device, a playback device or a camera: each one's
// description as the system lists it, the default first. Empty when the sound system cannot be
// loaded.
QStringList captureDeviceNames();
QStringList playbackDeviceNames();
QStringList cameraNames();

// A sound card's device chosen by name: its description or its id; empty is the default device.
// Null with the reason (no sound system, no such device, the device refuses to start) when it
// cannot be opened. Used on the thread that opened it, which runs an event loop.
std::unique_ptr<AudioSource> openAudioSource(const QString& name, QString* error);
std::unique_ptr<AudioSink> openAudioSink(const QString& name, QString* error);

// The same devices, each on a thread of its own, so that a sound server that hangs holds only
// that thread and never the thread that uses the device (see qt/AudioThread.h).
std::unique_ptr<AudioSource> openThreadedAudioSource(const QString& name, QString* error);
std::unique_ptr<AudioSink> openThreadedAudioSink(const QString& name, QString* error);

// True when a device's thread has not ended in time, at its opening or its closing.
bool soundThreadsStuck();

// The end of a program that may have used the sound card, once its devices are closed, its
// push-to-talk released and its files written: returns status when no device was opened, and
// otherwise ends the process at once with it, without the sound system's clean-up at exit (which
// waits on a stuck device's thread, and crashes after the sound server has gone and come back).
int endAfterSound(int status);

// The camera of that description or id; null with the reason when there is none.
std::unique_ptr<VideoInput> openCamera(const QString& name, QString* error);

// The tuning display's recording input on the sound system. The module is loaded when the input
// is first asked for its devices or opened, not when it is made.
std::unique_ptr<AudioInput> makeRecordingInput();

// Plays a short sound file (a WAV) on the default playback device, once, without waiting; false
// with the reason when the sound system cannot be loaded. Called on the program's thread.
bool playSoundFile(const QString& path, QString* error);

// Loads the module when it is not yet loaded: empty when it is, else why it cannot be.
QString soundSystemProblem();

// Whether the module has been loaded in this process (for the checks that a start does not).
bool soundSystemLoaded();

// What the module gives: one table of calls, asked for by the function kEntry with the
// program's note writer (the module's notes go where the program's do).
struct SoundModuleCalls {
    QStringList (*captureDeviceNames)();
    QStringList (*playbackDeviceNames)();
    QStringList (*cameraNames)();
    std::unique_ptr<AudioSource> (*openAudioSource)(const QString&, QString*);
    std::unique_ptr<AudioSink> (*openAudioSink)(const QString&, QString*);
    std::unique_ptr<AudioSource> (*openThreadedAudioSource)(const QString&, QString*);
    std::unique_ptr<AudioSink> (*openThreadedAudioSink)(const QString&, QString*);
    bool (*soundThreadsStuck)();
    int (*endAfterSound)(int);
    std::unique_ptr<VideoInput> (*openCamera)(const QString&, QString*);
    std::unique_ptr<AudioInput> (*makeRecordingInput)();
    void (*playSoundFile)(const QString&);
};
using NoteWriter = void (*)(const QString&);
using SoundModuleEntry = const SoundModuleCalls* (*)(const char* build, NoteWriter note);
inline constexpr char kSoundModuleEntry[] = "winorbis_sound_module";

} // namespace winorbis::radio
