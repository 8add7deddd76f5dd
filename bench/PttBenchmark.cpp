// SPDX-License-Identifier: GPL-3.0-or-later
// Push-to-talk through Hamlib against rigctld's dummy rig: how long after setKeyed() begins the
// rig reports the new state (asked over rigctld's own protocol from another thread), and how long
// the call itself takes. The goal for the release is under 50 ms.
#include "radiodevices/Rigctld.h"

#include "radio/ptt/PttDevices.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

using namespace winorbis;

namespace {

struct Figures {
    std::vector<double> reported, call;
};

// Switches to state and measures; false when rigctld never reports it.
bool measure(radio::Ptt& ptt, test::Rigctld& rigctld, bool state, Figures& figures) {
    double reported = -1;
    QElapsedTimer timer;
    timer.start();
    std::thread poll([&] {
        while (timer.elapsed() < 3000) {
            if (rigctld.keyed() == state) {
                reported = double(timer.nsecsElapsed()) / 1e6;
                return;
            }
        }
    });
    QString error;
    const bool taken = ptt.setKeyed(state, &error);
    const double call = double(timer.nsecsElapsed()) / 1e6;
    poll.join();
    if (!taken) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    figures.reported.push_back(reported);
    figures.call.push_back(call);
    return reported >= 0;
}

void print(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-32s median %7.2f ms   max %7.2f ms\n", what, values[values.size() / 2],
                values.back());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    test::Rigctld rigctld;
    QString error;
    if (!rigctld.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const auto ptt = radio::openPtt(rigctld.pttSpec(), &error);
    if (!ptt) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Figures key, release;
    for (int round = 0; round < rounds; ++round) {
        if (!measure(*ptt, rigctld, true, key) || !measure(*ptt, rigctld, false, release))
            return 1;
    }
    std::printf("%s, %d rounds\n", qPrintable(ptt->describe()), rounds);
    print("keyed: reported after", key.reported);
    print("keyed: call returned after", key.call);
    print("released: reported after", release.reported);
    print("released: call returned after", release.call);
    return 0;
}
