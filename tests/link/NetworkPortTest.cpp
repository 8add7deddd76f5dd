// SPDX-License-Identifier: GPL-3.0-or-later
// The network port against a small serial server on loopback in this process (raw, and Telnet
// with com port control): the bytes both ways, time-outs, the far line's pace, refusals, and a
// connection that drops and comes back. The same port against ser2net is tested in
// Ser2netTest.cpp.
#include "link/NetworkPort.h"
#include "link/PortFactory.h"
#include "link/TelnetCodec.h"
#include "platform/Clock.h"
#include "support/VirtualClock.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace winorbis;
using namespace winorbis::telnet;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A serial server for one client at a time on 127.0.0.1. As a Telnet server it answers the
// speed commands as RFC 2217 has it and takes commands out of what it records; raw it records
// every byte. It can refuse clients with a line of text, drop the client, and stop listening.
class LoopbackServer {
public:
    explicit LoopbackServer(bool telnet)
        : telnet_(telnet) {
        listen(0);
        thread_ = std::thread([this] { run(); });
    }
    ~LoopbackServer() {
        stopping_ = true;
        thread_.join();
        closeClient();
        if (listener_ >= 0)
            ::close(listener_);
    }
    int port() const { return port_; }

    void send(const Bytes& bytes) {
        std::lock_guard lock(mutex_);
        if (client_ >= 0)
            ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    void closeClient() {
        std::lock_guard lock(mutex_);
        if (client_ >= 0)
            ::close(client_);
        client_ = -1;
    }
    // Closed by the server's thread, which may be polling it: closed under a poll, a socket
    // would take one more client.
    void stopListening() {
        listening_ = false;
        while (listenerOpen_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void listenAgain() {
        std::lock_guard lock(mutex_);
        listen(port_);
        listening_ = true;
    }
    void refuseWith(const std::string& text) {
        std::lock_guard lock(mutex_);
        refusal_ = text;
    }
    // The data bytes received (commands taken out), every byte as it came, and the speeds set.
    Bytes data() const {
        std::lock_guard lock(mutex_);
        return data_;
    }
    Bytes raw() const {
        std::lock_guard lock(mutex_);
        return raw_;
    }
    std::vector<std::uint32_t> speeds() const {
        std::lock_guard lock(mutex_);
        return speeds_;
    }
    int clients() const { return clients_.load(); }
    bool waitForData(std::size_t count, int ms = 2000) const {
        for (int i = 0; i < ms / 5; ++i) {
            if (data().size() >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    enum class State { Data, Command, Option, Sub, SubCommand };

    void listen(int port) {
        listenerOpen_ = true;
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener_, 4), 0);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }

    void run() {
        while (!stopping_) {
            pollfd p[2];
            int count = 0;
            {
                std::lock_guard lock(mutex_);
                if (!listening_ && listener_ >= 0) {
                    ::close(listener_);
                    listener_ = -1;
                    listenerOpen_ = false;
                }
                if (listener_ >= 0)
                    p[count++] = {listener_, POLLIN, 0};
                if (client_ >= 0)
                    p[count++] = {client_, POLLIN, 0};
            }
            if (::poll(p, nfds_t(count), 10) <= 0)
                continue;
            for (int i = 0; i < count; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                std::lock_guard lock(mutex_);
                if (p[i].fd == listener_)
                    accept();
                else if (p[i].fd == client_)
                    receive();
            }
        }
    }

    void accept() {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (!refusal_.empty() || client_ >= 0) {
            const std::string text = refusal_.empty() ? "Port already in use\r\n" : refusal_;
            ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
            ::close(fd);
            return;
        }
        client_ = fd;
        state_ = State::Data;
        ++clients_;
        if (telnet_) {
            // As serial servers do: binary both ways, and com port control from the client.
            const Bytes hello = {kIac, kDo, kBinary, kIac, kWill, kBinary, kIac, kDo, kComPort};
            ::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL);
        }
    }

    void receive() {
        std::uint8_t buffer[4096];
        const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(client_);
            client_ = -1;
            return;
        }
        raw_.insert(raw_.end(), buffer, buffer + n);
        for (ssize_t i = 0; i < n; ++i)
            take(buffer[i]);
    }

    void take(std::uint8_t byte) {
        if (!telnet_) {
            data_.push_back(byte);
            return;
        }
        switch (state_) {
        case State::Data:
            if (byte == kIac)
                state_ = State::Command;
            else
                data_.push_back(byte);
            break;
        case State::Command:
            state_ = State::Data;
            if (byte == kIac)
                data_.push_back(byte);
            else if (byte == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else if (byte >= kWill)
                state_ = State::Option;
            break;
        case State::Option:
            state_ = State::Data;
            break;
        case State::Sub:
            if (byte == kIac)
                state_ = State::SubCommand;
            else
                sub_.push_back(byte);
            break;
        case State::SubCommand:
            if (byte == kIac) {
                sub_.push_back(byte);
                state_ = State::Sub;
            } else {
                state_ = State::Data;
                subnegotiation();
            }
            break;
        }
    }

    void subnegotiation() {
        if (sub_.size() == 6 && sub_[0] == kComPort && sub_[1] == kSetBaudRate) {
            speeds_.push_back(std::uint32_t(sub_[2]) << 24 | std::uint32_t(sub_[3]) << 16 |
                              std::uint32_t(sub_[4]) << 8 | sub_[5]);
            const Bytes answer = {kIac,    kSb,     kComPort, 101,  sub_[2],
                                  sub_[3], sub_[4], sub_[5],  kIac, kSe};
            ::send(client_, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
    }

    const bool telnet_;
    mutable std::mutex mutex_;
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    std::string refusal_;
    State state_ = State::Data;
    Bytes sub_, data_, raw_;
    std::vector<std::uint32_t> speeds_;
    std::atomic<int> clients_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> listening_{true};
    std::atomic<bool> listenerOpen_{false};
    std::thread thread_;
};

QString url(bool telnet, int port) {
    return QStringLiteral("%1://127.0.0.1:%2").arg(telnet ? "rfc2217" : "tcp").arg(port);
}

Bytes readAll(BytePort& port, std::size_t count) {
    Bytes got(count);
    std::size_t have = 0;
    while (have < count) {
        const int n = port.read(got.data() + have, int(count - have));
        if (n == 0)
            break;
        have += std::size_t(n);
    }
    got.resize(have);
    return got;
}

qint64 timed(const std::function<void()>& f) {
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.elapsed();
}

} // namespace

TEST(NetworkPort, CarriesEveryByteValueBothWaysRawAndThroughTelnet) {
    Bytes all(512);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = std::uint8_t(i % 3 == 0 ? 0xFF : i);
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        LoopbackServer server(telnet);
        SystemClock clock;
        QString error;
        const auto port =
            openPort(url(telnet, server.port()), LinkSpeed::Baud115200, clock, &error);
        ASSERT_TRUE(port) << error.toStdString();
        EXPECT_EQ(port->kind(), "network port");
        EXPECT_EQ(port->name(), QStringLiteral("127.0.0.1:%1").arg(server.port()));
        EXPECT_EQ(port->baudRate(), 115200);

        ASSERT_TRUE(port->write(all.data(), int(all.size())));
        ASSERT_TRUE(port->writeByte(0xFF));
        port->drain();
        ASSERT_TRUE(server.waitForData(all.size() + 1));
        Bytes expected = all;
        expected.push_back(0xFF);
        EXPECT_EQ(server.data(), expected);
        if (telnet) {
            EXPECT_EQ(server.speeds(), std::vector<std::uint32_t>{115200});
            EXPECT_GT(server.raw().size(), all.size() + 172) << "0xFF went out doubled";
        } else {
            EXPECT_EQ(server.raw(), expected);
        }

        // The answer comes in pieces with commands among them, when the server speaks Telnet.
        Bytes stream;
        for (std::size_t i = 0; i < all.size(); ++i) {
            stream.push_back(all[i]);
            if (all[i] == 0xFF && telnet)
                stream.push_back(0xFF);
            if (telnet && i % 50 == 7)
                stream.insert(stream.end(), {kIac, 241, kIac, kSb, kComPort, 106, 0x60, kIac, kSe});
        }
        for (std::size_t at = 0; at < stream.size(); at += 97)
            server.send(Bytes(stream.begin() + std::ptrdiff_t(at),
                              stream.begin() + std::ptrdiff_t(std::min(at + 97, stream.size()))));
        EXPECT_EQ(readAll(*port, all.size()), all);
    }
}

TEST(NetworkPort, ReadsEndByTheirTimeOutsAndTelnetCommandsAloneAreNoInput) {
    LoopbackServer server(true);
    SystemClock clock;
    QString error;
    auto port = openPort(url(true, server.port()), LinkSpeed::Baud115200, clock, &error);
    ASSERT_TRUE(port) << error.toStdString();
    std::uint8_t buffer[10];
    const qint64 empty = timed([&] { EXPECT_EQ(port->read(buffer, 10), 0); });
    EXPECT_GE(empty, 109);
    server.send({0x41, 0x42});
    const qint64 some = timed([&] { EXPECT_EQ(port->read(buffer, 10), 2); });
    EXPECT_LT(some, 100) << "ended by the pause after the last byte";

    const int wake = ::eventfd(0, EFD_CLOEXEC);
    server.send({kIac, 241, kIac, kWill, kEcho});
    std::thread waker([wake] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    });
    EXPECT_EQ(port->waitForInput(wake), BytePort::Wait::Woken);
    waker.join();
    ::close(wake);
    server.send({0x43});
    EXPECT_EQ(port->waitForInput(-1), BytePort::Wait::Input);
    EXPECT_EQ(port->read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 0x43);
}

TEST(NetworkPort, DrainGivesTheBytesTheFarLinesTimeAndASpeedChangeIsSent) {
    LoopbackServer server(true);
    test::VirtualClock clock;
    QString error;
    auto port = openPort(url(true, server.port()), LinkSpeed::Baud1200, clock, &error);
    ASSERT_TRUE(port) << error.toStdString();
    const Bytes line(120, 0x55); // 1 s at 1200 baud
    ASSERT_TRUE(port->write(line.data(), int(line.size())));
    port->drain();
    EXPECT_NEAR(double(clock.elapsedMs()), 1000.0, 30.0);
    port->drain();
    EXPECT_NEAR(double(clock.elapsedMs()), 1000.0, 30.0) << "nothing written since";

    ASSERT_TRUE(port->configure(LinkSpeed::Baud115200));
    EXPECT_EQ(port->baudRate(), 115200);
    ASSERT_TRUE(port->write(line.data(), int(line.size())));
    ASSERT_TRUE(server.waitForData(240));
    EXPECT_EQ(server.speeds(), (std::vector<std::uint32_t>{1200, 115200}));
    EXPECT_FALSE(port->configure(LinkSpeed(3)));
}

TEST(NetworkPort, ARefusedClientFailsWithTheServersReason) {
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        LoopbackServer server(telnet);
        SystemClock clock;
        QString error;
        const auto first =
            openPort(url(telnet, server.port()), LinkSpeed::Baud115200, clock, &error);
        ASSERT_TRUE(first) << error.toStdString();
        EXPECT_FALSE(openPort(url(telnet, server.port()), LinkSpeed::Baud115200, clock, &error));
        EXPECT_EQ(error, "the server refused the connection: Port already in use");
    }
    SystemClock clock;
    QString error;
    LoopbackServer closed(false);
    closed.stopListening();
    EXPECT_FALSE(openPort(url(false, closed.port()), LinkSpeed::Baud115200, clock, &error));
    EXPECT_EQ(error, "Connection refused");
    EXPECT_FALSE(
        openPort("rfc2217://no-such-host.invalid:7000", LinkSpeed::Baud115200, clock, &error));
    EXPECT_TRUE(error.startsWith("the host no-such-host.invalid is unknown"))
        << error.toStdString();
}

TEST(NetworkPort, ADroppedConnectionVanishesOnceAndIsOpenedAgain) {
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "rfc2217" : "tcp");
        LoopbackServer server(telnet);
        SystemClock clock;
        QString error;
        auto port = openPort(url(telnet, server.port()), LinkSpeed::Baud115200, clock, &error);
        ASSERT_TRUE(port) << error.toStdString();
        int gone = 0;
        port->setGoneHandler([&gone] { ++gone; });

