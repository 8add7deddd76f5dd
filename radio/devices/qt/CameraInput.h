// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/devices/SoundSystem.h"

#include <QCamera>
#include <QImage>
#include <QMediaCaptureSession>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVideoSink>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

class QVideoFrame;

namespace winorbis::radio::qtsound {

// The names an operator may give for a camera: each camera's description as the system lists it
// (QMediaDevices), the default first.
QStringList cameraNames();

// The converter's video input on a camera, through Qt Multimedia (V4L2 underneath on Linux): the
// camera runs while the object lives, and the last frame it gave is kept for a digitize. Made and
// used on a thread with an event loop; lastFrame() may be called from any thread.
class CameraInput final : public QObject, public VideoInput {
    Q_OBJECT
public:
    // The camera of that description or id; null with the reason (no such camera, with the
    // cameras there are) when there is none.
    static std::unique_ptr<CameraInput> open(const QString& name, QString* error);
    ~CameraInput() override;

    // The last frame, at the camera's size; null when none has come yet.
    QImage lastFrame() const override;
    // Empty while the camera works; else what went wrong.
    QString problem() const override;
    // Told once when the camera fails.
    void setProblemHandler(std::function<void(const QString&)> handler) override {
        onProblem_ = std::move(handler);
    }

private:
    explicit CameraInput(const QCameraDevice& device);
    void take(const QVideoFrame& frame);

    QCamera camera_;
    QMediaCaptureSession session_;
    QVideoSink sink_;
    std::function<void(const QString&)> onProblem_;
    // A frame is made into a picture at most this often; the camera gives far more.
    std::chrono::steady_clock::time_point lastTaken_;
    mutable std::mutex mutex_; // guards frame_ and problem_
    QImage frame_;
    QString problem_;
};

} // namespace winorbis::radio::qtsound
