// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackedPtt.h"

#include <QString>

#include <memory>

namespace winorbis::radio {

// Opens a serial device for keying one of its modem lines: read and write, never as the
// controlling terminal, without waiting for carrier, and with HUPCL set, so that the kernel drops
// the lines when the last descriptor closes, also when the program dies. The descriptor, or -1
// with the reason.
int openKeyingDevice(const QString& device, QString* error);

// Push-to-talk on the RTS or the DTR line of a serial device (an interface between the sound card
// and the radio): the line is raised to key and dropped to release; the other line is left as it
// is. Released and closed when destroyed.
class SerialLinePtt final : public TrackedPtt {
public:
    enum class Line { Rts, Dtr };

    // Opens the device with the line dropped. Null with the reason: the device is missing or
    // busy, not a serial device, or has no such line (a pseudo-terminal).
    static std::unique_ptr<SerialLinePtt> open(Line line, const QString& device, QString* error);
    ~SerialLinePtt() override;

    bool key(bool on, QString* error) override;
    bool keyed() const override { return keyed_; }
    QString describe() const override;

private:
    SerialLinePtt(Line line, const QString& device, int fd);

    Line line_;
    QString device_;
    int fd_;
    bool keyed_ = false;
};

} // namespace winorbis::radio
