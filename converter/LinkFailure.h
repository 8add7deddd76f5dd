// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace winorbis {

class Dialogs;

// A converter exchange that failed, as the operator is told of it: the text, whether a beep comes
// before it, and the kind of box it stands in.
struct LinkFailure {
    enum class Box { Plain, Warning };

    QString text;
    bool beeps = false;
    Box box = Box::Plain;

    friend bool operator==(const LinkFailure&, const LinkFailure&) = default;
};

// Where a converter link's failures go, each once, as they happen, on the thread of the exchange
// (the user-interface thread; see ConverterLink.h).
using LinkFailureSink = std::function<void(const LinkFailure&)>;

// The failures as the operator's commands show them: the beep, then a box of the failure's kind.
// While the dialogs are unattended (automatic work, see UnattendedScope) no box is shown: the text
// goes to standard error, and the caller puts it in its status line (ConverterLink::lastFailure).
LinkFailureSink failureBoxes(Dialogs& dialogs);

} // namespace winorbis
