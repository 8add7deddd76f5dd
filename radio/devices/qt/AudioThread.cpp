// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioThread.h"

#include "SoundCard.h"

#include "platform/ThreadHandoff.h"

#include <QThread>
#include <QTimer>

#include <functional>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace winorbis::radio::qtsound {

namespace {

// How long a device may take to open on its thread before it counts as hanging.
constexpr int kOpenWaitMs = 5000;
// How long a device's thread may take to end once the device is closed.
constexpr int kCloseWaitMs = 250;
// How often the device's thread moves samples between the device and the buffer.
constexpr int kCaptureMs = 10;
constexpr int kPlaybackMs = 5;
// How far ahead a transmission is given to the device's thread (AudioSink::leadMs): the sound
// server holds the first second of it, the thread the rest.
constexpr double kDeviceLeadMs = 10000.0;
// The most the capture buffer holds for a reader that has stopped reading: older samples go.
constexpr double kCaptureBufferSeconds = 4.0;

std::atomic<int> stuckThreads{0};
// A device has been opened, or tried: the sound system's own state lives until the process ends.
std::atomic<bool> soundUsed{false};

// The thread of one device, running an event loop for it. What runs there holds the state it
// works on by shared pointer: a thread stuck in the sound server may run it long after its owner
// has gone.
class DeviceThread {
public:
    DeviceThread()
        : thread_(new QThread)
        , context_(new threading::HandoverQueue) {
        thread_->start();
        context_->moveToThread(thread_);
    }
    ~DeviceThread() {
        threading::HandoverQueue* context = context_;
        QThread* thread = thread_;
        context->post([context, thread] {
            // Deleted once the thread has ended.
            context->deleteLater();
            thread->quit();
        });
        // A thread that does not end in time is left behind with its objects, never destroyed
        // while it runs.
        if (thread->wait(kCloseWaitMs))
            delete thread;
        else
            ++stuckThreads;
    }
    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    // Runs work on the thread and waits up to timeoutMs for it; false when it did not finish.
    bool run(std::function<void()> work, int timeoutMs) {
        auto done = std::make_shared<Done>();
        context_->post([work = std::move(work), done] {
            work();
            std::lock_guard lock(done->mutex);
            done->finished = true;
            done->condition.notify_all();
        });
        std::unique_lock lock(done->mutex);
        if (done->condition.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return done->finished; }))
            return true;
        return false;
    }

    // Posts work to the thread without waiting.
    void post(std::function<void()> work) { context_->post(std::move(work)); }

    QObject* context() const { return context_; }

private:
    struct Done {
        std::mutex mutex;
        std::condition_variable condition;
        bool finished = false;
    };

    QThread* thread_;
    threading::HandoverQueue* context_; // lives in the thread; its work runs there
};

// What a device's thread and its users share; the device and its timer are the thread's own.
template <typename Device> struct DeviceCore {
    std::unique_ptr<Device> device;
    std::unique_ptr<QTimer> timer;
    QString openError;
    std::atomic<double> rate{0.0};
    mutable std::mutex mutex; // guards the rest of the derived state
    QString problem;

    // On the thread: the device and its timer go.
    void close() {
        timer.reset();
        device.reset();
    }
};

// Opens a device on its thread with open(name, &why) and starts pump every intervalMs; false with
// the reason, also when the thread does not answer in time.
template <typename Core, typename Open>
bool openOnThread(DeviceThread& thread, const std::shared_ptr<Core>& core, const QString& name,
                  const QString& kind, int intervalMs, Open open) {
    QObject* context = thread.context();
    const bool answered = thread.run(
        [core, name, context, intervalMs, open] {
            core->device = open(name, &core->openError);
            if (!core->device)
                return;
            core->rate = core->device->sampleRate();
            core->started();
            core->timer = std::make_unique<QTimer>();
            QObject::connect(core->timer.get(), &QTimer::timeout, context,
                             [c = core.get()] { c->pump(); });
            core->timer->start(intervalMs);
        },
        kOpenWaitMs);
    if (!answered) {
        core->openError = QStringLiteral("%1 device \"%2\" does not answer: the sound server hangs")
                              .arg(kind, name.isEmpty() ? QStringLiteral("default") : name);
        return false;
    }
    return bool(core->device);
}

// The capture on its thread: the device's samples are moved into a ring under a lock, from which
// read() takes them on any thread.
class ThreadedSource final : public AudioSource {
public:
    struct Core : DeviceCore<AudioSource> {
        std::vector<float> chunk = std::vector<float>(4096);
        std::vector<float> buffer;
        std::size_t head = 0;
        std::size_t count = 0;

