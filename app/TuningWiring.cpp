// SPDX-License-Identifier: GPL-3.0-or-later
#include "TuningWiring.h"

#include "CommandRow.h"
#include "TForm1.h"
#include "analyzer/Tunit8.h"
#include "controls/TFlyingButton.h"

namespace winorbis {

void connectTuning(TForm1& form, Tunit8& unit8) {
    unit8.setProgramFolder(form.programFolder());
    TFlyingButton* button = form.commandRowButton(RowCommand::Tune);
    // FlyingButton22Click
    QObject::connect(button, &TFlyingButton::OnClick, &unit8, &Tunit8::showOrRaise);
}

} // namespace winorbis
