// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PictureExchange.h"

#include "workspace/SlotController.h"

#include <QObject>

#include <functional>
#include <memory>

namespace winorbis {

class PictureDragAndDrop;
class SlotPanel;
class TestPictureBox;

// The picture workspace of the main window below and beside the picture windows: the mini slots
// with their drags, and the clipboard, print and test picture commands. It joins the workspace's
// own controls to its controllers (the slots, the picture windows as drag targets, the test
// picture box); the window binds its buttons and menu items to the commands and lends what it
// does around them.
class PictureWorkspace : public QObject, private SlotHost {
    Q_OBJECT
public:
    struct Controls {
        SlotPanel& slotPanel;
        QWidget& txWindow;
        QWidget& rxWindow;
        TestPictureBox& testPictures;
    };
    struct Hooks {
        std::function<void()> removeFrames;
        std::function<bool()> framesShown;
        std::function<void()> txPictureChanged;
        std::function<void()> rxPictureChanged;
        std::function<void()> loadStartPicture; // LoadPicClick
        std::function<void()> txClick;          // a plain click on the TX window
    };

    PictureWorkspace(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                     Settings& settings, Controls controls, const Hooks& hooks,
                     PictureExchange::StatusSink status, QObject* parent = nullptr);
    ~PictureWorkspace() override;

    SlotController& miniSlots() { return slots_; }
    PictureExchange& exchange() { return exchange_; }

private:
    // SlotHost: the window's hooks.
    void removeFrames() override { hooks_.removeFrames(); }
    bool framesShown() const override { return hooks_.framesShown(); }
    void txPictureChanged() override { hooks_.txPictureChanged(); }
    void rxPictureChanged() override { hooks_.rxPictureChanged(); }

    Hooks hooks_;
    SlotController slots_;
    PictureExchange exchange_;
    PictureDragAndDrop* drags_ = nullptr;
};

} // namespace winorbis
