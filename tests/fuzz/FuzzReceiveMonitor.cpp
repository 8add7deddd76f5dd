// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the receive monitor reading arbitrary bytes, short reads and gaps from an idle
// line (ScriptPort), driven only through its public interface: the monitor thread, a host that
// records, the command gate and this thread as the user-interface thread, which ends each
// reception as soon as its timer is asked for. The link state is always one of its named values;
// the monitor reads only while the link is idle; it announces exactly the status bytes of the mode
// table and 68 and 72 among the bytes it read, in order, and each announced reception runs its
// course back to idle.
#include "FuzzSupport.h"
#include "ScriptPort.h"

#include "converter/Modes.h"
#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/TRecThread.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QEventLoop>

#include <atomic>

using namespace winorbis;
using fuzz::check;

namespace {

bool isNamed(LinkState state) {
    switch (state) {
    case LinkState::Stop:
    case LinkState::Idle:
    case LinkState::AnnouncedR72:
    case LinkState::AnnouncedR36:
    case LinkState::AnnouncedS2:
    case LinkState::AnnouncedS1:
    case LinkState::AnnouncedM1:
    case LinkState::AnnouncedM2:
    case LinkState::Waiting:
    case LinkState::Ended:
        return true;
    }
    return false;
}

bool isStatus(std::uint8_t byte) {
    return byte == kStatusWaitLong || byte == kStatusWaitLonger || modeByStatus(byte).has_value();
}

// Records the window changes; the end-of-reception timer runs out at once.
class RecordingHost final : public SilentMonitorHost {
public:
    RecordingHost(ConverterLink& link, TRecThread*& monitor)
        : link_(link)
        , monitor_(monitor) {}

    void announce(std::uint8_t status) override {
        checkState();
        check(isStatus(status), "only status bytes are announced");
        check(link_.LastStatus() == status, "LastStatus holds the announced byte");
        check(!inReception, "no announce during a reception");
        announced.append(char(status));
        inReception = true;
    }
    void startReceiveTimer(int intervalMs) override {
        checkState();
        check(inReception, "the receive timer runs only for an announced reception");
        check(link_.linkState() == LinkState::Waiting, "the timer starts while waiting");
        check(intervalMs == receiveWaitMs(std::uint8_t(announced.back())),
              "the timer runs the announced mode's wait");
        monitor_->endReception();
    }
    void stopReceiveTimer() override {
        checkState();
        check(inReception, "the timer stops at the end of a reception");
        inReception = false;
        ++receptionsEnded;
    }
    void setStatusText(const QString&) override { checkState(); }
    void selectRepeaterItem(int item) override {
        checkState();
        check(item >= 0 && item < int(boxModeRows().size()), "a repeater item of the list");
    }

    void checkState() const { check(isNamed(link_.linkState()), "the link state is named"); }

    QByteArray announced;
    bool inReception = false;
    int receptionsEnded = 0;

private:
    ConverterLink& link_;
    TRecThread*& monitor_;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QCoreApplication& app = fuzz::application();
    test::VirtualClock clock;
    test::ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    auto port = std::make_unique<fuzz::ScriptPort>(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    fuzz::ScriptPort* script = port.get();
    std::atomic<bool> readOutsideIdle{false};
    script->onRead = [&] {
        if (link.linkState() != LinkState::Idle)
            readOutsideIdle = true;
    };
    // Wakes this thread's event loop once the monitor idles on a line that has nothing more.
    script->onSilentWait = [&app] {
        QMetaObject::invokeMethod(
            &app, [] {}, Qt::QueuedConnection);
    };
    link.attachPort(std::move(port));

    CommandGate gate;
    TRecThread* monitorPointer = nullptr;
    RecordingHost host(link, monitorPointer);
    {
        TRecThread monitor(link, gate, host, clock);
        monitorPointer = &monitor;
        monitor.start();
        while (!script->silentWaitSeen()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            host.checkState();
        }
        QCoreApplication::processEvents();
        check(link.linkState() == LinkState::Idle, "a monitor with nothing to read is idle");
        monitor.stop();
        check(link.linkState() == LinkState::Ended, "a stopped monitor has ended");
        check(monitor.hasEnded(), "the monitor's loop has ended");
    }
    gate.shut();

    check(!readOutsideIdle, "the monitor reads only while the link is idle");
    QByteArray expected;
    for (char byte : script->delivered()) {
        if (isStatus(std::uint8_t(byte)))
            expected.append(byte);
    }
    check(host.announced == expected, "each status byte read is announced, in order");
    check(!host.inReception && host.receptionsEnded == host.announced.size(),
          "each reception ran back to idle");
    check(script->written().isEmpty(), "the repeater, switched off, sends nothing");
    return 0;
}
