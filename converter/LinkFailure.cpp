// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkFailure.h"

#include "platform/Dialogs.h"

namespace winorbis {

namespace {

constexpr unsigned kBeepHand = 2;

} // namespace

LinkFailureSink failureBoxes(Dialogs& dialogs) {
    return [&dialogs](const LinkFailure& failure) {
        if (failure.beeps)
            dialogs.beep(kBeepHand);
        dialogs.message(failure.text, failure.box == LinkFailure::Box::Warning
                                          ? Dialogs::Kind::Warning
                                          : Dialogs::Kind::Plain);
    };
}

} // namespace winorbis
