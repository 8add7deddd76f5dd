// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/WebAccess.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace winorbis {

// The setup window's group of the web face: "Web access" on or off, the port ([ADDRESS:]PORT)
// and a field for a new password, beside whether one is set. Shows a choice and reads the
// operator's back; what it means and whether it may be kept is WebAccessChoice's business.
class WebAccessPanel : public QWidget {
    Q_OBJECT
public:
    explicit WebAccessPanel(QWidget* page);

    // Shows the choice, with the password field empty.
    void showChoice(const WebAccessChoice& choice);
    // The switch and the port from the controls; the rest stays.
    void readInto(WebAccessChoice& choice) const;
    // The password typed; empty: the one set stays.
    QByteArray newPassword() const;
    void clearPassword();

private:
    QCheckBox* on_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLabel* passwordState_ = nullptr;
};

} // namespace winorbis
