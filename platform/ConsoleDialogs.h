// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialogs.h"

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

// Dialogs for command-line tools: every message goes to standard error as it stands (after the
// prefix, "orbisctl: "), questions are answered "No", dialogs are cancelled.
class ConsoleDialogs final : public Dialogs {
public:
    explicit ConsoleDialogs(std::FILE* out = stderr, QString prefix = {})
        : out_(out)
        , prefix_(std::move(prefix)) {}

    void message(const QString& text, Kind) override {
        std::fprintf(out_, "%s%s\n", qPrintable(prefix_), qPrintable(text));
        std::fflush(out_);
        ++messages_;
    }
    bool askYesNo(const QString& text, Kind kind) override {
        message(text, kind);
        return false;
    }
    bool askOkCancel(const QString& text) override {
        message(text, Kind::Warning);
        return false;
    }
    std::optional<QString> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<TColor> chooseColour(TColor) override { return std::nullopt; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void beep(unsigned) override {}
    bool shellOpen(const QString&) override { return false; }

    // How many messages were shown.
    int messages() const { return messages_; }

private:
    std::FILE* out_;
    QString prefix_;
    int messages_ = 0;
};

} // namespace winorbis
