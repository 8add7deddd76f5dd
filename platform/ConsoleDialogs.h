// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConsoleNotes.h"
#include "Dialogs.h"

#include <cstdio>
#include <utility>

namespace winorbis {

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
