// SPDX-License-Identifier: GPL-3.0-or-later
#include "Beacons.h"

#include "platform/ThreadHandoff.h"

#include "Station.h"

#include "converter/Modes.h"
#include "link/CommandGate.h"
#include "link/LinkTexts.h"
#include "platform/Clock.h"
#include "platform/ConsoleNotes.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>

namespace winorbis {

namespace {

constexpr int kPositions = 25;

// Waits ms on the worker in slices of a second; false when "Stop" or the program's end cut it.
bool waitUnlessStopped(ConverterOperations& ops, const std::atomic<bool>& stopped, int ms) {
    for (int left = ms; left > 0; left -= 1000) {
        if (stopped || !ops.pause(std::min(left, 1000)))
            return false;
    }
    return !stopped;
}

} // namespace

std::uint8_t beaconModeByte(BeaconMode beaconMode) {
    switch (beaconMode) {
    case BeaconMode::Robot36:
        return mode(ModeId::Robot36).box->txByte;
    case BeaconMode::Martin1:
        return mode(ModeId::Martin1).box->txByte;
    case BeaconMode::None:
        break;
    }
    return 0;
}

CatalogBeacon::CatalogBeacon(Station& station)
    : station_(station)
    , timer_(station.gate().gatedTimer(station.clock(), [this] { tick(); })) {}

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
    emit station_.statusText(QString());
}

void CatalogBeacon::tick() {
    // A converter whose device has vanished pauses the countdown as a reception does: nothing
    // is uploaded into a gone device, and the monitor gets its quiet seconds to open it again.
    if (!timerRunning() || station_.receptionRunning() || countdown_ <= 0 || station_.busy() ||
        station_.converterLost())
        return;
    --countdown_;
    // Once switched off the last countdown runs out silently: "Stop" has cleared its text.
    if (interval_ > 0)
        emit station_.statusText(linktext::beaconCountdown(countdown_, position_));
    if (countdown_ == 0)
        sendNext();
}

void CatalogBeacon::sendNext() {
    countdown_ = interval_;
    const int page = station_.settings().catalogPage;
    QString file;
    int position = position_;
    for (int tries = 0; tries < kPositions && file.isEmpty(); ++tries) {
        position = position_;
        file = positionFile(station_.folder(), page, position_);
        position_ = (position_ + 1) % kPositions;
    }
    if (file.isEmpty()) {
        // The timer stays stopped: the beacon has ended.
        ended_ = true;
        countdown_ = 0;
        emit station_.statusText(linktext::kBeaconPageEmpty);
        ConsoleNotes::write(linktext::kBeaconPageEmpty);
        return;
    }
    QImage picture;
    {
        // No box while a beacon works: what goes wrong is said in the status and on standard
        // error. (The job's own part is unattended by the station.)
        const UnattendedScope noBoxes(station_.dialogs());
        QString why;
        if (!station_.loadIntoTx(file, &why)) {
            const QString text = linktext::beaconCannotLoad(file, why);
            emit station_.statusText(text);
            ConsoleNotes::write(text);
            return;
        }
        picture = station_.uploadPicture();
    }
    const std::optional<ModeId> id =
        mode_ == BeaconMode::None
            ? std::nullopt
            : std::optional<ModeId>(mode_ == BeaconMode::Robot36 ? ModeId::Robot36
                                                                 : ModeId::Martin1);
    Clock* clock = &station_.clock();
    ticking_ = false;
    const bool admitted = station_.runJob(
        [picture, id, clock](ConverterOperations& ops) {
            Converter::Result result;
            // A failed upload sends no mode byte: the converter would transmit whatever its
            // memory held before, which is not the beacon's picture.
            if (!ops.upload(picture)) {
                result.complete = false;
                result.failure = ops.lastFailure();
                return result;
            }
            if (id && !clock->ending())
                ops.transmit(*id);
            return result;
        },
        false,
        [this, page, position, file](const Converter::Result& result) {
            ticking_ = true;
            if (!result.complete) {
                const QString text = linktext::beaconUploadFailed(file);
                emit station_.statusText(text);
                ConsoleNotes::write(text);
                if (listener_)
                    listener_->pictureFailed(page, position, file);
                return;
            }
            if (listener_)
                listener_->pictureSent(page, position, file);
        });
    if (!admitted)
        ticking_ = true;
}

AcqTxBeacon::AcqTxBeacon(Station& station, Host host)
    : station_(station)
    , host_(std::move(host))
    , timer_(station.gate().gatedTimer(station.clock(), [this] { transmit(); })) {}

AcqTxBeacon::~AcqTxBeacon() = default;

bool AcqTxBeacon::running() const {
    return timer_->isActive();
}

void AcqTxBeacon::stop() {
    tenMinutes_ = false;
    *stopped_ = true;
    timer_->stop();
    host_.status(linktext::kAcqBeaconOff);
}

void AcqTxBeacon::transmit() {
    if (station_.busy())
        return;
    tenMinutes_ = true;
    timer_->stop();
    if (station_.converterLost()) {
        // Tried again at the next period: the converter may be back by then.
        host_.status(station_.lostText());
        ConsoleNotes::write(station_.lostText());
        timer_->start(kPeriodMs);
        return;
    }
    // A new transmission, with a "Stop" of its own.
    stopped_ = std::make_shared<std::atomic<bool>>(false);
    host_.status(linktext::kDigitizeStatus);
    host_.removeFrames();
    const BeaconMode beaconMode = mode_;
    const bool robot = beaconMode == BeaconMode::Robot36;
    const auto stopped = stopped_;
    // The beacon's own texts go to the setup window's status line, in order with the job.
    const auto say = [this](const QString& text) {
        toStation_.post([this, text] { host_.status(text); }, true);
    };
    station_.runJob(
        [beaconMode, robot, stopped, say](ConverterOperations& ops) {
            Converter::Result result;
            result.complete = false;
            ops.digitize();
            if (!waitUnlessStopped(ops, *stopped, Station::kDigitizePauseMs))
                return result;
            ops.removeFrames();
            ops.digitize();
            if (!waitUnlessStopped(ops, *stopped, Station::kDigitizeSettleMs))
                return result;
            if (beaconMode == BeaconMode::None)
                return result; // the timer stays stopped
            ops.removeFrames();
            say(robot ? linktext::kAcqBeaconRobot36 : linktext::kAcqBeaconMartin1);
            const ModeId id = robot ? ModeId::Robot36 : ModeId::Martin1;
            ops.transmit(id);
            // The transmission's time on the air, as the mode table has it.
            result.complete = waitUnlessStopped(ops, *stopped, mode(id).box->receiveWaitMs);
            return result;
        },
        false,
        [this](const Converter::Result& result) {
            if (!result.complete)
                return;
            host_.status(linktext::kAcqBeaconBreak);
            timer_->start(kPeriodMs);
        });
}

} // namespace winorbis
