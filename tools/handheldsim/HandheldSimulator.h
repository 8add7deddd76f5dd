// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HandheldModel.h"
#include "converter/SimulatedLine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace winorbis {

// A stand-in for a VC-H1 handheld on a pseudo-terminal (or a serial device wired to the
// program's port). A thread reads what the program writes, feeds it to the handheld model
// (HandheldModel, which decides every answer) and writes the answers back, a late one after its
// delay. Presets and faults are applied from any thread; every command goes to the log handler.
class HandheldSimulator {
public:
    struct Options {
        // One line per command understood: "read flags", "store P4", "hold record P3 255", ...
        std::function<void(const QString&)> log = {};
    };

    explicit HandheldSimulator(Options options);
    HandheldSimulator()
        : HandheldSimulator(Options{}) {}
    ~HandheldSimulator();
    HandheldSimulator(const HandheldSimulator&) = delete;
    HandheldSimulator& operator=(const HandheldSimulator&) = delete;

    // Opens a pseudo-terminal, already raw; the program opens devicePath. Starts serving.
    bool openPseudoTerminal(QString* devicePath, QString* error);
    // Serves on a serial device at the line speed (1200 or 115200 baud).
    bool openDevice(const QString& device, LinkSpeed speed, QString* error);
    void stop();

    // A preset or fault line (HandheldModel::apply).
    bool apply(const QString& line, QString* error = nullptr);
    bool applyAll(const QString& text, QString* error = nullptr);
    // A copy of the handheld's state.
    HandheldModel model() const;

    // Every byte the program wrote, in order.
    QByteArray received() const;
    // The model's events, in order.
    QStringList events() const;
    // Waits until events() holds at least count lines or timeoutMs passes; true when it does.
    bool waitForEvents(int count, int timeoutMs) const;

private:
    void serve();

    Options options_;
    SimulatedLine line_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    HandheldModel model_;
    QByteArray received_;
    QStringList events_;
};

} // namespace winorbis
