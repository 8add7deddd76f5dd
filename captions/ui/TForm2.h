// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class QButtonGroup;
class QFrame;
class QListWidget;
class QRadioButton;

namespace Ui {
class TForm2;
}

namespace winorbis {

class Dialogs;
class TFlyingButton;
struct Settings;

// The font window: the caption face from the sorted list of installed screen fonts, bold or
// normal, and the shadow colour. Built once; each showing starts from the stored values.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Shows the window modally on the settings' caption font; "OK" or a click on a list entry
    // takes the face at the list's selection.
    void choose(Settings& settings, Dialogs& dialogs);
    // Shows the stored values and works on these settings from now on (choose does it first).
    void prepare(Settings& settings, Dialogs& dialogs);
    // The installed screen fonts as the list shows them.
    const QStringList& faces() const { return faces_; }

private:
    void takeSelection();

    std::unique_ptr<Ui::TForm2> ui_;
    QStringList faces_;
    QListWidget* list_ = nullptr;
    QRadioButton* bold_ = nullptr;
    QRadioButton* normal_ = nullptr;
    QFrame* shadowPanel_ = nullptr;
    TFlyingButton* shadowButton_ = nullptr;
    TFlyingButton* okButton_ = nullptr;
    Settings* settings_ = nullptr;
    Dialogs* dialogs_ = nullptr;
};

} // namespace winorbis
