// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterLink.h"
#include "PictureTransfer.h"
#include "TRecThread.h"

#include "converter/Converter.h"
#include "platform/ThreadHandoff.h"

#include <atomic>
#include <memory>

namespace winorbis {

class Clock;
class CommandGate;

// The Orbis 70p box as the station's converter, over any port of the port factory (a serial
// device, a pseudo-terminal, rfc2217://, tcp://). Its worker is the receive monitor (TRecThread),
// which runs the station's jobs between its passes; the monitor's window calls go to the
// reception's MonitorHost through the command gate, as ConverterLink.h says. The identify of the
// start runs on the face's thread, before the worker starts.
class BoxConverter final : public Converter, private ConverterOperations {
    Q_OBJECT
public:
    // kind: what the status bar calls it ("Orbis 70p", "simulated Orbis 70p").
    BoxConverter(std::unique_ptr<BytePort> port, const QString& kind, Clock& clock,
                 CommandGate& gate, MonitorHost& host, QObject* parent = nullptr);
    ~BoxConverter() override;

    const ConverterCapabilities& capabilities() const override { return capabilities_; }
    QString deviceName() const override { return link_.deviceName(); }
    std::uint8_t identity() const override { return identity_; }
    bool idle() const override { return link_.isIdle(); }
    bool converterLost() const override { return link_.converterLost(); }
    QString lostText() const override { return link_.lostText(); }
    // Opens the port a device names (PortFactory.h) on the face's thread, with "No response from
    // the interface" on the failure sink when it cannot; before start() only. False on failure:
    // the converter then answers nothing.
    bool open(LinkSpeed speed, const QString& device, const LinkFailureSink& failures);
    // Identifies the converter on the face's thread, with the beep and the no-connection box on
    // the failure sink when it does not answer; before start() only.
    std::uint8_t identify(const LinkFailureSink& failures);
    // The same without beep, box or note (a converter switched to in the setup window).
    std::uint8_t identifyQuietly() { return identity_ = link_.identifyQuietly(); }
    void start(bool reconnect) override;
    void stop() override;
    void run(Job job, bool attended, std::function<void(const Result&)> done) override;
    bool busy() const override { return pending_ > 0; }
    void endReception() override { monitor_.endReception(); }

    ConverterLink& link() { return link_; }
    TRecThread& monitor() { return monitor_; }

private:
    // ConverterOperations, on the worker.
    bool upload(const QImage& picture) override;
    bool fetch(QImage& picture, const std::function<void(int row)>& rowDone) override;
    void transmit(ModeId mode) override;
    void digitize() override;
    void selectMemory(int number) override;
    void freeRun(ModeId mode) override;
    void stopReception() override;
    bool pause(int ms) override;
    bool lost() const override { return link_.converterLost(); }
    QString lastFailure() const override { return link_.lastFailure(); }
    void say(const QString& text) override {
        toFace([this, text] { emit statusText(text); });
    }
    void removeFrames() override {
        toFace([this] { emit framesRemoved(); });
    }
    // Emits on the face's thread: from the worker through toFace_, at once on the face's thread.
    void toFace(std::function<void()> emission) { toFace_.post(std::move(emission), true); }

    void reportFailure(const LinkFailure& failure);

    Clock& clock_;
    // The jobs' results to the face's thread; made before the worker, which posts to it.
    threading::HandoverQueue toFace_;
    ConverterCapabilities capabilities_;
    ConverterLink link_;
    PictureTransfer transfer_;
    TRecThread monitor_;
    std::uint8_t identity_ = 0;
    int pending_ = 0; // jobs given and not yet done, the face's own
    // Set while the identify of the start shows its failures.
    LinkFailureSink startFailures_;
    std::atomic<bool> stopping_{false};
};

} // namespace winorbis
