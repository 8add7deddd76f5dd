// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ReceptionController.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace winorbis {

// The face of a station without a window (orbisctl watch and beacon): announcements go to a
// callback, the automatic fetch runs when one is set, the converter's presence is kept for the
// caller's loop. The lost and found converter is said on standard error by the reception itself;
// the other status texts of the window have no place here.
class HeadlessFace final : public ReceptionView {
public:
    // A reception has been announced with this status byte.
    std::function<void(std::uint8_t status)> announced;
    // The reception's time has run out: fetch it now. Without one nothing is fetched.
    std::function<void()> fetch;

    bool converterLost() const { return lost_; }

    void selectTxModeItem(std::uint8_t status) override {
        if (announced)
            announced(status);
    }
    void setStatusText(const QString&) override {}
    void setLoadButtonEnabled(bool) override {}
    void setRxStopFace(const QString&, std::optional<std::uint32_t>) override {}
    void showRepeaterItem(int) override {}
    void showRepeaterSwitch(bool) override {}
    void removeFrames() override {}
    bool savesAutomatically() const override { return bool(fetch); }
    void fetchReceivedPicture() override {
        if (fetch)
            fetch();
    }
    void showConverterPresence(linktext::ConverterPresence presence) override {
        lost_ = presence == linktext::ConverterPresence::Lost;
    }

private:
    bool lost_ = false;
};

} // namespace winorbis
