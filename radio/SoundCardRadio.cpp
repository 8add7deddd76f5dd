// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCardRadio.h"

#include "FrameScaling.h"
#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "modem/SstvEncoder.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace winorbis::radio {

namespace {

namespace pc = pixelcodec;

} // namespace

SoundCardRadio::SoundCardRadio(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt,
                               ModelAccess access)
    : air_(clock, source, sink, ptt)
    , access_(std::move(access)) {
    air_.setListener(this);
}

SoundCardRadio::~SoundCardRadio() {
    air_.setListener(nullptr);
    air_.shutdown();
}

void SoundCardRadio::setDigitizePicture(const QString& path) {
    std::lock_guard lock(requestMutex_);
    picturePath_ = path;
}

void SoundCardRadio::setDigitizeCamera(std::function<QImage()> lastFrame) {
    std::lock_guard lock(requestMutex_);
    camera_ = std::move(lastFrame);
}

void SoundCardRadio::transmit(ModeId mode, std::vector<QByteArray> memoryLines) {
    std::lock_guard lock(requestMutex_);
    requests_.push_back({Request::Transmit, mode, std::move(memoryLines), {}});
}

void SoundCardRadio::freeRun(ModeId mode) {
    std::lock_guard lock(requestMutex_);
    requests_.push_back({Request::FreeRun, mode, {}, {}});
}

void SoundCardRadio::stopReception() {
    std::lock_guard lock(requestMutex_);
    requests_.push_back({Request::Stop, {}, {}, {}});
}

QImage SoundCardRadio::digitize() {
    std::lock_guard lock(requestMutex_);
    const auto said = [this](const QString& text) {
        requests_.push_back({Request::Say, {}, {}, text});
    };
    // The camera's last frame; without one the picture file.
    if (camera_) {
        if (const QImage frame = camera_(); !frame.isNull()) {
            said(QStringLiteral("Digitized the camera's frame"));
            return framescaling::toFrame(frame);
        }
    }
    if (picturePath_.isEmpty()) {
        said(camera_ ? QStringLiteral("No frame from the camera and no picture to digitize")
                     : QStringLiteral("No picture to digitize"));
        return {};
    }
    const QImage picture(picturePath_);
    if (picture.isNull()) {
        said(QStringLiteral("Cannot read the picture %1").arg(picturePath_));
        return {};
    }
    said(QStringLiteral("Digitized %1").arg(picturePath_));
    return framescaling::toFrame(picture);
}

void SoundCardRadio::pump() {
    std::deque<Request> requests;
    {
        std::lock_guard lock(requestMutex_);
        requests.swap(requests_);
    }
    for (Request& request : requests)
        handle(request);
    air_.pump();
}

void SoundCardRadio::handle(Request& request) {
    switch (request.kind) {
    case Request::Transmit:
        // The memory picture at the mode's size, as the box sends its frame.
        air_.transmit(
            framescaling::toMode(framescaling::frameFromLines(request.lines), request.mode),
            request.mode);
        return;
    case Request::FreeRun:
        air_.freeRun(request.mode);
        return;
    case Request::Stop:
        air_.stopReception();
        return;
    case Request::Say:
        said(request.text);
        return;
    }
}

void SoundCardRadio::said(const QString& text) {
    if (onEvent_)
        onEvent_(text);
}

void SoundCardRadio::problem(const QString& text) {
    if (onProblem_)
        onProblem_(text);
}

void SoundCardRadio::receptionStarted(const sstv::PictureStart& start) {
    rxMode_ = start.mode;
    frame_ = QImage(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    frame_.fill(Qt::black);
    nextRow_ = 0;
    // A mode the box does not have is announced to nobody and leaves its memory alone: the
    // program on the line could not fetch it as what it is. (--save keeps it all the same.)
    boxReception_ = isBoxMode(start.mode);
    if (!boxReception_)
        return;
    const std::uint8_t status = mode(start.mode).box->statusByte;
    access_([status](ConverterModel& model) { return model.sendStatus(status); });
}

void SoundCardRadio::rowReceived(int line, const QImage& picture) {
    if (!boxReception_)
        return;
    std::vector<std::pair<int, QByteArray>> rows;
    while (nextRow_ < pc::kFrameLines && framescaling::modeLineForRow(rxMode_, nextRow_) <= line) {
        framescaling::fillRow(picture, rxMode_, nextRow_, frame_);
        rows.emplace_back(nextRow_, pc::encodeImageRow(frame_, nextRow_));
        ++nextRow_;
    }
    if (rows.empty())
        return;
    access_([&rows](ConverterModel& model) {
        for (const auto& [row, bytes] : rows)
            model.setMemoryLine(model.activeMemory(), row, bytes);
        return ConverterModel::Output{};
    });
    if (onLine_)
        for (const auto& [row, bytes] : rows)
            onLine_(row, frame_);
}

void SoundCardRadio::receptionEnded(const sstv::PictureEnd& end) {
    if (onClock_)
        onClock_(end.clockPpm);
    if (onPicture_)
        onPicture_(end);
}

} // namespace winorbis::radio
