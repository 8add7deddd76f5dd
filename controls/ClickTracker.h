// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

namespace winorbis {

// Turns Qt's press, release and double-click events into the click events of the program's
// controls: a click is a left press and release on the control (the release may come from outside
// it, as Qt grabs the mouse, and then it is no click). The second press of a double click arrives
// either as a press followed by a double-click event, or only as a double-click event; either way
// one double click is reported, the press is handled once, and no further click follows.
class ClickTracker {
public:
    void press(Qt::MouseButton button) {
        pressDelivered_ = true;
        if (button == Qt::LeftButton)
            clicking_ = true;
    }
    // True when this release completes a click.
    bool release(Qt::MouseButton button, bool inside) {
        pressDelivered_ = false;
        if (button != Qt::LeftButton || !clicking_)
            return false;
        clicking_ = false;
        return inside;
    }
    struct DoubleClick {
        bool report; // raise the double-click event
        bool press;  // handle it as the second press too, which came in no press event
    };
    DoubleClick doubleClick(Qt::MouseButton button) {
        const bool left = button == Qt::LeftButton;
        if (pressDelivered_) {
            if (left)
                clicking_ = false;
            return {left, false};
        }
        pressDelivered_ = true;
        return {left, true};
    }

private:
    bool clicking_ = false;       // a left press on the control awaits its release
    bool pressDelivered_ = false; // the press of the current click arrived as a press event
};

} // namespace winorbis
