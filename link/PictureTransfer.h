// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QImage;

namespace winorbis {

class Clock;
class ConverterLink;
class MonitorHold;

// Moves a picture between the PC and the converter's memory, line by line in the converter's
// pixel-pair format. Both directions run on the calling thread while the receive monitor is held
// (the hold is a parameter, so no transfer can run without one); between lines the window keeps
// painting. Every failed exchange stops the transfer at once, and so does the program's end
// (Clock::endWaits), at the next line.
class PictureTransfer {
public:
    // Progress as the segmented progress bar shows it: position and maximum.
    using Progress = std::function<void(int position, int maximum)>;
    // Called after each fetched line with the picture row that changed.
    using RowDone = std::function<void(int row)>;

    static constexpr int kProgressMaximum = 280;

    PictureTransfer(ConverterLink& link, Clock& clock)
        : link_(link)
        , clock_(clock) {}
    void setProgress(Progress progress) { progress_ = std::move(progress); }

    // Writes the grey header line and rows 1 .. 255 of the picture (columns 0 .. 419, white
    // beyond its width) into the converter. True when every line was acknowledged.
    bool UploadPicture(const QImage& picture, const MonitorHold& hold);
    // Reads the converter's 256 lines into rows 0 .. 255 of picture, converter pixel k at column
    // k - 10, keeping the picture's size. A missing line is replaced by the previous one while the
    // converter still answers identify; otherwise "Communication error[data]" ends the fetch.
    // True when all 256 lines were taken; the lines taken before a failure stay in the picture.
    bool FetchPicture(QImage& picture, const MonitorHold& hold, const RowDone& rowDone = {});

private:
    void setPosition(int position);

    ConverterLink& link_;
    Clock& clock_;
    Progress progress_;
};

} // namespace winorbis
