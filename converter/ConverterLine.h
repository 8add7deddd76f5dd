// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterFaults.h"
#include "ConverterModel.h"
#include "ConverterRecord.h"
#include "SimulatedLine.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace winorbis {

// The converter model served on a line: a pseudo-terminal (or a serial device wired to the
// program's port), behind a stable name that can come and go as a USB adapter's does. It owns the
// line: a thread reads what the program writes, passes it through the fault layer
// (ConverterFaults, nothing switched on unless the simulator does) to the converter model, which
// decides every answer, and writes the answers back, at once or at the pace of the real line; it
// closes the line when the faults say so. It keeps a bounded record of what the converter
// received and did (ConverterRecord). The simulator and the sound-card converter are built on it;
// the model and the faults are reached from any thread through withModel() and withFaults().
class ConverterLine {
public:
    struct Options {
        std::uint8_t identifyAnswer = 76;
        // Sends and takes bytes at the pace of the real line (10 bits per byte) instead of at
        // once.
        bool paced = false;
        int baud = 115200;
        // Every step: each command and each line of a transfer.
        std::function<void(const QString&)> log = {};
        // Failures of the line itself.
        std::function<void(const QString&)> error = {};
    };

    explicit ConverterLine(Options options);
    ConverterLine()
        : ConverterLine(Options{}) {}
    ~ConverterLine();
    ConverterLine(const ConverterLine&) = delete;
    ConverterLine& operator=(const ConverterLine&) = delete;

    // Opens a pseudo-terminal, already raw; the program opens devicePath. Starts serving.
    bool openPseudoTerminal(QString* devicePath, QString* error);
    // The same behind a stable name: linkPath becomes a symbolic link to the pseudo-terminal, as
    // a USB adapter has its name under /dev/serial/by-id; the program opens linkPath. An existing
    // file of that name that is no symbolic link is left alone and fails the open.
    bool openPseudoTerminalAt(const QString& linkPath, QString* error);
    // Unplugs the converter as a USB adapter is pulled out: the line closes and the stable name
    // disappears. The converter keeps its memories.
    void unplug();
    // Plugs it in again: a new pseudo-terminal behind the same stable name, served at once.
    bool plugIn(QString* error);
    // The stable name, empty for a line without one.
    QString linkPath() const { return linkPath_; }
    // Serves on a serial device at the line speed (1200 or 115200 baud).
    bool openDevice(const QString& device, LinkSpeed speed, QString* error);
    // Stops serving and closes the line.
    void stop();
    // Closes the line as a device that goes away would: the program's reads find it gone.
    void closeLine();
    bool isRunning() const { return running_.load(); }

    // Sends bytes at once, as a disturbed line would.
    void injectBytes(const QByteArray& bytes);

    // Puts the model's commands on another radio (ConverterModel::setRadio), which must outlive
    // the line; its calls come from the line's thread.
    void setRadio(ConverterRadio* radio);
    // Runs call on the model under the line's lock, from any thread, and carries out what it
    // returns (its bytes to the line).
    void withModel(const std::function<ConverterModel::Output(ConverterModel&)>& call);
    // Runs call on the fault layer under the line's lock, from any thread.
    void withFaults(const std::function<void(ConverterFaults&)>& call);
    // The faults switched on now.
    ConverterFaults faults() const;

    // What the converter holds and has seen.
    int activeMemory() const; // 1 or 2
    QByteArray memoryLine(int memory, int line) const;
    QImage memoryPicture(int memory) const;
    // The bytes the program wrote, in order: the count of all, the last ones kept
    // (ReceivedBytes).
    ReceivedBytes received() const;
    // One line per command understood, the last ConverterRecord::kEvents of them: "identify",
    // "transmit Martin 2", "free run M1", ...
    QStringList events() const;
    // Waits until count events have happened since the start (events() keeps only the last
    // ones) or timeoutMs passes; true when they have.
    bool waitForEvents(qsizetype count, int timeoutMs) const;

private:
    void startServing();
    void serve();
    // Carries out what the model decided: log, bytes, closing the line.
    void carryOut(const ConverterModel::Output& out);
    void writeRaw(const QByteArray& bytes);
    std::chrono::steady_clock::duration lineTime(qsizetype bytes) const;
    // Sleeps until the bytes have passed the line after the ones before them.
    void pace(std::chrono::steady_clock::time_point& lineFree, qsizetype bytes) const;
    void log(const QString& text) const;
    void error(const QString& text) const;
    void shutLine();

    Options options_;
    QString linkPath_;
    // Its end is closed under writeMutex_, which every write holds.
    SimulatedLine line_;
    std::atomic<bool> running_{false};
    std::mutex writeMutex_;
    std::chrono::steady_clock::time_point outputFree_{};
    std::chrono::steady_clock::time_point inputFree_{};
    std::chrono::steady_clock::time_point lastByte_{};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    ConverterModel model_;
    ConverterFaults faults_;
    ConverterRecord record_;
};

} // namespace winorbis
