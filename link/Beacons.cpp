// SPDX-License-Identifier: GPL-3.0-or-later
#include "Beacons.h"

#include "CommandGate.h"
#include "LinkTexts.h"
#include "ModeTable.h"
#include "PictureTransfer.h"

#include "platform/Clock.h"
#include "platform/ConsoleNotes.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>

namespace winorbis {

namespace {

constexpr int kPositions = 25;

} // namespace

std::uint8_t beaconModeByte(BeaconMode beaconMode) {
    switch (beaconMode) {
    case BeaconMode::Robot36:
        return mode(ModeId::R36).txByte;
    case BeaconMode::Martin1:
        return mode(ModeId::M1).txByte;
    case BeaconMode::None:
        break;
    }
    return 0;
}

CatalogBeacon::CatalogBeacon(ConverterLink& link, PictureTransfer& transfer, CommandGate& gate,
                             Clock& clock, Dialogs& dialogs, const ProgramFolder& folder,
                             CatalogBeaconHost& host)
    : link_(link)
    , transfer_(transfer)
    , gate_(gate)
    , clock_(clock)
    , dialogs_(dialogs)
    , folder_(folder)
    , host_(host)
    , timer_(gate.gatedTimer(clock, [this] { tick(); })) {}

CatalogBeacon::~CatalogBeacon() = default;

void CatalogBeacon::startTimer() {
    timer_->start(1000);
}

QString CatalogBeacon::positionFile(const ProgramFolder& folder, int page, int position) {
    for (const char* extension : {"BMP", "JPG"}) {
        const QString path = folder.path(QStringLiteral("\\im%1\\cat%2.%3")
                                             .arg(page)
                                             .arg(position)
                                             .arg(QLatin1String(extension)));
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

void CatalogBeacon::switchOff() {
    setInterval(0);
    host_.showStatus(QString());
}

void CatalogBeacon::tick() {
    // A converter whose device has vanished pauses the countdown as a reception does: nothing
    // is uploaded into a gone device, and the monitor gets its quiet seconds to open it again.
    if (!timerRunning() || !link_.isIdle() || countdown_ <= 0 || gate_.busy() ||
        link_.port().hasVanished())
        return;
    --countdown_;
    // Once switched off the last countdown runs out silently: "Stop" has cleared its text.
    if (interval_ > 0)
        host_.showStatus(linktext::beaconCountdown(countdown_, position_));
    if (countdown_ == 0)
        sendNext();
}

void CatalogBeacon::sendNext() {
    CommandGate::Operation operation(gate_);
    const UnattendedScope noBoxes(dialogs_); // no box while a beacon works
    const MonitorHold hold = host_.holdMonitor();
    ticking_ = false;
    countdown_ = interval_;
    const int page = host_.catalogPage();
    QString file;
    int position = position_;
    for (int tries = 0; tries < kPositions && file.isEmpty(); ++tries) {
        position = position_;
        file = positionFile(folder_, page, position_);
        position_ = (position_ + 1) % kPositions;
    }
    if (file.isEmpty()) {
        // The monitor is released and the timer stays stopped: the beacon has ended.
        ended_ = true;
        countdown_ = 0;
        host_.showStatus(linktext::kBeaconPageEmpty);
        ConsoleNotes::write(linktext::kBeaconPageEmpty);
        return;
    }
    QString why;
    if (!host_.loadIntoTx(file, &why)) {
        const QString text = linktext::beaconCannotLoad(file, why);
        host_.showStatus(text);
        ConsoleNotes::write(text);
        ticking_ = true;
        return;
    }
    host_.beforeUpload();
    host_.txPictureChanged();
    // A failed upload sends no mode byte: the converter would transmit whatever its memory held
    // before, which is not the beacon's picture.
    if (!transfer_.UploadPicture(host_.txPicture(), hold)) {
        const QString text = linktext::beaconUploadFailed(file);
        host_.showStatus(text);
        ConsoleNotes::write(text);
        host_.pictureFailed(page, position, file);
        ticking_ = true;
        return;
    }
    if (const std::uint8_t byte = beaconModeByte(mode_); byte != 0 && !clock_.ending())
        link_.SendCommandByte(byte);
    host_.pictureSent(page, position, file);
    ticking_ = true;
}

AcqTxBeacon::AcqTxBeacon(ConverterLink& link, CommandGate& gate, Clock& clock, Host host)
    : link_(link)
    , gate_(gate)
    , clock_(clock)
    , host_(std::move(host))
    , timer_(gate.gatedTimer(clock, [this] { transmit(); })) {}

AcqTxBeacon::~AcqTxBeacon() = default;

bool AcqTxBeacon::running() const {
    return timer_->isActive();
}

void AcqTxBeacon::stop() {
    tenMinutes_ = false;
    stopped_ = true;
    timer_->stop();
    host_.status(linktext::kAcqBeaconOff);
}

bool AcqTxBeacon::waitUnlessStopped(int ms) {
    // In slices of a second, so that "Stop" ends the transmission within a second.
    // Up to a deadline, so that the slices' own overhead does not add up over a long wait.
    constexpr std::int64_t kSliceMs = 1000;
    const std::int64_t deadline = clock_.nowMs() + ms;
    for (std::int64_t left = ms; left > 0; left = deadline - clock_.nowMs()) {
        if (!clock_.waitPainting(int(std::min(left, kSliceMs))) || stopped_)
            return false;
    }
    return !stopped_;
}

void AcqTxBeacon::transmit() {
    if (gate_.busy())
        return;
    CommandGate::Operation operation(gate_);
    stopped_ = false;
    tenMinutes_ = true;
    timer_->stop();
    if (link_.refuseWhileLost(false)) {
        // Tried again at the next period: the converter may be back by then.
        host_.status(link_.lostText());
        timer_->start(kPeriodMs);
        return;
    }
    host_.status(linktext::kDigitizeStatus);
    host_.removeFrames();
    link_.SendCommandByte(command::kDigitize);
    if (!waitUnlessStopped(200))
        return;
    host_.removeFrames();
    link_.SendCommandByte(command::kDigitize);
    if (!waitUnlessStopped(14000))
        return;
    if (mode_ == BeaconMode::None)
        return; // the timer stays stopped
    host_.removeFrames();
    const bool robot = mode_ == BeaconMode::Robot36;
    host_.status(robot ? linktext::kAcqBeaconRobot36 : linktext::kAcqBeaconMartin1);
    link_.SendCommandByte(beaconModeByte(mode_));
    if (!waitUnlessStopped(robot ? 37000 : 114000))
        return;
    host_.status(linktext::kAcqBeaconBreak);
    timer_->start(kPeriodMs);
}

} // namespace winorbis
