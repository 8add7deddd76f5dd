// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpCommands.h"

#include "CommandRow.h"
#include "MainWindowTexts.h"
#include "TForm1.h"
#include "controls/TFlyingButton.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QMenuBar>

namespace winorbis {

using namespace mainwindowtext;

HelpCommands::HelpCommands(TForm1& main, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , main_(main)
    , dialogs_(dialogs) {
    QMenu* help = main.menuBar()->addMenu(kHelpMenu);
    help->setObjectName(QStringLiteral("Hilfe1"));
    QAction* topics = help->addAction(kHelpItem);
    topics->setObjectName(QStringLiteral("Hilfethemen1"));
    topics->setShortcut(Qt::Key_F1);
    help->addSeparator();
    QAction* mail = help->addAction(kMailItem);
    mail->setObjectName(QStringLiteral("MailAuthor1"));
    mail->setStatusTip(kMailHint);
    connect(topics, &QAction::triggered, this, &HelpCommands::HilfeClick);
    connect(mail, &QAction::triggered, this, &HelpCommands::MailAuthor1Click);
    connect(main.commandRowButton(RowCommand::Exit), &TFlyingButton::OnClick, &main,
            &TForm1::ExitClick);
    connect(main.commandRowButton(RowCommand::Help), &TFlyingButton::OnClick, this,
            &HelpCommands::HilfeClick);
}

void HelpCommands::HilfeClick() {
    if (!dialogs_.askYesNo(kHelpQuestion, Dialogs::Kind::Information))
        return;
    const QString manual = main_.programFolder().path(kManualName);
    if (!QFileInfo(manual).isFile()) {
        dialogs_.error(manualMissing(manual));
        return;
    }
    if (!dialogs_.shellOpen(manual))
        dialogs_.error(noViewer(manual));
}

void HelpCommands::MailAuthor1Click() {
    if (!dialogs_.shellOpen(kMailAddress))
        dialogs_.error(noViewer(kMailAddress));
}

} // namespace winorbis
