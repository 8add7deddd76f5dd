// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdio>
#include <mutex>
#include <utility>

namespace winorbis {

// The notes the program writes for whoever watches its standard error, beside or instead of a
// box (a device that has gone, a converter that does not answer): one line each, beginning with
// the program's name, "winorbis" unless a command-line tool names itself.
class ConsoleNotes {
public:
    // The name and stream of the notes; the previous ones come back when the scope ends.
    class Scope {
    public:
        Scope(const QString& program, std::FILE* stream) {
            const std::lock_guard lock(mutex_);
            previousProgram_ = std::exchange(program_, program);
            previousStream_ = std::exchange(stream_, stream);
        }
        ~Scope() {
            const std::lock_guard lock(mutex_);
            program_ = previousProgram_;
            stream_ = previousStream_;
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        QString previousProgram_;
        std::FILE* previousStream_;
    };

    // The line for a note: "winorbis: " text.
    static QString line(const QString& text) {
        const std::lock_guard lock(mutex_);
        return program_ + QStringLiteral(": ") + text;
    }
    // Writes the note's line; callable from any thread.
    static void write(const QString& text) {
        const std::lock_guard lock(mutex_);
        std::fprintf(stream_, "%s: %s\n", qPrintable(program_), qPrintable(text));
        std::fflush(stream_);
    }

private:
    static inline std::mutex mutex_;
    static inline QString program_ = QStringLiteral("winorbis");
    static inline std::FILE* stream_ = stderr;
};

} // namespace winorbis
