// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <functional>

#include <unistd.h>

namespace winorbis {

// The simulator's commands on standard input, one per line, each handed over trimmed as it
// arrives. At the end of the input the simulator goes on serving until it is killed.
class CommandLines : public QObject {
public:
    explicit CommandLines(std::function<void(const QString&)> run)
        : run_(std::move(run)) {
        connect(&input_, &QSocketNotifier::activated, this, [this] { readSome(); });
    }

private:
    void readSome() {
        char buffer[4096];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0) {
            input_.setEnabled(false);
            return;
        }
        pending_.append(buffer, n);
        qsizetype end;
        while ((end = pending_.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pending_.left(end)).trimmed();
            pending_.remove(0, end + 1);
            run_(line);
        }
    }

    std::function<void(const QString&)> run_;
    QSocketNotifier input_{0, QSocketNotifier::Read};
    QByteArray pending_;
};

} // namespace winorbis
