// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundCardRadio.h"
#include "converter/ConverterLine.h"

#include <QTimer>

#include <functional>

namespace winorbis::radio {

// The converter for a station without the box: the converter's byte model served on a
// pseudo-terminal behind a stable name (ConverterLine: the line and its thread), with the sound
// card as its air. The program and orbisctl talk to it as to the box. The bytes are handled on the
// line's thread; the audio on the thread that made the converter, from a timer of its event
// loop; the model between them under the line's lock.
class SoundCardServer {
public:
    struct Options {
        // The radio's events, one line each.
        std::function<void(const QString&)> event;
        // The commands the model understood and the line's own remarks.
        std::function<void(const QString&)> commandLog;
        std::function<void(const QString&)> error;
        int pumpMs = 20;
    };

    SoundCardServer(const Clock& clock, AudioSource* source, AudioSink* sink, Ptt* ptt,
                    Options options);
    ~SoundCardServer();
    SoundCardServer(const SoundCardServer&) = delete;
    SoundCardServer& operator=(const SoundCardServer&) = delete;

    // Serves on a new pseudo-terminal reached through linkPath, and starts the audio.
    bool openAt(const QString& linkPath, QString* error);
    // Cuts a transmission, releases the PTT and stops serving.
    void stop();

    SoundCardRadio& radio() { return radio_; }
    ConverterLine& line() { return line_; }

private:
    ConverterLine line_;
    SoundCardRadio radio_;
    QTimer timer_;
};

} // namespace winorbis::radio
