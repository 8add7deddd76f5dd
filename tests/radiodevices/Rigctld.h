// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

#include <optional>

namespace winorbis::test {

// rigctld (Hamlib's rig daemon) with the dummy rig (model 1, keyed by CAT) on a free TCP port of
// 127.0.0.1, and a client of its own that asks it over its text protocol what the rig's transmitter
// is doing.
class Rigctld {
public:
    Rigctld();
    // On a port of the caller's choice: the port of one that has gone.
    explicit Rigctld(int port);
    ~Rigctld();
    Rigctld(const Rigctld&) = delete;
    Rigctld& operator=(const Rigctld&) = delete;

    static QString program();
    // Starts the daemon and connects the client; false with the reason.
    bool start(QString* error);

    int port() const { return port_; }
    // rigctld:127.0.0.1:PORT
    QString pttSpec() const;
    // The rig's PTT as rigctld reports it (its `t` command); nullopt when it does not answer.
    std::optional<bool> keyed();
    // Keys the rig as another program would (its `T 1` command); false when it does not answer.
    bool key();

private:
    int port_;
    int client_ = -1;
    QProcess process_;
};

} // namespace winorbis::test
