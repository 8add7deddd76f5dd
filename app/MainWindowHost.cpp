// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowHost.h"

#include "TForm1.h"

#include "link/ConverterLink.h"
#include "workspace/ui/PaintBox.h"

namespace winorbis {

void MainWindowHost::showStatus(const QString& text) {
    window_.setStatusText(text);
}

void MainWindowHost::removeFrames() {
    window_.removeFrames();
}

bool MainWindowHost::framesShown() const {
    return window_.captions_ && window_.captions_->framesShown();
}

void MainWindowHost::txPictureChanged() {
    window_.showTxPicture();
}

void MainWindowHost::rxPictureChanged() {
    window_.rxWindow()->update();
}

void MainWindowHost::loadStartPicture() {
    window_.LoadPicClick();
}

void MainWindowHost::txClick() {
    window_.PaintBox1Click();
}

DragState MainWindowHost::dragState() const {
    return window_.miniSlots().dragState();
}

void MainWindowHost::setDragState(DragState state) {
    window_.miniSlots().setDragState(state);
}

void MainWindowHost::fetchReceivedPicture() {
    window_.station().fetch(false);
}

const BytePort* MainWindowHost::converterPort() const {
    ConverterLink* link = window_.station_.boxLink();
    return link ? &link->port() : nullptr;
}

QString MainWindowHost::converterKind() const {
    return window_.station_.capabilities().kind;
}

} // namespace winorbis
