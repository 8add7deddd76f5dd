// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterModel.h"
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

// A stand-in for the Orbis 70p on a pseudo-terminal (or a serial device wired to the program's
// port). It owns the line: a thread reads what the program writes, feeds it to the converter
// model (ConverterModel, which decides every answer) and writes the answers back, at once or at
// the pace of the real line; it closes the line when the model says so. Receptions and faults are
// scripted by a test or an operator from any thread; every step goes to the log handler.
class ConverterSimulator {
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

    explicit ConverterSimulator(Options options);
    ConverterSimulator()
        : ConverterSimulator(Options{}) {}
    ~ConverterSimulator();
    ConverterSimulator(const ConverterSimulator&) = delete;
    ConverterSimulator& operator=(const ConverterSimulator&) = delete;

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

    // Faults and answers.
    void setIdentifyAnswer(std::uint8_t byte);
    void setSilent(bool silent);
    bool isSilent() const;
    // The fetch line L (1..256) of the next fetches is not sent.
    void dropFetchLine(int line);
    // Only the first count bytes of fetch line L (1..256) are sent; the converter stays there.
    void cutFetchLine(int line, int count);
    // Sends count bytes that mean nothing before each acknowledge and each answer.
    void setGarbageBeforeAnswers(int count);
    // Closes the line after count lines of a transfer (upload or fetch); 0 never.
    void closeAfterLines(int count);
    // Sends bytes at once, as a disturbed line would.
    void injectBytes(const QByteArray& bytes);

    // A reception off the air: the picture (scaled into 420 x 256) lands in the active memory,
    // then the converter sends the status byte.
    void receive(std::uint8_t statusByte, const QImage& picture);
    // Sends a status byte alone (68 and 72 carry no mode).
    void sendStatus(std::uint8_t statusByte);

    // Puts the model's commands on another radio (ConverterModel::setRadio), which must outlive
    // the simulator; its calls come from the line's thread.
    void setRadio(ConverterRadio* radio);
    // Runs call on the model under the simulator's lock, from any thread, and carries out what it
    // returns (its bytes to the line).
    void withModel(const std::function<ConverterModel::Output(ConverterModel&)>& call);

    // What the converter holds and has seen.
    int activeMemory() const; // 1 or 2
    QByteArray memoryLine(int memory, int line) const;
    QImage memoryPicture(int memory) const;
    // Every byte the program wrote, in order.
    QByteArray received() const;
    // One line per command understood: "identify", "transmit Martin 2", "free run M1", ...
    QStringList events() const;
    // Waits until events() holds at least count lines or timeoutMs passes; true when it does.
    bool waitForEvents(int count, int timeoutMs) const;

    // The picture the camera input shows; each digitise moves its marker.
    static QImage cameraPicture(int frameNumber) {
        return ConverterModel::cameraPicture(frameNumber);
    }

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
};

} // namespace winorbis
