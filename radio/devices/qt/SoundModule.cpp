// SPDX-License-Identifier: GPL-3.0-or-later
// The module's one exported function: the table of its calls for the program that loads it
// (radio/devices/SoundSystem.h).
#include "AudioThread.h"
#include "CameraInput.h"
#include "QtAudioInput.h"
#include "SoundCard.h"

#include "platform/Version.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

#include <cstring>

namespace winorbis::radio::qtsound {
namespace {

std::unique_ptr<VideoInput> openCamera(const QString& name, QString* error) {
    return CameraInput::open(name, error);
}

std::unique_ptr<AudioInput> makeRecordingInput() {
    return std::make_unique<QtAudioInput>();
}

// One player, made on the first play on the program's thread and ended with the application.
void playSoundFile(const QString& path) {
    static QPointer<QSoundEffect> player;
    if (!player) {
        player = new QSoundEffect(QCoreApplication::instance());
        player->setObjectName(QStringLiteral("MediaPlayer1"));
    }
    player->setSource(QUrl::fromLocalFile(path));
    player->play();
}

const SoundModuleCalls kCalls{
    &captureDeviceNames,    &playbackDeviceNames,
    &cameraNames,           &openAudioSource,
    &openAudioSink,         &openThreadedAudioSource,
    &openThreadedAudioSink, &soundThreadsStuck,
    &endAfterSound,         &openCamera,
    &makeRecordingInput,    &playSoundFile,
};

} // namespace
} // namespace winorbis::radio::qtsound

// Null for a program of another version, whose table may differ.
extern "C" __attribute__((visibility("default"))) const winorbis::radio::SoundModuleCalls*
winorbis_sound_module(const char* build, winorbis::radio::NoteWriter note) {
    if (!build || std::strcmp(build, winorbis::kVersion) != 0)
        return nullptr;
    if (note)
        winorbis::QtAudioInput::setNoteWriter(note);
    return &winorbis::radio::qtsound::kCalls;
}
