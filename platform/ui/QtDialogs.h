// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Dialogs.h"

class QWidget;

namespace winorbis {

// Dialogs with Qt's message boxes and standard dialogs, shown on the user-interface thread; every
// message also goes to standard error.
class QtDialogs final : public Dialogs {
public:
    // Boxes are shown over the active window, or over parent when none is active.
    explicit QtDialogs(QWidget* parent = nullptr)
        : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

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

private:
    QWidget* owner() const;
    QWidget* parent_;
};

} // namespace winorbis
