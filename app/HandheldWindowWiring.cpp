// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldWindowWiring.h"

#include "TForm1.h"
#include "captions/ui/CaptionWorkspace.h"
#include "handheld/HandheldTexts.h"
#include "handheld/TForm4.h"
#include "link/ConverterLink.h"

#include <QAction>
#include <QMenu>

namespace winorbis {

void Button5Click(TForm1& main, TForm4& window, Dialogs& dialogs, Clock& clock) {
    main.captions().removeFrames();
    // A reception announced or running owns the port; the handheld waits until it has ended.
    if (main.station().receptionRunning() || main.station().busy()) {
        main.setStatusText(handheldtext::kConverterBusy);
        return;
    }
    const MonitorHold hold = main.station().hold();
    // The beacons wait while the handheld has the port.
    const CommandGate::Operation operation(main.gate());
    window.execOn(main.link().port(), dialogs, hold, &clock);
}

void connectHandheldWindow(TForm1& main, TForm4& window, Dialogs& dialogs, Clock& clock) {
    QMenu* special = main.specialMenu();
    QAction* item = special->addAction(handheldtext::kMenuItem);
    item->setObjectName(QStringLiteral("VCH1Setting1"));
    QObject::connect(item, &QAction::triggered, &main, [&main, &window, &dialogs, &clock] {
        Button5Click(main, window, dialogs, clock);
    });
}

} // namespace winorbis
