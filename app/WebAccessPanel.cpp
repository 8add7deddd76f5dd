// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebAccessPanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace winorbis {

namespace {

const QString kTitle = QStringLiteral("Web access");
const QString kOn = QStringLiteral("Show and run the station in a browser");
const QString kOnHint = QStringLiteral(
    "The web face: the picture being received, the gallery and, after a login, the commands");
const QString kPortLabel = QStringLiteral("Port");
const QString kPortHint =
    QStringLiteral("PORT for this machine only (127.0.0.1), ADDRESS:PORT or [IPv6]:PORT for "
                   "others as well, e.g. 0.0.0.0:8070; other machines need the password");
const QString kPasswordLabel = QStringLiteral("Password");
const QString kPasswordHint =
    QStringLiteral("A new web password (at least 8 characters); only its hash is kept");
const QString kKeepPassword = QStringLiteral("unchanged");
const QString kNewPassword = QStringLiteral("none set yet");
const QString kPasswordSet = QStringLiteral("A password is set");
const QString kNoPassword = QStringLiteral("No password is set");

QLabel* label(QWidget* parent, const QString& text, QPoint at, QWidget* buddy) {
    auto* shown = new QLabel(text, parent);
    shown->move(at);
    shown->setBuddy(buddy);
    return shown;
}

} // namespace

WebAccessPanel::WebAccessPanel(QWidget* page)
    : QWidget(page) {
    setObjectName(QStringLiteral("WebAccessPanel"));
    setGeometry(0, 0, 424, 80);
    auto* box = new QGroupBox(kTitle, this);
    box->setGeometry(0, 0, 424, 80);

    on_ = new QCheckBox(kOn, box);
    on_->setObjectName(QStringLiteral("WebAccess"));
    on_->setToolTip(kOnHint);
    on_->move(12, 24);
    on_->adjustSize();
    port_ = new QLineEdit(box);
    port_->setObjectName(QStringLiteral("WebPort"));
    port_->setGeometry(300, 20, 112, 24);
    port_->setPlaceholderText(WebAccessChoice::kDefaultPort);
    port_->setToolTip(kPortHint);
    label(box, kPortLabel, {268, 24}, port_);

    password_ = new QLineEdit(box);
    password_->setObjectName(QStringLiteral("WebPassword"));
    password_->setGeometry(76, 48, 160, 24);
    password_->setEchoMode(QLineEdit::Password);
    password_->setToolTip(kPasswordHint);
    label(box, kPasswordLabel, {12, 52}, password_);
    passwordState_ = new QLabel(box);
    passwordState_->setObjectName(QStringLiteral("WebPasswordState"));
    passwordState_->setGeometry(244, 48, 168, 24);
}

void WebAccessPanel::showChoice(const WebAccessChoice& choice) {
    on_->setChecked(choice.on);
    port_->setText(choice.port);
    clearPassword();
    const bool set = !choice.passwordHash.isEmpty();
    password_->setPlaceholderText(set ? kKeepPassword : kNewPassword);
    passwordState_->setText(set ? kPasswordSet : kNoPassword);
}

void WebAccessPanel::readInto(WebAccessChoice& choice) const {
    choice.on = on_->isChecked();
    choice.port = port_->text().trimmed();
}

QByteArray WebAccessPanel::newPassword() const {
    return password_->text().toUtf8();
}

void WebAccessPanel::clearPassword() {
    password_->clear();
}

} // namespace winorbis
