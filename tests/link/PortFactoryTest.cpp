// SPDX-License-Identifier: GPL-3.0-or-later
// Port names, and what the factory and the link do with a name that cannot be a port: nothing
// is left open, and nothing is ever written to it.
#include "link/PortFactory.h"
#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/TRecThread.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace winorbis;
using winorbis::test::ScriptedDialogs;

TEST(PortName, NamesADeviceOrAServerAndSaysWhatIsWrongWithAMalformedOne) {
    using Kind = PortAddress::Kind;
    struct Case {
        QString name;
        Kind kind;
        QString device, host;
        int port;
    };
    const Case good[] = {
        {"/dev/ttyUSB0", Kind::SerialDevice, "/dev/ttyUSB0", "", 0},
        {" /dev/serial/by-id/usb-FTDI_FT232R-if00-port0 ", Kind::SerialDevice,
         "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", "", 0},
        {"./Orbis70p", Kind::SerialDevice, "./Orbis70p", "", 0},
        {"rfc2217://shack.example.org:7000", Kind::Rfc2217, "", "shack.example.org", 7000},
        {"RFC2217://127.0.0.1:2217", Kind::Rfc2217, "", "127.0.0.1", 2217},
        {"tcp://10.0.0.5:65535", Kind::Tcp, "", "10.0.0.5", 65535},
        {"rfc2217://[::1]:7000", Kind::Rfc2217, "", "::1", 7000},
    };
    for (const Case& c : good) {
        SCOPED_TRACE(c.name.toStdString());
        const auto address = PortAddress::parse(c.name);
        ASSERT_TRUE(address);
        EXPECT_EQ(address->kind, c.kind);
        EXPECT_EQ(address->device, c.device);
        EXPECT_EQ(address->host, c.host);
        EXPECT_EQ(address->port, c.port);
        EXPECT_TRUE(portNameProblem(c.name).isEmpty());
    }
    const std::pair<QString, QString> bad[] = {
        {"", "no device"},
        {"rfc2217://host", "rfc2217://host: the address needs HOST:PORT"},
        {"tcp://:7000", "tcp://:7000: the address needs a host"},
        {"tcp://host:0", "tcp://host:0: the TCP port must be a number from 1 to 65535"},
        {"tcp://host:65536", "tcp://host:65536: the TCP port must be a number from 1 to 65535"},
        {"tcp://host:telnet", "tcp://host:telnet: the TCP port must be a number from 1 to 65535"},
        {"rfc2217://::1:7000", "rfc2217://::1:7000: the address needs HOST:PORT"},
        {"telnet://host:23",
         "telnet://host:23: only rfc2217://HOST:PORT and tcp://HOST:PORT name network ports"},
    };
    for (const auto& [name, problem] : bad) {
        EXPECT_FALSE(PortAddress::parse(name)) << name.toStdString();
        EXPECT_EQ(portNameProblem(name), problem);
    }
}

TEST(PortFactory, ARegularFileNamedAsPortIsNeverWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.txt");
    const QByteArray contents("the converter is on COM2\n");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    const auto unchanged = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.readAll() == contents;
    };
    test::VirtualClock clock;
    QString error;
    EXPECT_FALSE(openPort(path, LinkSpeed::Baud115200, clock, &error));
    EXPECT_FALSE(error.isEmpty());
    // Nothing of the file stays open in this process.
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System))
        EXPECT_NE(fd.symLinkTarget(), QFileInfo(path).canonicalFilePath());

    // The link's whole life on it: open, identify, commands, the monitor, and the end.
    ScriptedDialogs dialogs;
    {
        ConverterLink link(clock, failureBoxes(dialogs));
        EXPECT_FALSE(link.OpenConverterPort(LinkSpeed::Baud115200, path));
        EXPECT_EQ(link.IdentifyConverter(), 0);
        link.SendCommandByte(0x24);
        EXPECT_FALSE(link.SendCommandAwaitAck(0x01));
        CommandGate gate;
        SilentMonitorHost host;
        TRecThread monitor(link, gate, host, clock);
        monitor.start();
        ::usleep(50'000);
        monitor.stop();
        EXPECT_EQ(link.deviceName(), path);
    }
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(dialogs.texts().first(), "No response from the interface");
}
