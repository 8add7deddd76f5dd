// SPDX-License-Identifier: GPL-3.0-or-later
// Upload plus fetch of a full frame against the simulated converter: over a pseudo-terminal
// answering at once (wall and processor time), and paced at 115200 baud (measured time over the
// time the moved bytes take on the line), directly and across ser2net on 127.0.0.1 (RFC 2217 and
// raw TCP).
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "tools/simulator/ConverterSimulator.h"
#include "tools/simulator/Ser2netServer.h"

#include <QCoreApplication>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <utility>

using namespace winorbis;

namespace {

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Figures {
    double uploadWall = 0, fetchWall = 0, cpu = 0;
    bool ok = false;
};

enum class Transport { PseudoTerminal, Rfc2217, Tcp };

Figures run(bool paced, Transport transport = Transport::PseudoTerminal) {
    ConverterSimulator::Options options;
    options.paced = paced;
    ConverterSimulator sim(options);
    QString device, error;
    Figures f;
    if (!sim.openPseudoTerminal(&device, &error)) {
        std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", qPrintable(error));
        return f;
    }
    std::unique_ptr<Ser2netServer> server;
    if (transport != Transport::PseudoTerminal) {
        server = std::make_unique<Ser2netServer>(device, transport == Transport::Rfc2217);
        if (!server->start(&error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return f;
        }
        device = server->portName();
    }
    SystemClock clock;
    ConsoleDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    if (!link.OpenConverterPort(LinkSpeed::Baud115200, device))
        return f;
    PictureTransfer transfer(link, clock);
    QImage picture(410, 256, QImage::Format_RGB888);
    picture.fill(qRgb(40, 120, 200));
    QImage rx(410, 256, QImage::Format_RGB888);

    const double cpu0 = processSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    const bool uploaded = transfer.UploadPicture(picture, MonitorHold(nullptr));
    const auto t1 = std::chrono::steady_clock::now();
    const bool fetched = transfer.FetchPicture(rx, MonitorHold(nullptr));
    const auto t2 = std::chrono::steady_clock::now();
    f.cpu = processSeconds() - cpu0;
    f.uploadWall = std::chrono::duration<double>(t1 - t0).count();
    f.fetchWall = std::chrono::duration<double>(t2 - t1).count();
    f.ok = uploaded && fetched;
    return f;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Bytes on the line, by direction. Upload: PC 1, 8, header, 255 x (8 + 840); converter one
    // acknowledge per command and two bytes per line acknowledge. Fetch: PC 1 and 256 x 4;
    // converter one acknowledge and 256 x 841.
    const double uploadPc = 2 + 840 + 255.0 * 841, uploadConverter = 2 + 256 * 2 + 255;
    const double fetchPc = 1 + 256, fetchConverter = 1 + 256.0 * 841;
    const double bitsPerByte = 10, baud = 115200;
    const double lineUpload = std::max(uploadPc, uploadConverter) * bitsPerByte / baud;
    const double lineFetch = std::max(fetchPc, fetchConverter) * bitsPerByte / baud;

    const Figures fast = run(false);
    std::printf("transfer at once:   upload %.3f s, fetch %.3f s, together %.3f s wall, %.3f s "
                "processor%s\n",
                fast.uploadWall, fast.fetchWall, fast.uploadWall + fast.fetchWall, fast.cpu,
                fast.ok ? "" : " (FAILED)");
    const Figures paced = run(true);
    std::printf("paced at 115200:    upload %.3f s (line %.3f s, ratio %.3f), fetch %.3f s (line "
                "%.3f s, ratio %.3f), together ratio %.3f%s\n",
                paced.uploadWall, lineUpload, paced.uploadWall / lineUpload, paced.fetchWall,
                lineFetch, paced.fetchWall / lineFetch,
                (paced.uploadWall + paced.fetchWall) / (lineUpload + lineFetch),
                paced.ok ? "" : " (FAILED)");
    bool networkOk = true;
    for (const auto& [transport, name] :
         {std::pair(Transport::Rfc2217, "rfc2217"), std::pair(Transport::Tcp, "raw tcp")}) {
        const Figures net = run(true, transport);
        std::printf("ser2net %-8s    upload %.3f s (line %.3f s, ratio %.3f), fetch %.3f s (line "
                    "%.3f s, ratio %.3f), together ratio %.3f%s\n",
                    name, net.uploadWall, lineUpload, net.uploadWall / lineUpload, net.fetchWall,
                    lineFetch, net.fetchWall / lineFetch,
                    (net.uploadWall + net.fetchWall) / (lineUpload + lineFetch),
                    net.ok ? "" : " (FAILED)");
        networkOk = networkOk && net.ok;
    }
    return fast.ok && paced.ok && networkOk ? 0 : 1;
}
