// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TerminationWatcher.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace winorbis;

// The first signal asks for an orderly end; a second one ends the process at once, even when the
// orderly end hangs (a box nobody answers, a write that blocks).
TEST(TerminationWatcher, ASecondSignalEndsTheProcessAtOnce) {
    TerminationWatcher watcher;
    int requests = 0;
    QObject::connect(&watcher, &TerminationWatcher::terminationRequested,
                     [&](int number) { requests += number == SIGINT ? 1 : 100; });
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::raise(SIGINT);  // taken: the orderly end is asked for
        ::raise(SIGTERM); // ends the process
        ::_exit(0);       // never reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);

    // In this process the first signal is still only a request.
    ::raise(SIGTERM);
    for (int i = 0; i < 50 && requests < 100; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(requests, 100);
}
