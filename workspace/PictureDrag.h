// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

// The drag state of the main window, one value shared by every picture drag of it.
enum class DragState : int {
    Idle = 0,             // a slot press, every drop, the TX window's release
    TxPressed = 1,        // the left button went down on the TX window
    TxDragging = 2,       // the TX window's picture is being dragged
    TxReloaded = 1000,    // the TX window was clicked and its file loaded again
    SlotDragging = 10000, // a slot picture is being dragged
};

// What a drag carries from: a picture control (a mini slot, later a catalog picture) or the TX
// window. Anything else (typed text, files of other programs) is Other.
enum class DragSource { Image, PaintBox, Other };

// The mime type of the program's own picture drags; its data names the source ("image",
// "paintbox").
inline const QString kPictureDragMime = QStringLiteral("application/x-winorbis-picture");

} // namespace winorbis
