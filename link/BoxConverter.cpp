// SPDX-License-Identifier: GPL-3.0-or-later
#include "BoxConverter.h"

#include "platform/ThreadHandoff.h"

#include "converter/Modes.h"

#include "platform/Clock.h"
#include "platform/ConsoleNotes.h"

#include <QMetaObject>

namespace winorbis {

BoxConverter::BoxConverter(std::unique_ptr<BytePort> port, const QString& kind, Clock& clock,
                           CommandGate& gate, MonitorHost& host, QObject* parent)
    : Converter(parent)
    , clock_(clock)
    , link_(clock, [this](const LinkFailure& failure) { reportFailure(failure); })
    , transfer_(link_, clock)
    , monitor_(link_, gate, host, clock) {
    link_.attachPort(std::move(port));
    capabilities_.kind = kind;
    for (std::size_t i = 0; i < boxModeRows().size(); ++i)
        capabilities_.modes.push_back(ModeId(i));
    capabilities_.memories = true;
    capabilities_.digitize = true;
    capabilities_.freeRun = true;
    capabilities_.fetchesReceptions = true;
    capabilities_.digitizeSettleMs = 14000;
    transfer_.setProgress([this](int position, int maximum) {
        toFace([this, position, maximum] { emit progress(position, maximum); });
    });
}

BoxConverter::~BoxConverter() {
    stop();
}

bool BoxConverter::open(LinkSpeed speed, const QString& device, const LinkFailureSink& failures) {
    startFailures_ = failures;
    const bool opened = link_.OpenConverterPort(speed, device);
    startFailures_ = {};
    return opened;
}

std::uint8_t BoxConverter::identify(const LinkFailureSink& failures) {
    startFailures_ = failures;
    identity_ = link_.IdentifyConverter();
    startFailures_ = {};
    return identity_;
}

void BoxConverter::start(bool reconnect) {
    threading::prepareHandovers();
    monitor_.setReconnecting(reconnect);
    monitor_.start();
}

void BoxConverter::stop() {
    stopping_ = true;
    monitor_.stop();
}

void BoxConverter::run(Job job, bool attended, std::function<void(const Result&)> done) {
    ++pending_;
    // The operator's failures and automatic work's both go to the face (failed), whose dialogs
    // know which it is.
    (void)attended;
    monitor_.post([this, job = std::move(job), done = std::move(done)]() mutable {
        link_.clearFailure();
        const Result result = job(*this);
        // The result and its handler go to the face's thread; so does every capture of the
        // handler, which is destroyed there.
        toFace_.post([this, done = std::move(done), result] {
            --pending_;
            if (done)
                done(result);
        });
    });
}

void BoxConverter::reportFailure(const LinkFailure& failure) {
    if (startFailures_) {
        startFailures_(failure);
        return;
    }
    // On the worker: to the face's thread, where the operator's job shows it in a box and
    // automatic work (its dialogs unattended) on standard error.
    toFace([this, failure] { emit failed(failure); });
}

bool BoxConverter::upload(const QImage& picture) {
    // The worker is the monitor: it is off the port while the job runs.
    return transfer_.UploadPicture(picture, MonitorHold(nullptr));
}

bool BoxConverter::fetch(QImage& picture, const std::function<void(int row)>& rowDone) {
    return transfer_.FetchPicture(picture, MonitorHold(nullptr), [&](int row) {
        if (rowDone)
            rowDone(row);
        toFace([this, row, copy = picture.copy()] { emit lineArrived(row, copy); });
    });
}

void BoxConverter::transmit(ModeId id) {
    const auto& box = mode(id).box;
    if (!box)
        return; // the station offers the box's modes only
    link_.SendCommandByte(box->txByte);
    toFace([this, ms = box->receiveWaitMs] { emit transmissionStarted(ms); });
}

void BoxConverter::digitize() {
    link_.SendCommandByte(command::kDigitize);
}

void BoxConverter::selectMemory(int number) {
    link_.SendCommandByte(number == 1 ? command::kMemory1 : command::kMemory2);
}

void BoxConverter::freeRun(ModeId id) {
    if (const auto& box = mode(id).box)
        link_.SendCommandByte(box->freeRunByte);
}

void BoxConverter::stopReception() {
    link_.SendCommandByte(command::kBeginTransfer);
}

bool BoxConverter::pause(int ms) {
    return clock_.workerWait(ms, &stopping_);
}

} // namespace winorbis
