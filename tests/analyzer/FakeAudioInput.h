// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analyzer/AnalyzerTexts.h"
#include "analyzer/AudioInput.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace winorbis::test {

// A recording input fed from the test: it records every call, refuses to open or start when told
// to, and hands over the samples the test feeds while it is started.
class FakeAudioInput final : public AudioInput {
public:
    // An input of a machine without a recording device.
    FakeAudioInput& withoutDevices() {
        present.clear();
        openError = analyzertexts::noRecordingDevice;
        return *this;
    }

    QList<RecordingDevice> present = {{"default-id", "Built-in Audio"}};
    QString openError;
    QString startError;

    QStringList calls;
    RecordingFormat format;
    QString openedDevice;
    bool opened = false;
    bool started = false;
    // Samples still held by the input when it is stopped; handed over by stop().
    std::vector<std::uint8_t> pending;

    QList<RecordingDevice> devices() const override { return present; }
    void choose(const QString& id) override { chosen_ = id; }
    QString chosen() const override { return chosen_; }

    QString open(const RecordingFormat& f, DataHandler onData) override {
        calls << "open";
        if (!openError.isEmpty())
            return openError;
        format = f;
        handler_ = std::move(onData);
        const bool present = std::any_of(this->present.begin(), this->present.end(),
                                         [&](const RecordingDevice& d) { return d.id == chosen_; });
        openedDevice = present ? chosen_ : this->present.value(0).id;
        opened = true;
        return {};
    }
    QString start() override {
        calls << "start";
        if (!startError.isEmpty())
            return startError;
        started = opened;
        return {};
    }
    void stop() override {
        calls << "stop";
        if (started && !pending.empty() && handler_) {
            const std::vector<std::uint8_t> rest = std::exchange(pending, {});
            handler_(rest);
        }
        started = false;
    }
    void close() override {
        calls << "close";
        opened = false;
        started = false;
        handler_ = {};
    }

    // Hands samples over as the sound system does while recording; nothing otherwise.
    void feed(std::span<const std::uint8_t> samples) {
        if (started && handler_)
            handler_(samples);
    }

private:
    QString chosen_;
    DataHandler handler_;
};

} // namespace winorbis::test
