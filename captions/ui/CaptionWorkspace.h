// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionPanel.h"

#include "captions/CaptionPlacement.h"
#include "workspace/ui/PaintBox.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QMenu;

namespace winorbis {

class Dialogs;
class ProgramFolder;
class TForm2;
class TfrmMemoBlk;
struct Settings;
struct WorkingPictures;

// The captions of the main window: the caption controls with their commands, the placement of
// a caption and of picture in picture on the TX window, the callsign picture, and the font and
// standard-text windows. The window lends its TX window, picture-in-picture button and "Callsign
// insert" box, and what it does around the commands.
class CaptionWorkspace : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QWidget& mainArea;
        QWidget& picturePanel;
        PaintBox& txWindow;
        QAbstractButton& pipButton; // SpeedButton15
        QCheckBox& callsignInsert;  // CheckBox4
    };
    struct Hooks {
        std::function<DragState()> dragState;
        std::function<void(DragState)> setDragState;
        std::function<void()> txPictureChanged;
        std::function<void(const QString&)> status;
    };

    CaptionWorkspace(Settings& settings, WorkingPictures& pictures, const ProgramFolder& folder,
                     Dialogs& dialogs, Controls controls, Hooks hooks, QObject* parent = nullptr);
    ~CaptionWorkspace() override;

    const CaptionPanel& panel() const { return panel_; }
    CaptionPlacement& placement() { return placement_; }

    void setFontWindow(TForm2* window);
    void setLibraryWindow(TfrmMemoBlk* window);
    // Adds "Reference" > "Picture inscription" to the menu.
    void addReferenceMenu(QMenu& menu);

    // The start: the callsign on `MyCall`, the standard texts on their buttons, the font fields and
    // boxes from the stored values, the contest number, the report field's blank, the font example.
    void showSettings();
    // The callsign on `MyCall` after the setup window changed it.
    void showCallsign();
    // "\callsign.bmp" drawn again after the caption font, colours or shadow switch changed; a
    // failure is noted in the status bar.
    void remakeCallsignPicture();
    void removeFrames() { placement_.removeFrames(); }
    bool framesShown() const { return placement_.framesShown(); }

    // Pastes "\callsign.bmp" into the TX picture's corner. A missing picture shows the error box;
    // automatic: it is only noted in the status bar, so that an unattended upload never waits.
    bool CallClick(bool automatic = false);
    // Before the TX picture goes into the converter: the callsign while "Callsign insert" is on.
    void beforeUpload();

    // The commands, also for tests and scripts.
    void MyCallClick();
    void Edit3Click();
    void Button3Click();
    void Button3RightPress();
    void Edit2Enter();
    void FormClick(int n);
    void dropTypedText(QWidget* target);
    void SpinEdit1Change();
    void SpinEdit2Change();
    void CheckBox1Click();
    void SlantClick();
    void ColorClick();
    void FontClick();
    void StandardClick();
    void SSTVBildbeschriftung1Click();
    void CheckBox4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void drawFontExample();
    void showStandardText(int n);
    void showContest();
    void status(const QString& text) const;
    bool txWindowEvent(QEvent* event);
    bool typedTextEvent(QEvent* event);
    bool dropTargetEvent(QWidget* target, QEvent* event);
    void arm(const QString& text, const CaptionStyle& style);

    Settings& settings_;
    WorkingPictures& pictures_;
    const ProgramFolder& folder_;
    Dialogs& dialogs_;
    Controls controls_;
    Hooks hooks_;
    CaptionPanel panel_;
    CaptionPlacement placement_;
    QPointer<PaintBox> txWindow_;
    QPointer<TForm2> fontWindow_;
    QPointer<TfrmMemoBlk> libraryWindow_;
    // The typed text's drag.
    enum class TextDrag { Idle, Pressed, Dragging, OverTarget };
    TextDrag textDrag_ = TextDrag::Idle;
    QPoint textPress_;
};

} // namespace winorbis
