// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFetch.h"

#include "TForm1.h"
#include "ui_TForm1.h"

#include "link/LinkTexts.h"
#include "platform/Dialogs.h"
#include "workspace/ReceivedPictureStore.h"

#include <QDateTime>

namespace winorbis {

namespace {

constexpr unsigned kBeepHand = 2;

} // namespace

void MainWindowFetch::starting() {
    if (window_.repeaterOn()) {
        if (byOperator_) {
            window_.dialogs_.beep(kBeepHand);
            window_.dialogs_.message(linktext::kRepeaterNote, Dialogs::Kind::Information);
        } else {
            window_.setStatusText(linktext::kRepeaterNote);
        }
    }
    Ui::TForm1& ui = *window_.ui_;
    ui.SpeedButton15->setEnabled(true);
    ui.PaintBox2->setVisible(true);
    window_.removeFrames();
    window_.setStatusText(linktext::kFetchStatus);
    ui.FromOrbis->setEnabled(true);
}

void MainWindowFetch::line(int) {
    window_.ui_->PaintBox2->update();
}

QStringList MainWindowFetch::store(const QImage& picture, const QString& mode) {
    const ReceivedPictureStore store(window_.programFolder());
    const auto result =
        store.store(picture, window_.settings(), window_.ui_->CheckBox2->isChecked(),
                    QDateTime::currentDateTime(), mode);
    window_.pictures().draggedName = result.name;
    window_.miniSlots().fill(result.slot, result.name, result.hint,
                             result.slotWritten ? picture : QImage());
    return result.errors;
}

} // namespace winorbis
