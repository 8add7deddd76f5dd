// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationConverter.h"

#include "MainWindowTexts.h"
#include "ReceptionFace.h"
#include "TForm1.h"
#include "link/PortFactory.h"
#include "platform/Clock.h"
#include "settings/PortMap.h"
#include "settings/StationOptions.h"
#include "workspace/ui/PaintBox.h"

#include <QLabel>
#include <QStatusBar>

namespace winorbis {

using namespace mainwindowtext;

namespace {

// The built-in converter's pseudo-terminal as the window's port, under the kind the converter
// field shows: the line's private name means nothing to the operator.
class SoundCardLine final : public BytePort {
public:
    explicit SoundCardLine(std::unique_ptr<BytePort> line)
        : line_(std::move(line)) {
        line_->setGoneHandler([this] { notifyGone(); });
    }
    QString kind() const override { return kSoundCardKind; }
    QString lastError() const override { return line_->lastError(); }
    bool configure(LinkSpeed speed) override { return line_->configure(speed); }
    int baudRate() const override { return line_->baudRate(); }
    int read(std::uint8_t* buffer, int count) override { return line_->read(buffer, count); }
    bool writeByte(std::uint8_t byte) override { return line_->writeByte(byte); }
    bool write(const std::uint8_t* bytes, int count) override { return line_->write(bytes, count); }
    void discardInput() override { line_->discardInput(); }
    void drain() override { line_->drain(); }
    Wait waitForInput(int wakeFd) override { return line_->waitForInput(wakeFd); }
    bool hasVanished() const override { return line_->hasVanished(); }
    bool reopen() override { return line_->reopen(); }

private:
    std::unique_ptr<BytePort> line_;
};

} // namespace

StationConverter::StationConverter(Clock& clock, Print print, bool verbose, QObject* parent)
    : QObject(parent)
    , clock_(clock)
    , print_(std::move(print))
    , verbose_(verbose) {}

StationConverter::~StationConverter() {
    stop();
}

void StationConverter::remember(const StationOptions& options) {
    running_ = ConverterChoice::fromOptions(options);
}

bool StationConverter::startSoundCard(const StationOptions& options, QString* error) {
    running_.kind = ConverterChoice::Kind::SoundCard;
    return startCard(options, error);
}

bool StationConverter::startCard(const StationOptions& options, QString* error) {
    BuiltInSoundCard::Options card;
    card.warning = [this](const QString& text) { warn(text); };
    card.event = [this](const QString& text) {
        print_(QStringLiteral("sound card: %1").arg(text));
    };
    if (verbose_)
        card.commandLog = card.event;
    card_ = BuiltInSoundCard::start(options, clock_, card, error);
    if (!card_)
        return false;
    radio::SoundCardRadio& radio = card_->converter().radio();
    radio.setLineHandler([this](int row, const QImage& frame) { rows_.draw(row, frame); });
    radio.setClockHandler([this](double ppm) { showMeasuredClock(ppm); });
    return true;
}

void StationConverter::warn(const QString& text) {
    print_(QStringLiteral("sound card: %1").arg(text));
    if (!main_ || starting_)
        startWarnings_ << text;
    else
        main_->setStatusText(soundCardSays(text));
}

std::unique_ptr<BytePort> StationConverter::soundCardPort(LinkSpeed speed) {
    const QString path = card_ ? card_->linkPath() : QString();
    QString error;
    std::unique_ptr<BytePort> line = openPort(path, speed, clock_, &error);
    if (!line) {
        print_(QStringLiteral("winorbis: cannot open the sound-card converter's line %1: %2")
                   .arg(path, error));
        line = unusablePort(path, clock_);
    }
    return std::make_unique<SoundCardLine>(std::move(line));
}

void StationConverter::attach(TForm1& main) {
    main_ = &main;
    rows_.showIn(main.pictures().rx, *main.rxWindow());
    clockField_ = new QLabel(main.statusBar());
    clockField_->setObjectName(QStringLiteral("SoundCardClock"));
    clockField_->setToolTip(kSoundCardClockHint);
    clockField_->hide();
    main.statusBar()->addPermanentWidget(clockField_);
    if (!startWarnings_.isEmpty())
        main.setStatusText(soundCardSays(startWarnings_.join(QStringLiteral("; "))));
    startWarnings_.clear();
}

void StationConverter::showMeasuredClock(double ppm) {
    lastClock_ = ppm;
    if (clockField_) {
        clockField_->setText(soundCardClock(ppm));
        clockField_->show();
    }
    emit clockMeasured(ppm);
}

QString StationConverter::apply(const ConverterChoice& choice) {
    if (!choice.needsRestart(running_))
        return {};
    if (!switchable_ || !main_)
        return kConverterAtNextStart;
    Station& station = main_->station();
    if (station.receptionRunning() || station.busy())
        return kConverterBusy;
    // The port in use closes first, then the converter behind it stops: a device is never open
    // twice.
    station.closeConverter();
    card_.reset();
    running_ = choice;
    startWarnings_.clear();
    const LinkSpeed speed = station.linkSpeed();
    QString said;
    if (choice.kind == ConverterChoice::Kind::SoundCard) {
        StationOptions options;
        choice.writeTo(options);
        QString error;
        starting_ = true;
        const bool started = startCard(options, &error);
        starting_ = false;
        if (started) {
            station.attachConverter(soundCardPort(speed), kSoundCardKind);
            said = startWarnings_.isEmpty()
                       ? converterNowInUse(kSoundCardKind)
                       : soundCardSays(startWarnings_.join(QStringLiteral("; ")));
        } else {
            said = converterNotStarted(error);
            print_(QStringLiteral("winorbis: %1").arg(said));
        }
    } else {
        const QString device =
            PortMap::load(main_->programFolder()).device(main_->settings().portNumber);
        station.attachConverter(device);
        said = converterNowInUse(device);
    }
    startWarnings_.clear();
    return said;
}

void StationConverter::stop() {
    if (!card_)
        return;
    card_->stop();
    // The devices close now, while the program can still tell whether one is stuck in a sound
    // server that hangs.
    card_.reset();
}

} // namespace winorbis
