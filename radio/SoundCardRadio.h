// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioPorts.h"
#include "Ptt.h"
#include "SoundCardAir.h"
#include "converter/ConverterModel.h"
#include "converter/ConverterRadio.h"
#include "converter/Modes.h"
#include "modem/SstvDecoder.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace winorbis {
class Clock;
}

namespace winorbis::radio {

// The box's radio side on a sound card, behind the converter's byte model (orbis-modem): the
// air's pictures (SoundCardAir) meet the model's memories here. Transmit commands send the memory
// picture; a picture received is announced with its mode's status byte and lands line by line in
// the active memory, resampled into its 420 x 256 frame, as the converter does.
//
// It owns no thread: its owner calls pump() from its event loop (every 20 ms or so), which does
// all the audio work. The ConverterRadio calls come from the model, on whatever thread feeds it
// bytes; they only queue a request. The model is reached through the owner's ModelAccess, which
// holds the owner's lock and carries out the model's output (its status bytes to the line).
class SoundCardRadio : public ConverterRadio, private SoundCardAir::Listener {
public:
    using ModelCall = std::function<ConverterModel::Output(ConverterModel&)>;
    using ModelAccess = std::function<void(const ModelCall&)>;

    // Source, sink and PTT may be null (no capture, no playback, nothing to key); all must
    // outlive the radio.
    SoundCardRadio(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt,
                   ModelAccess access);
    ~SoundCardRadio() override;

    // One line per event: "Receiving Martin 1 (VIS)", "Transmitting Scottie 2", ...
    void setEventHandler(std::function<void(const QString&)> handler) {
        onEvent_ = std::move(handler);
    }
    // A capture or playback device that fails, and comes back: said once each time.
    void setProblemHandler(std::function<void(const QString&)> handler) {
        onProblem_ = std::move(handler);
    }
    // Each frame row as it lands in memory: the row and the frame so far.
    void setLineHandler(std::function<void(int row, const QImage& frame)> handler) {
        onLine_ = std::move(handler);
    }
    // The sound card's true rate is nominal x (1 + ppm / 1e6); taken at the next picture.
    void setClockPpm(double ppm) { air_.setClockPpm(ppm); }
    double clockPpm() const { return air_.clockPpm(); }
    // The clock error measured on the last picture received, in ppm of the corrected rate.
    std::optional<double> lastClockErrorPpm() const { return air_.lastClockErrorPpm(); }
    // The clock error measured on each picture received, as it ends.
    void setClockHandler(std::function<void(double ppm)> handler) { onClock_ = std::move(handler); }
    // Each picture received as it ends, at its mode's own size, complete or not.
    void setPictureHandler(std::function<void(const sstv::PictureEnd&)> handler) {
        onPicture_ = std::move(handler);
    }
    // The picture file a digitize reads when no camera gives a frame.
    void setDigitizePicture(const QString& path);
    // The camera of this converter: its last frame (null when none has come), asked for on the
    // model's thread at each digitize.
    void setDigitizeCamera(std::function<QImage()> lastFrame);

    // Does the audio work that is due; called regularly from the owner's event loop.
    void pump();
    // The owner ends: a transmission is cut and the PTT released.
    void shutdown() { air_.shutdown(); }

    bool transmitting() const { return air_.transmitting(); }
    bool receiving() const { return air_.receiving(); }
    static constexpr int kWatchdogMs = SoundCardAir::kWatchdogMs;
    static constexpr int kLeadMs = SoundCardAir::kLeadMs;

    // ConverterRadio, from the model's thread.
    void transmit(ModeId mode, std::vector<QByteArray> memoryLines) override;
    void freeRun(ModeId mode) override;
    void stopReception() override;
    QImage digitize() override;

private:
    struct Request {
        enum Kind { Transmit, FreeRun, Stop, Say } kind;
        ModeId mode{};
        std::vector<QByteArray> lines;
        QString text;
    };

    void handle(Request& request);
    // SoundCardAir::Listener
    void said(const QString& text) override;
    void problem(const QString& text) override;
    void receptionStarted(const sstv::PictureStart& start) override;
    void rowReceived(int row, const QImage& picture) override;
    void receptionEnded(const sstv::PictureEnd& end) override;

    SoundCardAir air_;
    ModelAccess access_;
    std::function<void(const QString&)> onEvent_;
    std::function<void(int, const QImage&)> onLine_;
    std::function<void(const QString&)> onProblem_;
    std::function<void(double)> onClock_;
    std::function<void(const sstv::PictureEnd&)> onPicture_;

    std::mutex requestMutex_; // guards requests_, picturePath_ and camera_
    std::deque<Request> requests_;
    QString picturePath_;
    std::function<QImage()> camera_;

    // The picture being received: its mode, the frame so far and the next frame row to fill.
    ModeId rxMode_{};
    QImage frame_;
    int nextRow_ = 0;
    bool boxReception_ = false; // the picture is in one of the box's modes
};

} // namespace winorbis::radio
