// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundSystem.h"

#include "platform/ConsoleNotes.h"
#include "platform/Version.h"

#include <QFileInfo>

#include <dlfcn.h>

#include <atomic>
#include <mutex>

#ifndef WINORBIS_SOUND_MODULE_BUILT
#define WINORBIS_SOUND_MODULE_BUILT ""
#endif
#ifndef WINORBIS_BUILD_TREE
#define WINORBIS_BUILD_TREE ""
#endif
#ifndef WINORBIS_SOUND_MODULE_INSTALLED
#define WINORBIS_SOUND_MODULE_INSTALLED ""
#endif

namespace winorbis::radio {

namespace {

void writeNote(const QString& text) {
    ConsoleNotes::write(text);
}

// The module's file: where the installation puts it from the program (bin/PROGRAM and the
// library folder's winorbis/); for a program in the build tree, where the build made it. An
// installed program never takes the build's.
QString moduleFile() {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString installed = QString::fromLocal8Bit(WINORBIS_SOUND_MODULE_INSTALLED);
    if (!self.isEmpty() && !installed.isEmpty()) {
        const QString candidate = QFileInfo(self).absolutePath() + '/' + installed;
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    }
    const QString built = QString::fromLocal8Bit(WINORBIS_SOUND_MODULE_BUILT);
    const QString tree = QFileInfo(QString::fromLocal8Bit(WINORBIS_BUILD_TREE)).canonicalFilePath();
    if (!built.isEmpty() && !tree.isEmpty() && self.startsWith(tree + '/') &&
        QFileInfo::exists(built))
        return built;
    return {};
}

struct Loaded {
    std::once_flag once;
    std::atomic<const SoundModuleCalls*> calls{nullptr};
    QString problem;
};

Loaded& loaded() {
    static Loaded state;
    return state;
}

// The module's calls, loaded once; null with the reason when it cannot be loaded.
const SoundModuleCalls* module(QString* error) {
    Loaded& state = loaded();
    std::call_once(state.once, [&state] {
        const QString file = moduleFile();
        if (file.isEmpty()) {
            state.problem = QStringLiteral("the sound system's module winorbis-sound.so is not "
                                           "installed");
            return;
        }
        // Kept until the program ends: the sound system's threads and state live as long.
        void* library = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            state.problem = QStringLiteral("the sound system cannot be loaded (%1)")
                                .arg(QString::fromLocal8Bit(dlerror()));
            return;
        }
        const auto entry = reinterpret_cast<SoundModuleEntry>(dlsym(library, kSoundModuleEntry));
        state.calls = entry ? entry(kVersion, &writeNote) : nullptr;
        if (!state.calls.load())
            state.problem =
                QStringLiteral("the sound system's module %1 is not of this version").arg(file);
    });
    const SoundModuleCalls* calls = state.calls;
    if (!calls && error)
        *error = state.problem;
    return calls;
}

// The tuning display's input, which is made with its window at every start: the module is loaded
// when the input is first used.
class DeferredRecordingInput final : public AudioInput {
public:
    QList<RecordingDevice> devices() const override {
        AudioInput* input = real();
        return input ? input->devices() : QList<RecordingDevice>{};
    }
    void choose(const QString& id) override {
        chosen_ = id;
        if (real_)
            real_->choose(id);
    }
    QString chosen() const override { return chosen_; }
    QString open(const RecordingFormat& format, DataHandler onData) override {
        QString why;
        AudioInput* input = real(&why);
        return input ? input->open(format, std::move(onData)) : why;
    }
    QString start() override {
        QString why;
        AudioInput* input = real(&why);
        return input ? input->start() : why;
    }
    void stop() override {
        if (real_)
            real_->stop();
    }
    void close() override {
        if (real_)
            real_->close();
    }

private:
    AudioInput* real(QString* error = nullptr) const {
        if (!real_) {
            const SoundModuleCalls* calls = module(error);
            if (!calls)
                return nullptr;
            real_ = calls->makeRecordingInput();
            real_->choose(chosen_);
        }
        return real_.get();
    }

    QString chosen_;
    mutable std::unique_ptr<AudioInput> real_;
};

} // namespace

QStringList captureDeviceNames() {
    const SoundModuleCalls* calls = module(nullptr);
    return calls ? calls->captureDeviceNames() : QStringList{};
}

QStringList playbackDeviceNames() {
    const SoundModuleCalls* calls = module(nullptr);
    return calls ? calls->playbackDeviceNames() : QStringList{};
}

QStringList cameraNames() {
    const SoundModuleCalls* calls = module(nullptr);
    return calls ? calls->cameraNames() : QStringList{};
}

std::unique_ptr<AudioSource> openAudioSource(const QString& name, QString* error) {
    const SoundModuleCalls* calls = module(error);
    return calls ? calls->openAudioSource(name, error) : nullptr;
}

std::unique_ptr<AudioSink> openAudioSink(const QString& name, QString* error) {
    const SoundModuleCalls* calls = module(error);
    return calls ? calls->openAudioSink(name, error) : nullptr;
}

std::unique_ptr<AudioSource> openThreadedAudioSource(const QString& name, QString* error) {
    const SoundModuleCalls* calls = module(error);
    return calls ? calls->openThreadedAudioSource(name, error) : nullptr;
}

std::unique_ptr<AudioSink> openThreadedAudioSink(const QString& name, QString* error) {
    const SoundModuleCalls* calls = module(error);
    return calls ? calls->openThreadedAudioSink(name, error) : nullptr;
}

bool soundThreadsStuck() {
    const SoundModuleCalls* calls = loaded().calls;
    return calls && calls->soundThreadsStuck();
}

int endAfterSound(int status) {
    const SoundModuleCalls* calls = loaded().calls;
    return calls ? calls->endAfterSound(status) : status;
}

std::unique_ptr<VideoInput> openCamera(const QString& name, QString* error) {
    const SoundModuleCalls* calls = module(error);
    return calls ? calls->openCamera(name, error) : nullptr;
}

std::unique_ptr<AudioInput> makeRecordingInput() {
    return std::make_unique<DeferredRecordingInput>();
}

bool playSoundFile(const QString& path, QString* error) {
    const SoundModuleCalls* calls = module(error);
    if (calls)
        calls->playSoundFile(path);
    return calls != nullptr;
}

QString soundSystemProblem() {
    QString why;
    module(&why);
    return why;
}

bool soundSystemLoaded() {
    return loaded().calls != nullptr;
}

} // namespace winorbis::radio
