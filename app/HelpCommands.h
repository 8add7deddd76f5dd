// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace winorbis {

class Dialogs;
class TForm1;

// The main window's "Exit" and "Help" buttons and its menu "&Help": the manual "winorbis70.pdf"
// of the program folder in the desktop's viewer, and a mail to the developers.
class HelpCommands : public QObject {
    Q_OBJECT
public:
    HelpCommands(TForm1& main, Dialogs& dialogs, QObject* parent = nullptr);

    // The question; on "Yes" the manual, or a clear message when it is missing or nothing can
    // show it.
    void HilfeClick();
    void MailAuthor1Click();

private:
    TForm1& main_;
    Dialogs& dialogs_;
};

} // namespace winorbis
