// SPDX-License-Identifier: GPL-3.0-or-later
#include "CameraInput.h"

#include <QCameraDevice>
#include <QMediaDevices>
#include <QVideoFrame>

namespace winorbis::radio::qtsound {

namespace {

// Pictures made of the camera's frames per second, at most.
constexpr auto kFrameEvery = std::chrono::milliseconds(200);

} // namespace

QStringList cameraNames() {
    QStringList names;
    const QCameraDevice standard = QMediaDevices::defaultVideoInput();
    if (!standard.isNull())
        names << standard.description();
    for (const QCameraDevice& device : QMediaDevices::videoInputs()) {
        if (device != standard)
            names << device.description();
    }
    return names;
}

std::unique_ptr<CameraInput> CameraInput::open(const QString& name, QString* error) {
    const QList<QCameraDevice> devices = QMediaDevices::videoInputs();
    for (const QCameraDevice& device : devices) {
        if (device.description() == name || QString::fromUtf8(device.id()) == name)
            return std::unique_ptr<CameraInput>(new CameraInput(device));
    }
    if (error) {
        const QStringList there = cameraNames();
        *error = there.isEmpty()
                     ? QStringLiteral("no camera \"%1\": this computer has no camera").arg(name)
                     : QStringLiteral("no camera \"%1\"; the cameras are: %2")
                           .arg(name, there.join(QStringLiteral(", ")));
    }
    return nullptr;
}

CameraInput::CameraInput(const QCameraDevice& device)
    : camera_(device) {
    session_.setCamera(&camera_);
    session_.setVideoSink(&sink_);
    // Frames may come on the camera's own thread; they are taken on this object's.
    connect(&sink_, &QVideoSink::videoFrameChanged, this, &CameraInput::take, Qt::QueuedConnection);
    connect(&camera_, &QCamera::errorOccurred, this, [this](QCamera::Error, const QString& text) {
        const QString why =
            QStringLiteral("Camera %1: %2").arg(camera_.cameraDevice().description(), text);
        {
            std::lock_guard lock(mutex_);
            problem_ = why;
        }
        if (onProblem_)
            onProblem_(why);
    });
    camera_.start();
}

CameraInput::~CameraInput() {
    camera_.stop();
}

void CameraInput::take(const QVideoFrame& frame) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastTaken_ < kFrameEvery)
        return;
    lastTaken_ = now;
    QImage picture = frame.toImage();
    if (picture.isNull())
        return;
    std::lock_guard lock(mutex_);
    frame_ = std::move(picture);
}

QImage CameraInput::lastFrame() const {
    std::lock_guard lock(mutex_);
    return frame_;
}

QString CameraInput::problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

} // namespace winorbis::radio::qtsound
