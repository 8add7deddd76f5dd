// SPDX-License-Identifier: GPL-3.0-or-later
#include "Listen.h"
#include "Orbisctl.h"

#include "converter/Modes.h"
#include "platform/TerminationWatcher.h"
#include "radio/SoundCardAir.h"
#include "radio/StreamAudioSource.h"
#include "radio/WavFileAudio.h"
#include "radio/devices/SoundSystem.h"
#include "stationcore/ReceivedFiles.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace winorbis {

namespace {

// The most audio one turn of the event loop decodes: a recording or a fast pipe is taken in such
// pieces, so that a signal is heard between them.
constexpr double kTurnSeconds = 0.25;
// How often an input that keeps pace with the air is looked at.
constexpr int kPumpMs = 20;
// How long the end after SIGTERM or SIGINT may take on a capture device whose sound server hangs.
constexpr int kEndWithinMs = 3000;

// The input as the air reads it: at most one turn's audio per turn, and at its end once the
// command has been told to end.
class TurnSource final : public radio::AudioSource {
public:
    explicit TurnSource(radio::AudioSource& source)
        : source_(source) {}

    void newTurn() { left_ = std::max<std::size_t>(1, std::size_t(sampleRate() * kTurnSeconds)); }
    // The turn took all it might: more may be waiting.
    bool turnFull() const { return left_ == 0; }
    void close() { closed_ = true; }

    double sampleRate() const override { return source_.sampleRate(); }
    std::size_t read(std::span<float> out) override {
        if (closed_)
            return 0;
        const std::size_t n = source_.read(out.first(std::min(out.size(), left_)));
        left_ -= n;
        return n;
    }
    QString problem() const override { return source_.problem(); }
    bool atEnd() const override { return closed_ || source_.atEnd(); }

private:
    radio::AudioSource& source_;
    std::size_t left_ = 0;
    bool closed_ = false;
};

// Keeps each picture the air delivers and says it.
class Receiver final : public radio::SoundCardAir::Listener {
public:
    Receiver(QString folder, std::FILE* out, std::FILE* err)
        : folder_(std::move(folder))
        , out_(out)
        , err_(err) {}

    bool failed = false; // a picture or its log line could not be written

    void problem(const QString& text) override {
        std::fprintf(err_, "orbisctl: %s\n", qPrintable(text));
        std::fflush(err_);
    }

    void receptionEnded(const sstv::PictureEnd& end) override {
        const sstv::Mode& m = sstv::mode(end.mode);
        if (!end.complete && end.lines < kLeastLines) {
            std::fprintf(err_, "orbisctl: a %s picture cut short after %d lines is not kept\n",
                         qPrintable(m.name), end.lines);
            return;
        }
        const QDateTime when = QDateTime::currentDateTimeUtc();
        const ReceivedFile file =
            saveReceivedPicture(end.picture, folder_, when, m.name, end.fskId);
        for (const QString& error : file.errors)
            std::fprintf(err_, "orbisctl: %s\n", qPrintable(error));
        failed = failed || !file.errors.isEmpty();
        QString line = QStringLiteral("%1 %2 %3/%4 %5")
                           .arg(when.toString(Qt::ISODate), m.name)
                           .arg(end.lines)
                           .arg(m.lines)
                           .arg(file.path.isEmpty() ? QStringLiteral("-") : file.path);
        if (!end.fskId.isEmpty())
            line += QLatin1Char(' ') + end.fskId;
        std::fprintf(out_, "%s\n", qPrintable(line));
        std::fflush(out_);
    }

private:
    QString folder_;
    std::FILE* out_;
    std::FILE* err_;
};

} // namespace

int runListen(const QStringList& arguments, const Clock& clock, int in, std::FILE* out,
              std::FILE* err) {
    QString folder;
    QString input;
    std::optional<QString> capture;
    int rate = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--save" && hasValue) {
            folder = arguments[++i];
        } else if (a == "--capture" && hasValue) {
            capture = arguments[++i] == "default" ? QString() : arguments[i];
        } else if (a == "--input" && hasValue) {
            input = arguments[++i];
        } else if (a == "--rate" && hasValue) {
            bool ok = false;
            rate = arguments[++i].toInt(&ok);
            if (!ok || rate < 8000 || rate > 96000)
                return usageError(err, QStringLiteral("--rate takes 8000 to 96000"));
        } else {
            return usageError(err, QStringLiteral("unknown or incomplete listen option %1").arg(a));
        }
    }
    if (folder.isEmpty())
        return usageError(err, QStringLiteral("listen needs --save DIR"));
    if (capture.has_value() == !input.isEmpty())
        return usageError(err, QStringLiteral("listen takes one of --capture and --input"));
    if (input == "-" && rate == 0)
        return usageError(err, QStringLiteral("--input - needs --rate HZ"));
    if (input != "-" && rate != 0)
        return usageError(err, QStringLiteral("--rate is for --input - only"));

    const auto fail = [err](const QString& why) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
        return 1;
    };
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot make the folder %1").arg(folder));
    QString why;
    std::unique_ptr<radio::AudioSource> source;
    if (capture) {
        source = radio::openThreadedAudioSource(*capture, &why);
        // A sound server that hangs must not keep the command from ending.
        TerminationWatcher::endWithin(kEndWithinMs);
    } else if (input == "-") {
        source = std::make_unique<radio::StreamAudioSource>(in, rate);
    } else {
        source = radio::WavFileSource::open(input, &why);
    }
    if (!source)
        return fail(why);

    TurnSource reads(*source);
    Receiver receiver(folder, out, err);
    int status = 0;
    {
        radio::SoundCardAir air(clock, &reads, nullptr, nullptr);
        air.setListener(&receiver);
        QEventLoop loop;
        QTimer turn;
        turn.setSingleShot(true);
        QObject::connect(&turn, &QTimer::timeout, &loop, [&] {
            reads.newTurn();
            air.pump();
            if (reads.atEnd())
                loop.quit();
            else
                turn.start(reads.turnFull() ? 0 : kPumpMs);
        });
        // A signal ends the input: the picture under way is kept as the input's end keeps it.
        TerminationWatcher termination;
        QObject::connect(&termination, &TerminationWatcher::terminationRequested, &loop, [&] {
            reads.close();
            turn.start(0);
        });
        turn.start(0);
        loop.exec();
        // The end the source came to after the air last looked is the air's too.
        reads.close();
        air.pump();
        air.setListener(nullptr);
        status = receiver.failed ? 1 : 0;
    }
    source.reset();
    return status;
}

} // namespace winorbis
