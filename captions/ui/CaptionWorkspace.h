// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionPanel.h"

#include "captions/CaptionPlacement.h"
#include "workspace/ui/PaintBox.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

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

// The window around the captions: the picture drags' state shared with the TX window, the TX
// picture shown again, and the status line. The main window's host implements it.
class CaptionWorkspaceHost {
public:
    virtual ~CaptionWorkspaceHost() = default;
    virtual DragState dragState() const = 0;
    virtual void setDragState(DragState state) = 0;
    virtual void txPictureChanged() = 0;
    virtual void showStatus(const QString& text) = 0;
};

// The captions of the main window: the caption controls with their commands, the placement of
// a caption and of picture in picture on the TX window, the callsign picture, and the font and
// standard-text windows. The window lends its TX window, picture-in-picture button and "Callsign
// insert" box, and what it does around the commands as the host.
class CaptionWorkspace : public QObject, private CaptionPlacementHost {
    Q_OBJECT
public:
    struct Controls {
        QWidget& mainArea;
        QWidget& picturePanel;
        PaintBox& txWindow;
        QAbstractButton& pipButton; // SpeedButton15
        QCheckBox& callsignInsert;  // CheckBox4
    };
    CaptionWorkspace(Settings& settings, WorkingPictures& pictures, const ProgramFolder& folder,
                     Dialogs& dialogs, Controls controls, CaptionWorkspaceHost& host,
                     QObject* parent = nullptr);
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
    // CaptionPlacementHost: the host's, and the TX window's repaints.
    DragState dragState() const override { return host_.dragState(); }
    void setDragState(DragState state) override { host_.setDragState(state); }
    void framesChanged() override { controls_.txWindow.update(); }
    void pictureChanged() override { host_.txPictureChanged(); }
    void showStatus(const QString& text) override { status(text); }

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
    CaptionWorkspaceHost& host_;
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
