// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PictureExchange.h"

#include "workspace/SlotController.h"

#include <QObject>

namespace winorbis {

class PictureDragAndDrop;
class SlotPanel;
class TestPictureBox;

// The window around the picture workspace: what the slots' drags and the picture commands ask of
// it, and the plain click on the TX window. The main window's picture host implements it.
class PictureWorkspaceHost : public SlotHost, public PictureExchangeHost {
public:
    // A plain click on the TX window.
    virtual void txClick() = 0;
};

// The picture workspace of the main window below and beside the picture windows: the mini slots
// with their drags, and the clipboard, print and test picture commands. It joins the workspace's
// own controls to its controllers (the slots, the picture windows as drag targets, the test
// picture box); the window binds its buttons and menu items to the commands and lends what it
// does around them as the host.
class PictureWorkspace : public QObject {
    Q_OBJECT
public:
    struct Controls {
        SlotPanel& slotPanel;
        QWidget& txWindow;
        QWidget& rxWindow;
        TestPictureBox& testPictures;
    };
    PictureWorkspace(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                     Settings& settings, Controls controls, PictureWorkspaceHost& host,
                     QObject* parent = nullptr);
    ~PictureWorkspace() override;

    SlotController& miniSlots() { return slots_; }
    PictureExchange& exchange() { return exchange_; }

private:
    SlotController slots_;
    PictureExchange exchange_;
    PictureDragAndDrop* drags_ = nullptr;
};

} // namespace winorbis