        server.closeClient();
        server.stopListening();
        std::uint8_t buffer[4];
        EXPECT_EQ(port->read(buffer, 4), 0);
        EXPECT_TRUE(port->hasVanished());
        // Nothing comes and nothing goes, and no reader spins.
        EXPECT_GE(timed([&] { EXPECT_EQ(port->read(buffer, 4), 0); }), 19);
        EXPECT_FALSE(port->writeByte(0x10));
        EXPECT_EQ(port->waitForInput(-1), BytePort::Wait::Quiet);
        EXPECT_FALSE(port->reopen()) << "nobody listens";
        EXPECT_EQ(gone, 1);

        // A server that refuses while it serves somebody else is no way back either.
        server.refuseWith("Port already in use\r\n");
        server.listenAgain();
        EXPECT_FALSE(port->reopen());
        EXPECT_TRUE(port->lastError().contains("Port already in use"));
        EXPECT_TRUE(port->hasVanished());

        server.refuseWith("");
        ASSERT_TRUE(port->reopen()) << port->lastError().toStdString();
        EXPECT_FALSE(port->hasVanished());
        EXPECT_EQ(server.clients(), 2);
        if (telnet) {
            EXPECT_EQ(server.speeds(), (std::vector<std::uint32_t>{115200, 115200}));
        }
        const std::size_t before = server.data().size();
        ASSERT_TRUE(port->writeByte(0x10));
        ASSERT_TRUE(server.waitForData(before + 1));
        EXPECT_EQ(server.data().back(), 0x10);
        server.send({0x4C});
        EXPECT_EQ(readAll(*port, 1), Bytes{0x4C});

