// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/Modes.h"

#include <QByteArray>
#include <QImage>

#include <vector>

namespace winorbis::radio {

// The one place where the converter's 420 x 256 frame meets the modes' own picture sizes: a
// memory picture scaled to a mode for sending, and a mode's received lines resampled into frame
// rows (the Robot modes' 240 lines spread over 256 rows, each row from the nearest line).
namespace framescaling {

// The memory picture from its 256 line blocks (a short or missing block is white).
QImage frameFromLines(const std::vector<QByteArray>& lines);
// Any picture (a file, a camera's frame) scaled into the 420 x 256 frame, as the converter's
// video input fills it: the whole picture, its sides stretched as they must.
QImage toFrame(const QImage& picture);
// The frame at a mode's size.
QImage toMode(const QImage& frame, ModeId mode);
// The mode line a frame row is taken from.
int modeLineForRow(ModeId mode, int row);
// Frame row `row` (420 pixels) from its line of a picture at the mode's size, into frame.
void fillRow(const QImage& modePicture, ModeId mode, int row, QImage& frame);

} // namespace framescaling

} // namespace winorbis::radio
