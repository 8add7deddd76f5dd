// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Threading rules of a converter
// ------------------------------
// A converter has one worker thread, which alone uses its port or its sound devices. The worker
// watches for receptions while it has nothing else to do, and runs the jobs the station gives it
// one after the other, in the order given; while a job runs it watches nothing.
// - The station and its faces live on one thread, the face's (the window's, orbisctl's). They call
//   Converter from there only, and hear from it through its signals, which always arrive there,
//   queued, as values.
// - A job runs on the worker and reaches the converter only through the ConverterOperations it
//   is given, which block the worker, never the face. What it has to say goes through the
//   operations' say() and the converter's signals; its result arrives with done() on the face's
//   thread.
// - stop() ends the worker (the program ends): a job that runs stops at its next step, later jobs
//   are dropped unrun, and no signal comes after stop() has returned.
// The box's worker is its receive monitor; link/ConverterLink.h has the rules of its port.

#include "ConverterPresence.h"
#include "LinkFailure.h"
#include "converter/Modes.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace winorbis {

// What a converter can do; the faces offer what the converter in use can do.
struct ConverterCapabilities {
    // For the status bar and the web page: "Orbis 70p", "sound card", "simulated Orbis 70p".
    QString kind;
    // The modes it sends and receives.
    std::vector<ModeId> modes;
    bool memories = false; // two picture memories, switched by command
    bool digitize = false; // a video input that a digitize puts into memory
    bool freeRun = false;  // receives in one mode until stopped
    // A received picture is fetched from the converter's memory when its reception time has run
    // out (the box); otherwise it comes line by line while it is received, at its mode's size.
    bool fetchesReceptions = false;
    // How long a digitize takes to settle before the picture may be sent (the box's camera).
    int digitizeSettleMs = 0;
    // Takes a picture of any size and scales it to the mode itself (the sound card); the box
    // takes its memory's 410 x 256.
    bool anySize = false;
};

// The converter's operations for a job, on its worker thread. Each blocks until done; none may
// be called from another thread.
class ConverterOperations {
public:
    virtual ~ConverterOperations() = default;
    // The picture into the converter's memory (the box: a transfer of its lines; the sound card:
    // the picture it sends next, at the resolution given). False when it failed.
    virtual bool upload(const QImage& picture) = 0;
    // The converter's memory into picture; rowDone after each row that arrived. False when not
    // every row came; what came stays in picture.
    virtual bool fetch(QImage& picture, const std::function<void(int row)>& rowDone) = 0;
    // Sends the memory picture in the mode.
    virtual void transmit(ModeId mode) = 0;
    // The video input into memory.
    virtual void digitize() = 0;
    virtual void selectMemory(int number) = 0;
    virtual void freeRun(ModeId mode) = 0;
    // Ends a reception or a free run (and a transmission).
    virtual void stopReception() = 0;
    // Waits ms; false when the program ends meanwhile: the job then sends nothing more.
    [[nodiscard]] virtual bool pause(int ms) = 0;
    // True while the converter is lost (its device gone): a job ends at once with lostText().
    virtual bool lost() const = 0;
    virtual QString lostText() const = 0;
    // The failure of the last operation that failed, empty when none did.
    virtual QString lastFailure() const = 0;
    // A status text for the faces, in order with the converter's other signals.
    virtual void say(const QString& text) = 0;
    // The faces' caption frames go, as before every converter command.
    virtual void removeFrames() = 0;
};

// A converter as the station drives it: the box over a port, the sound card in the program. It
// lives on the face's thread; its I/O runs on its worker (threading rules above).
class Converter : public QObject {
    Q_OBJECT
public:
    struct Result {
        bool complete = true; // every step went through
        QString failure;      // the first failure, empty when none
    };
    using Job = std::function<Result(ConverterOperations&)>;

    using QObject::QObject;
    ~Converter() override = default;

    virtual const ConverterCapabilities& capabilities() const = 0;
    // The device or line the converter is on, for messages ("/dev/ttyUSB0", "HOST:PORT"); empty
    // when it has none.
    virtual QString deviceName() const = 0;
    // The converter's identify answer (the box's kind byte), 0 when it did not answer.
    virtual std::uint8_t identity() const = 0;
    // True while no reception runs (nothing announced, or its time over); may be asked on any
    // thread.
    virtual bool idle() const = 0;
    // True while the converter is lost (its device gone); may be asked on any thread.
    virtual bool converterLost() const = 0;
    // "Connection to the converter lost: waiting for NAME".
    virtual QString lostText() const = 0;

    // The callsign sent in FSK after each picture from now on, by a converter that can (the
    // sound card); empty for none. Called on the face's thread.
    virtual void setFskId(const QString& callsign) { (void)callsign; }

    // Starts the worker: the converter is identified, and watched for receptions from then on.
    // reconnect: a device that vanishes is opened again every second.
    virtual void start(bool reconnect) = 0;
    // Ends the worker (threading rules above).
    virtual void stop() = 0;
    // Runs job on the worker after the jobs before it; done on the face's thread with its result.
    // A job dropped by stop() never calls done. The operator's jobs (attended) show their
    // failures in boxes (failed()); automatic work only on standard error and in its result.
    virtual void run(Job job, bool attended, std::function<void(const Result&)> done) = 0;
    // True from run() until its done has been called, for the last job given.
    virtual bool busy() const = 0;

    // The station's end of a reception (its time has run out, or the receive stop): the worker
    // watches again. The box waits for it; the sound card ends its receptions by itself.
    virtual void endReception() = 0;

signals:
    // A reception has begun by itself (the sound card; the box announces through its monitor):
    // the status byte of its mode when the box has one (else 0), the mode, its name and the time
    // it takes.
    void announced(std::uint8_t status, std::optional<ModeId> mode, const QString& modeName,
                   int airMs);
    // A row of a picture has arrived, at the picture's own size: while it is received (the sound
    // card) or fetched (the box).
    void lineArrived(int row, const QImage& picture);
    // A reception has ended by itself with its picture at its mode's size (the sound card),
    // complete or cut short, with the callsign sent in FSK after it (empty when none came).
    void pictureReceived(const QImage& picture, const QString& modeName, bool complete,
                         const QString& callsign);
    // A row of the capture's spectrum (modem::Waterfall), while the sound card listens.
    void waterfall(const QByteArray& magnitudes);
    // The converter's device has gone, or answers again.
    void presenceChanged(ConverterPresence presence);
    // A transfer's progress, as the segmented progress bar shows it.
    void progress(int position, int maximum);
    // A status text (a job's say(), the converter's own notes).
    void statusText(const QString& text);
    // The faces' caption frames go (before a converter command).
    void framesRemoved();
    // A converter exchange of the operator's job failed: the faces show it in a box.
    void failed(const LinkFailure& failure);
    // The clock error measured on the last picture received (the sound card), in ppm.
    void clockError(double ppm);
    // A transmission has begun; it takes totalMs.
    void transmissionStarted(int totalMs);
};

} // namespace winorbis