        server.closeClient();
        EXPECT_EQ(port->read(buffer, 1), 0);
        EXPECT_EQ(gone, 2) << "each loss is told once";
    }
}

TEST(NetworkPort, OneThreadReadsWhileAnotherWritesAndAnIdleWaitGivesWayToAReader) {
    LoopbackServer server(true);
    SystemClock clock;
    QString error;
    auto port = openPort(url(true, server.port()), LinkSpeed::Baud115200, clock, &error);
    ASSERT_TRUE(port) << error.toStdString();

    // The monitor waits idle while the program writes and then reads the answer itself, as a
    // hold does: every byte reaches one of them, none is lost or read twice.
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    std::atomic<bool> stop{false};
    std::atomic<int> inputs{0};
    std::thread monitor([&] {
        while (!stop) {
            if (port->waitForInput(wake) == BytePort::Wait::Input) {
                ++inputs;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    });
    Bytes sent(300);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = std::uint8_t(i * 7);
    Bytes answer;
    for (std::size_t i = 0; i < sent.size(); i += 30) {
        ASSERT_TRUE(port->write(sent.data() + i, 30));
        Bytes wire;
        TelnetCodec::encode(sent.data() + i, 30, true, wire);
        server.send(wire);
        const Bytes got = readAll(*port, 30);
        answer.insert(answer.end(), got.begin(), got.end());
        server.send({kIac, 241}); // a command alone, taken in the idle wait
    }
    stop = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    monitor.join();
    ::close(wake);
    EXPECT_EQ(answer, sent);
    ASSERT_TRUE(server.waitForData(sent.size()));
    EXPECT_EQ(server.data(), sent);
}