        void started() { buffer.assign(std::size_t(rate * kCaptureBufferSeconds) + 1, 0.0f); }
        // On the thread: what the device has brought goes into the ring.
        void pump() {
            for (;;) {
                const std::size_t n = device->read(chunk);
                if (n == 0)
                    break;
                std::lock_guard lock(mutex);
                for (std::size_t i = 0; i < n; ++i) {
                    buffer[(head + count) % buffer.size()] = chunk[i];
                    if (count < buffer.size())
                        ++count;
                    else
                        head = (head + 1) % buffer.size(); // the oldest goes
                }
            }
            const QString now = device->problem();
            const double deviceRate = device->sampleRate();
            std::lock_guard lock(mutex);
            problem = now;
            if (deviceRate != rate.load()) {
                rate = deviceRate;
                started();
                head = 0;
                count = 0;
            }
        }
    };

    ~ThreadedSource() override {
        thread_.post([core = core_] { core->close(); });
    }

    bool open(const QString& name, QString* error) {
        const bool opened = openOnThread(thread_, core_, name, QStringLiteral("Capture"),
                                         kCaptureMs, openAudioSource);
        if (!opened && error)
            *error = core_->openError;
        return opened;
    }

    double sampleRate() const override { return core_->rate.load(); }

    std::size_t read(std::span<float> out) override {
        Core& c = *core_;
        std::lock_guard lock(c.mutex);
        const std::size_t n = std::min(out.size(), c.count);
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = c.buffer[c.head];
            c.head = (c.head + 1) % c.buffer.size();
        }
        c.count -= n;
        return n;
    }

    QString problem() const override {
        std::lock_guard lock(core_->mutex);
        return core_->problem;
    }

private:
    std::shared_ptr<Core> core_ = std::make_shared<Core>();
    DeviceThread thread_; // declared last: it ends first
};

// The playback on its thread: play() queues samples under a lock, and the thread hands them to
// the device. What is queued or in the device counts as pending, so that a transmission is over
// only when its last sample has left.
class ThreadedSink final : public AudioSink {
public:
    struct Core : DeviceCore<AudioSink> {
        std::vector<float> queue;
        std::size_t inFlight = 0;
        double devicePendingMs = 0.0;
        int stops = 0;

        void started() {}
        // On the thread: what is queued goes to the device.
        void pump() {
            std::vector<float> samples;
            {
                std::lock_guard lock(mutex);
                samples.swap(queue);
                inFlight = samples.size();
            }
            bool played = true;
            if (!samples.empty())
                played = device->play(samples);
            const double pending = device->pendingMs();
            const QString now = device->problem();
            const double deviceRate = device->sampleRate();
            std::lock_guard lock(mutex);
            inFlight = 0;
            // A stop asked for meanwhile has dropped what was pending.
            devicePendingMs = stops > 0 ? 0.0 : pending;
            problem = played || !now.isEmpty() ? now : QStringLiteral("Playback device failed");
            rate = deviceRate;
        }
    };

    ~ThreadedSink() override {
        thread_.post([core = core_] { core->close(); });
    }

    bool open(const QString& name, QString* error) {
        const bool opened = openOnThread(thread_, core_, name, QStringLiteral("Playback"),
                                         kPlaybackMs, openAudioSink);
        if (!opened && error)
            *error = core_->openError;
        return opened;
    }

    double sampleRate() const override { return core_->rate.load(); }

    bool play(std::span<const float> samples) override {
        Core& c = *core_;
        std::lock_guard lock(c.mutex);
        if (!c.problem.isEmpty())
            return false;
        c.queue.insert(c.queue.end(), samples.begin(), samples.end());
        return true;
    }

    double leadMs() const override { return kDeviceLeadMs; }

    double pendingMs() const override {
        const Core& c = *core_;
        std::lock_guard lock(c.mutex);
        const double rate = c.rate.load();
        const double queued = rate > 0 ? double(c.queue.size() + c.inFlight) * 1000.0 / rate : 0.0;
        return queued + c.devicePendingMs;
    }

    void stop() override {
        {
            std::lock_guard lock(core_->mutex);
            core_->queue.clear();
            core_->devicePendingMs = 0.0;
            ++core_->stops;
        }
        thread_.post([core = core_] {
            if (core->device)
                core->device->stop();
            std::lock_guard lock(core->mutex);
            --core->stops;
        });
    }

    QString problem() const override {
        std::lock_guard lock(core_->mutex);
        return core_->problem;
    }

private:
    std::shared_ptr<Core> core_ = std::make_shared<Core>();
    DeviceThread thread_; // declared last: it ends first
};

} // namespace

std::unique_ptr<AudioSource> openThreadedAudioSource(const QString& name, QString* error) {
    soundUsed = true;
    auto source = std::make_unique<ThreadedSource>();
    if (!source->open(name, error))
        return nullptr;
    return source;
}

std::unique_ptr<AudioSink> openThreadedAudioSink(const QString& name, QString* error) {
    soundUsed = true;
    auto sink = std::make_unique<ThreadedSink>();
    if (!sink->open(name, error))
        return nullptr;
    return sink;
}

bool soundThreadsStuck() {
    return stuckThreads.load() > 0;
}

int endAfterSound(int status) {
    if (!soundThreadsStuck() && !soundUsed.load())
        return status;
    std::fflush(nullptr);
    ::_exit(status);
}

} // namespace winorbis::radio::qtsound
