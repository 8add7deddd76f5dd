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
    // The monitor's own reads stay off the port while the window is open: a byte of the handheld's
    // is no status byte. The beacons wait meanwhile.
    const MonitorHold hold = main.station().hold();
    const CommandGate::Operation operation(main.gate());
    // Each exchange with the handheld is a job on the converter's worker.
    Station& station = main.station();
    window.execOn(main.link().port(), dialogs, hold, &clock,
                  [&station](std::function<void()> work, std::function<void()> done) {
                      station.runAdmitted(
                          [work = std::move(work)](ConverterOperations&) {
                              work();
                              return Converter::Result{};
                          },
                          [done = std::move(done)](const Converter::Result&) { done(); });
                  });
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
