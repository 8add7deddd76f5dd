// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureWorkspace.h"

#include "PictureDragAndDrop.h"
#include "Printers.h"
#include "SlotPanel.h"
#include "TestPictureBox.h"

namespace winorbis {

PictureWorkspace::PictureWorkspace(const ProgramFolder& folder, Dialogs& dialogs,
                                   WorkingPictures& pictures, Settings& settings, Controls controls,
                                   PictureWorkspaceHost& host, QObject* parent)
    : QObject(parent)
    , slots_(folder, dialogs, pictures, settings, controls.slotPanel, host)
    , exchange_(pictures, folder, dialogs, host) {
    drags_ = new PictureDragAndDrop(slots_, controls.slotPanel, controls.txWindow,
                                    controls.rxWindow, this);
    drags_->setTxClickHandler([host = &host] { host->txClick(); });
    connect(&controls.testPictures, &TestPictureBox::testPictureClicked, this,
            [this](int index) { exchange_.testPictureClick(index); });
}

PictureWorkspace::~PictureWorkspace() = default;

} // namespace winorbis
