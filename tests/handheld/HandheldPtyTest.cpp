// SPDX-License-Identifier: GPL-3.0-or-later
// The VC-H1 exchange over a real pseudo-terminal: the serial port as the program opens it for the
// converter, and a handheld on the other end that answers as the VC-H1 does.
#include "handheld/HandheldExchange.h"
#include "handheld/HandheldTexts.h"
#include "link/SerialPort.h"
#include "link/TRecThread.h"
#include "platform/Clock.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A VC-H1 on the master side of a pseudo-terminal: it answers every command and its parameters,
// keeps its flags and page records, and records every byte it received.
class PtyHandheld {
public:
    PtyHandheld() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ::grantpt(master_);
        ::unlockpt(master_);
        termios raw{};
        ::tcgetattr(master_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master_, TCSANOW, &raw);
        char name[128] = {};
        ::ptsname_r(master_, name, sizeof name);
        device = QString::fromLocal8Bit(name);
        for (int i = 0; i < 64; ++i)
            block_.append(char(i));
        block_.replace(32, 8, "  DL1AB ");
        block_[43] = 6;
        block_[44] = 15;
        block_[45] = char(160);
        thread_ = std::thread([this] { run(); });
    }
    ~PtyHandheld() {
        stop_ = true;
        thread_.join();
        ::close(master_);
    }
    QByteArray received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    void setSilent(bool silent) { silent_ = silent; }

    QString device;

private:
    void answer(const QByteArray& out) const {
        ASSERT_EQ(::write(master_, out.constData(), std::size_t(out.size())), out.size());
    }
    void take(std::uint8_t byte) {
        {
            std::lock_guard lock(mutex_);
            received_.append(char(byte));
        }
        if (silent_)
            return;
        params_.append(char(byte));
        const auto command = std::uint8_t(params_[0]);
        const int got = int(params_.size()) - 1;
        if (got == 0) {
            if (command == 16)
                answer(bytes({0, flags_, 0}));
            else if (command == 101)
                answer(block_ + bytes({0}));
            else
                answer(bytes({6}));
            if (command == 16 || command == 101)
                params_.clear();
            return;
        }
        const int needed = command == 96                    ? 5
                           : command == 24                  ? 2
                           : command == 97                  ? 7
                           : command >= 20 && command <= 22 ? std::uint8_t(params_[1]) + 2
                                                            : 1;
        if (got < needed)
            return;
        if (command == 96)
            answer(bytes({255, 0, 0, 0, 1, 2}));
        else if (command == 19)
            flags_ = std::uint8_t(params_[1]);
        if (command != 96 && command != 97)
            answer(command == 33 ? bytes({6}) : bytes({6, 0}));
        params_.clear();
    }
    void run() {
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i)
                take(buffer[i]);
        }
    }

    int master_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> silent_{false};
    mutable std::mutex mutex_;
    QByteArray received_;
    QByteArray params_;
    QByteArray block_;
    std::uint8_t flags_ = 0x96;
};

TEST(HandheldOverPty, EveryCommandReachesTheHandheldAndItsAnswersAreKept) {
    PtyHandheld handheld;
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(handheld.device));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    ScriptedDialogs dialogs;
    HandheldData data;
    const MonitorHold hold(nullptr);
    HandheldExchange exchange(port, dialogs, data, hold);

    ASSERT_TRUE(exchange.HandheldReadFlags());
    EXPECT_EQ(data.HandheldFlags, 0x96);
    ASSERT_TRUE(exchange.HandheldReadBlock());
    EXPECT_EQ(data.callSign(), QStringLiteral("DL1AB"));
    EXPECT_EQ(data.callColour(), 6);
    EXPECT_EQ(handheldinterval::ticksToSeconds(data.intervalTicks()), 60);
    for (int index = 0; index < handheldpage::kCount; ++index)
        ASSERT_TRUE(exchange.HandheldReadPageStatus(index)) << index;
    EXPECT_TRUE(data.PageRecords[9].holdsPicture());
    EXPECT_TRUE(exchange.HandheldSetHold(2, true));
    EXPECT_TRUE(exchange.HandheldStorePage(4));
    EXPECT_TRUE(exchange.sendText(HandheldExchange::Text::Message, QStringLiteral("CQ"), 5));
    data.HandheldFlags = 0x17;
    EXPECT_TRUE(exchange.HandheldWriteFlags());
    EXPECT_TRUE(exchange.HandheldWriteInterval(4000));
    EXPECT_TRUE(exchange.HandheldReadFlags());
    EXPECT_EQ(data.HandheldFlags, 0x17);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();

    const QByteArray sent = handheld.received();
    EXPECT_TRUE(sent.startsWith(bytes({16, 101, 96, 2, 4, 0, 8, 3})));
    EXPECT_TRUE(sent.endsWith(bytes({33, 130, 97,  2,   4, 200, 10,   1,  0,  255, 35, 4,
                                     22, 2,   'C', 'Q', 5, 19,  0x17, 24, 15, 160, 16})));
}

TEST(HandheldOverPty, ASilentHandheldIsReported) {
    PtyHandheld handheld;
    handheld.setSilent(true);
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(handheld.device));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    ScriptedDialogs dialogs;
    HandheldData data;
    const MonitorHold hold(nullptr);
    HandheldExchange exchange(port, dialogs, data, hold);
    EXPECT_FALSE(exchange.HandheldRecallPage(1));
    EXPECT_EQ(dialogs.texts(), QStringList{handheldtext::kInactive});
    EXPECT_EQ(handheld.received(), bytes({34}));
}

} // namespace
