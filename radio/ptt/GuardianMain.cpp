// SPDX-License-Identifier: GPL-3.0-or-later
// orbis-ptt-guardian: started by a program that keys a transmitter, never by hand. It releases
// the transmitter when the program dies with a key on or holds a key too long (PttGuardian.h).
// Arguments: --ptt TEXT; the program's socket is file descriptor 3.
#include "GuardianWatch.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--ptt") != 0) {
        std::fprintf(stderr, "orbis-ptt-guardian: started by winorbis and orbis-modem with the "
                             "push-to-talk they key; not to be run by hand\n");
        return 2;
    }
    return winorbis::radio::runPttGuardian(QString::fromLocal8Bit(argv[2]), 3);
}
