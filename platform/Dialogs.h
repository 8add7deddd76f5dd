// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Colour.h"

#include <QString>

#include <atomic>
#include <optional>

namespace winorbis {

// Every box, dialog and shell call through which the program speaks to the operator. The program
// uses QtDialogs; tests use a scripted answerer that records every text shown. Calls may come from
// any thread; the Qt implementation carries them to the user-interface thread.
class Dialogs {
public:
    enum class Kind { Plain, Information, Warning, Error };

    virtual ~Dialogs() = default;

    // A plain message box with an OK button.
    virtual void message(const QString& text, Kind kind = Kind::Plain) = 0;
    // The standard error box for the framework's own errors (a file that cannot be read, a number
    // that does not convert).
    void error(const QString& text) { message(text, Kind::Error); }
    // A confirmation with "Yes" and "No"; true on "Yes".
    virtual bool askYesNo(const QString& text, Kind kind = Kind::Plain) = 0;
    // A warning with OK and Cancel; true on OK.
    virtual bool askOkCancel(const QString& text) = 0;

    struct FileRequest {
        QString title;
        QString filter;     // "Windows Bit Map *.bmp|*.BMP|JPEG Bitmap *.jpg|*.JPG"
        QString defaultExt; // "BMP"
        QString folder;     // initial folder
        QString fileName;   // proposed name
    };
    virtual std::optional<QString> openFile(const FileRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileRequest& request) = 0;
    virtual std::optional<TColor> chooseColour(TColor initial) = 0;
    virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                             const QString& initial) = 0;

    // MessageBeep with the given type (0 default, 2 hand).
    virtual void beep(unsigned type) = 0;
    // Opens a document or an address ("mailto:...") with the desktop's handler; false when none
    // could be started.
    virtual bool shellOpen(const QString& target) = 0;

    // Unattended (the program ends on a signal, nobody may be there to answer): no box is shown
    // any more. Messages go to standard error only; questions get "No" (or "Cancel"), file and
    // input dialogs nothing.
    void setUnattended(bool unattended) { unattended_ = unattended; }
    bool unattended() const { return unattended_.load(); }

protected:
    std::atomic<bool> unattended_{false};
};

// Unattended for its lifetime: automatic work (a beacon, the automatic fetch) never waits on a
// box; its messages go to standard error only.
class UnattendedScope {
public:
    explicit UnattendedScope(Dialogs& dialogs)
        : dialogs_(dialogs)
        , before_(dialogs.unattended()) {
        dialogs_.setUnattended(true);
    }
    ~UnattendedScope() { dialogs_.setUnattended(before_); }
    UnattendedScope(const UnattendedScope&) = delete;
    UnattendedScope& operator=(const UnattendedScope&) = delete;

private:
    Dialogs& dialogs_;
    bool before_;
};

// The Windows "|" filter ("Text *.bmp|*.BMP|All *.*|*.*") as Qt name filters ("Text (*.bmp)").
QString qtFilterFromWindows(const QString& windowsFilter);

} // namespace winorbis
