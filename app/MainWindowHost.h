// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ReceptionFace.h"

#include "captions/ui/CaptionWorkspace.h"
#include "workspace/ui/PictureWorkspace.h"

namespace winorbis {

class TForm1;

// The main window as the host of the controllers it owns: each host interface's call goes to what
// the window already has (its status line, its TX and RX windows, the caption frames, its picture
// commands, its converter link).
class MainWindowHost final : public PictureWorkspaceHost,
                             public CaptionWorkspaceHost,
                             public ReceptionFaceHost {
public:
    explicit MainWindowHost(TForm1& window)
        : window_(window) {}

    void showStatus(const QString& text) override;
    void removeFrames() override;
    bool framesShown() const override;
    void txPictureChanged() override;
    void rxPictureChanged() override;
    void loadStartPicture() override;
    void txClick() override;
    DragState dragState() const override;
    void setDragState(DragState state) override;
    void fetchReceivedPicture() override;
    const BytePort* converterPort() const override;
    QString converterKind() const override;

private:
    TForm1& window_;
};

} // namespace winorbis
