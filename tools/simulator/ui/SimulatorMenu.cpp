// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimulatorMenu.h"

#include "platform/Dialogs.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QImage>
#include <QImageReader>

namespace winorbis {

namespace {

const QString kPictureFilter =
    QStringLiteral("Pictures|*.bmp;*.BMP;*.jpg;*.JPG;*.jpeg;*.JPEG|All files|*");

} // namespace

SimulatorMenu::SimulatorMenu(ConverterSimulator& simulator, Dialogs& dialogs, QWidget* parent)
    : QMenu(tr("&Simulator"), parent)
    , simulator_(simulator)
    , dialogs_(dialogs) {
    setObjectName(QStringLiteral("SimulatorMenu"));

    QMenu* test = addMenu(tr("Reception of the &test picture"));
    test->setObjectName(QStringLiteral("SimulatorReceiveTestMenu"));
    QMenu* file = addMenu(tr("Reception of a picture &file"));
    file->setObjectName(QStringLiteral("SimulatorReceiveFileMenu"));
    for (std::size_t i = 0; i < boxModeRows().size(); ++i) {
        const ModeId id = ModeId(i);
        const Mode& m = mode(id);
        QAction* a = test->addAction(m.name);
        a->setObjectName(QStringLiteral("SimulatorReceiveTest") + m.shortName);
        connect(a, &QAction::triggered, this, [this, id] { receiveTestPicture(id); });
        lineActions_ << a;
        a = file->addAction(m.name + QStringLiteral("..."));
        a->setObjectName(QStringLiteral("SimulatorReceiveFile") + m.shortName);
        connect(a, &QAction::triggered, this, [this, id] { receivePictureFile(id); });
        lineActions_ << a;
    }
    addSeparator();
    for (const std::uint8_t status : {kStatusWaitLong, kStatusWaitLonger}) {
        QAction* a = addAction(tr("Status byte %1 (no mode)").arg(status));
        a->setObjectName(QStringLiteral("SimulatorStatus%1").arg(status));
        connect(a, &QAction::triggered, this, [this, status] { simulator_.sendStatus(status); });
        lineActions_ << a;
    }
    addSeparator();
    silent_ = addAction(tr("Silent &converter"));
    silent_->setObjectName(QStringLiteral("SimulatorSilent"));
    silent_->setCheckable(true);
    connect(silent_, &QAction::toggled, this, [this](bool on) { simulator_.setSilent(on); });
    lineActions_ << silent_;
    QAction* close = addAction(tr("&Line closed"));
    close->setObjectName(QStringLiteral("SimulatorCloseLine"));
    connect(close, &QAction::triggered, this, [this] {
        simulator_.closeLine();
        refresh();
    });
    lineActions_ << close;
    // A line behind a stable name can be pulled out and plugged in again, as a USB adapter.
    if (!simulator_.linkPath().isEmpty()) {
        unplug_ = addAction(tr("&Unplug the converter"));
        unplug_->setObjectName(QStringLiteral("SimulatorUnplug"));
        connect(unplug_, &QAction::triggered, this, [this] {
            simulator_.unplug();
            refresh();
        });
        plugIn_ = addAction(tr("&Plug the converter in"));
        plugIn_->setObjectName(QStringLiteral("SimulatorPlugIn"));
        connect(plugIn_, &QAction::triggered, this, [this] {
            QString error;
            if (!simulator_.plugIn(&error))
                dialogs_.message(tr("Cannot plug the converter in: %1").arg(error),
                                 Dialogs::Kind::Error);
            refresh();
        });
    }

    connect(this, &QMenu::aboutToShow, this, &SimulatorMenu::refresh);
}

QImage SimulatorMenu::nextTestPicture() {
    return ConverterSimulator::cameraPicture(++testFrame_);
}

void SimulatorMenu::receiveTestPicture(ModeId id) {
    simulator_.receive(mode(id).box->statusByte, nextTestPicture());
}

void SimulatorMenu::receivePictureFile(ModeId id) {
    Dialogs::FileRequest request;
    request.title = tr("Picture received in %1").arg(mode(id).name);
    request.filter = kPictureFilter;
    const std::optional<QString> path = dialogs_.openFile(request);
    if (!path)
        return;
    QImageReader reader(*path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        dialogs_.message(tr("Cannot read the picture %1: %2").arg(*path, reader.errorString()),
                         Dialogs::Kind::Error);
        return;
    }
    simulator_.receive(mode(id).box->statusByte, picture);
}

void SimulatorMenu::refresh() {
    const bool running = simulator_.isRunning();
    for (QAction* a : std::as_const(lineActions_))
        a->setEnabled(running);
    if (unplug_)
        unplug_->setEnabled(running);
    if (plugIn_)
        plugIn_->setEnabled(!running);
    const QSignalBlocker blocker(silent_);
    silent_->setChecked(simulator_.isSilent());
}

} // namespace winorbis
