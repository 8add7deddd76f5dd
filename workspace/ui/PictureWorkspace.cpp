// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureWorkspace.h"

#include "PictureDragAndDrop.h"
#include "Printers.h"
#include "SlotPanel.h"
#include "TestPictureBox.h"

namespace winorbis {

namespace {

PictureExchange::Actions exchangeActions(const PictureWorkspace::Hooks& hooks) {
    return {hooks.removeFrames, hooks.loadStartPicture, hooks.txPictureChanged};
}

} // namespace

PictureWorkspace::PictureWorkspace(const ProgramFolder& folder, Dialogs& dialogs,
                                   WorkingPictures& pictures, Settings& settings, Controls controls,
                                   const Hooks& hooks, PictureExchange::StatusSink status,
                                   QObject* parent)
    : QObject(parent)
    , hooks_(hooks)
    , slots_(folder, dialogs, pictures, settings, controls.slotPanel, *this)
    , exchange_(pictures, folder, dialogs, std::move(status), exchangeActions(hooks)) {
    drags_ = new PictureDragAndDrop(slots_, controls.slotPanel, controls.txWindow,
                                    controls.rxWindow, this);
    drags_->setTxClickHandler(hooks.txClick);
    connect(&controls.testPictures, &TestPictureBox::testPictureClicked, this,
            [this](int index) { exchange_.testPictureClick(index); });
}

PictureWorkspace::~PictureWorkspace() = default;

} // namespace winorbis
