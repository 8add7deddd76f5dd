// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Dialogs.h"
#include "support/QtPrinters.h"

#include <QStringList>

#include <deque>
#include <mutex>

namespace winorbis::test {

// Answers every box and dialog from a script and records every text shown, in order. Unscripted
// questions are answered "Yes"/OK, unscripted file, colour and input dialogs are cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString what; // "message", "error", "yesno", "okcancel", "open", "save", "colour",
                      // "input", "beep", "shell"
        QString text;
        Kind kind = Kind::Plain; // of a message or a question
    };

    void message(const QString& text, Kind kind) override;
    bool askYesNo(const QString& text, Kind kind) override;
    bool askOkCancel(const QString& text) override;
    std::optional<QString> openFile(const FileRequest& request) override;
    std::optional<QString> saveFile(const FileRequest& request) override;
    std::optional<TColor> chooseColour(TColor initial) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& initial) override;
    void beep(unsigned type) override;
    bool shellOpen(const QString& target) override;

    // Scripting.
    void answerYesNo(bool yes) {
        std::lock_guard l(mutex_);
        yesNo_.push_back(yes);
    }
    void answerOkCancel(bool ok) {
        std::lock_guard l(mutex_);
        okCancel_.push_back(ok);
    }
    void answerFile(std::optional<QString> path) {
        std::lock_guard l(mutex_);
        files_.push_back(path);
    }
    void answerColour(std::optional<TColor> c) {
        std::lock_guard l(mutex_);
        colours_.push_back(c);
    }
    void answerInput(std::optional<QString> t) {
        std::lock_guard l(mutex_);
        inputs_.push_back(t);
    }
    void setShellResult(bool ok) { shellResult_ = ok; }

    // What was shown.
    QList<Shown> shown() const;
    // The texts of the boxes (messages, errors and questions), in order.
    QStringList texts() const;
    int count(const QString& what) const;
    bool sawText(const QString& text) const { return texts().contains(text); }
    QList<FileRequest> fileRequests() const;
    void clear();

private:
    void record(const QString& what, const QString& text, Kind kind = Kind::Plain);

    mutable std::mutex mutex_;
    QList<Shown> shown_;
    QList<FileRequest> requests_;
    std::deque<bool> yesNo_, okCancel_;
    std::deque<std::optional<QString>> files_, inputs_;
    std::deque<std::optional<TColor>> colours_;
    bool shellResult_ = true;
};

} // namespace winorbis::test
