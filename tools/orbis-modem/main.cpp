// SPDX-License-Identifier: GPL-3.0-or-later
// orbis-modem: the converter for a station without the box. It serves the converter's bytes on a
// pseudo-terminal behind a stable name, for winorbis and orbisctl, and does on the air what the
// box does with the PC's sound card (or WAV files): pictures are sent and received as SSTV audio,
// with the transmitter keyed through Hamlib, a serial line's RTS or DTR, or VOX.
#include "CommandLine.h"
#include "platform/Clock.h"
#include "platform/TerminationWatcher.h"
#include "platform/Version.h"
#include "radio/SoundCardServer.h"
#include "radio/WavFileAudio.h"
#include "radio/devices/SoundSystem.h"
#include "radio/ptt/PttDevices.h"
#include "radio/ptt/PttSignalRelease.h"
#include "stationcore/ReceivedFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

using namespace winorbis;

namespace {

const char* kUsageHead =
    "Usage: orbis-modem --link NAME [OPTIONS]\n"
    "       orbis-modem --version\n"
    "The Orbis 70p converter done by the computer's sound: it serves the converter's bytes on a\n"
    "pseudo-terminal reached through the symbolic link NAME (start winorbis or orbisctl with\n"
    "--port NAME), sends the pictures it is told to transmit as SSTV audio and receives SSTV\n"
    "pictures into its memory, announcing each as the converter does. Prints one line per\n"
    "event; ends on SIGTERM or SIGINT with the push-to-talk released and the output file whole.\n"
    "\n"
    "Options:\n";

// What the command line chose.
struct Setup {
    QString link;
    QString input;
    QString output;
    std::optional<QString> capture;  // a sound card's capture device ("" the default)
    std::optional<QString> playback; // a sound card's playback device
    bool listDevices = false;
    int rate = 48000;
    double ppm = 0.0;
    QString picture;
    QString camera;
    QString save;
    QString ptt = QStringLiteral("none");
    bool verbose = false;
};

void describeOptions(CommandLine& line, Setup& setup) {
    line.add("--link", "NAME", "the converter's line: a symbolic link to its pseudo-terminal",
             [&](const QString& v) {
                 setup.link = v;
                 return v.isEmpty() ? QStringLiteral("an empty name") : QString();
             });
    line.add("--input", "FILE.wav", "receive from this recording, played at real time",
             [&](const QString& v) {
                 setup.input = v;
                 return QString();
             });
    line.add("--output", "FILE.wav", "transmit into this WAV file (16-bit mono)",
             [&](const QString& v) {
                 setup.output = v;
                 return QString();
             });
    line.add("--rate", "HZ", "sample rate of the output file (8000 .. 96000, default 48000)",
             [&](const QString& v) {
                 bool ok = false;
                 setup.rate = v.toInt(&ok);
                 return ok && setup.rate >= 8000 && setup.rate <= 96000
                            ? QString()
                            : QStringLiteral("not a rate from 8000 to 96000");
             });
    line.add("--ppm", "N", "clock correction: the sound card's true rate is nominal x (1 + N/1e6)",
             [&](const QString& v) {
                 bool ok = false;
                 setup.ppm = v.toDouble(&ok);
                 return ok && std::abs(setup.ppm) <= 20000 ? QString()
                                                           : QStringLiteral("not a correction");
             });
    line.add("--save", "DIR",
             "keep every picture heard, at its mode's own size, as DIR/ddmmyy_hhnnss.jpg with a "
             "line in DIR/received.log (and the callsign sent in FSK after it)",
             [&](const QString& v) {
                 setup.save = v;
                 return v.isEmpty() ? QStringLiteral("an empty folder name") : QString();
             });
    line.add("--picture", "FILE", "the picture digitize puts into memory (BMP, JPEG or PNG)",
             [&](const QString& v) {
                 setup.picture = v;
                 return QString();
             });
    line.add("--camera", "NAME",
             "digitize the camera's last frame (its name as --list-devices shows it); without "
             "a frame the --picture file",
             [&](const QString& v) {
                 setup.camera = v;
                 return v.isEmpty() ? QStringLiteral("an empty name") : QString();
             });
    line.add("--capture", "DEVICE",
             "receive from this sound card capture device (its name as --list-devices shows it; "
             "\"default\" for the default)",
             [&](const QString& v) {
                 setup.capture = v == "default" ? QString() : v;
                 return QString();
             });
    line.add("--playback", "DEVICE", "transmit through this sound card playback device",
             [&](const QString& v) {
                 setup.playback = v == "default" ? QString() : v;
                 return QString();
             });
    line.add("--ptt", "KIND",
             "push-to-talk: none, vox (VOX tones before each picture), rts:DEVICE, dtr:DEVICE, "
             "rigctld:HOST:PORT or hamlib:MODEL:DEVICE[:BAUD]",
             [&](const QString& v) {
                 setup.ptt = v;
                 QString why;
                 return radio::PttSpec::parse(v, &why) ? QString() : why;
             });
    line.addFlag("--list-devices",
                 "print the sound cards' capture and playback devices and the "
                 "cameras",
                 [&] { setup.listDevices = true; });
    line.addFlag("--verbose", "also print every command of the program",
                 [&] { setup.verbose = true; });
}

// How long the end after SIGTERM or SIGINT may take: the release and the files come first.
constexpr int kEndWithinMs = 1800;

void print(const QString& text) {
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qPrintable(kVersionLine));
        return 0;
    }
    TerminationWatcher::catchEarly();
    // A sound server that hangs must not keep the converter from ending.
    TerminationWatcher::endWithin(kEndWithinMs);
    // A full disk or a file-size limit makes a write fail, which is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);

    Setup setup;
    CommandLine commandLine;
    describeOptions(commandLine, setup);
    const QStringList args = app.arguments().mid(1);
    if (args.contains("--help") || args.contains("-h")) {
        std::fputs(kUsageHead, stdout);
        std::fputs(qPrintable(commandLine.optionHelp()), stdout);
        return 0;
    }
    const auto usageError = [](const QString& why) {
        std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(why));
        return 2;
    };
    if (const QString why = commandLine.parse(args); !why.isEmpty())
        return usageError(why);
    if (setup.listDevices) {
        if (const QString problem = radio::soundSystemProblem(); !problem.isEmpty()) {
            std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(problem));
            return 1;
        }
        print(QStringLiteral("Capture devices:"));
        for (const QString& name : radio::captureDeviceNames())
            print(QStringLiteral("  %1").arg(name));
        print(QStringLiteral("Playback devices:"));
        for (const QString& name : radio::playbackDeviceNames())
            print(QStringLiteral("  %1").arg(name));
        print(QStringLiteral("Cameras:"));
        for (const QString& name : radio::cameraNames())
            print(QStringLiteral("  %1").arg(name));
        return 0;
    }
    if (setup.link.isEmpty())
        return usageError(QStringLiteral("--link NAME is required"));
    if (setup.capture && !setup.input.isEmpty())
        return usageError(QStringLiteral("--capture and --input exclude each other"));
    if (setup.playback && !setup.output.isEmpty())
        return usageError(QStringLiteral("--playback and --output exclude each other"));

    SystemClock clock;
    QString why;
    const auto fail = [&why] {
        std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(why));
        return 1;
    };
    std::unique_ptr<radio::AudioSource> source;
    if (!setup.input.isEmpty())
        source = radio::WavFileSource::open(setup.input, clock, &why);
    else if (setup.capture)
        source = radio::openThreadedAudioSource(*setup.capture, &why);
    if (!why.isEmpty())
        return fail();
    std::unique_ptr<radio::AudioSink> sink;
    if (!setup.output.isEmpty())
        sink = radio::WavFileSink::create(setup.output, setup.rate, &why);
    else if (setup.playback)
        sink = radio::openThreadedAudioSink(*setup.playback, &why);
    if (!why.isEmpty())
        return fail();
    std::unique_ptr<radio::Ptt> ptt = radio::openPtt(setup.ptt, &why);
    if (!ptt)
        return fail();
    std::unique_ptr<radio::VideoInput> camera;
    if (!setup.camera.isEmpty()) {
        camera = radio::openCamera(setup.camera, &why);
        if (!camera)
            return fail();
    }

    radio::SoundCardServer::Options options;
    options.event = print;
    options.error = [](const QString& text) {
        std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(text));
    };
    if (setup.verbose) {
        // The transfer lines would bury the rest.
        static const QRegularExpression transferLine(QStringLiteral("^line \\d+ (sent|received)$"));
        options.commandLog = [](const QString& text) {
            if (!transferLine.match(text).hasMatch())
                print(QStringLiteral("Converter: %1").arg(text));
        };
    }
    auto owned = std::make_unique<radio::SoundCardServer>(clock, source.get(), sink.get(),
                                                          ptt.get(), options);
    radio::SoundCardServer& converter = *owned;
    converter.radio().setClockPpm(setup.ppm);
    if (!setup.picture.isEmpty())
        converter.radio().setDigitizePicture(setup.picture);
    if (camera) {
        camera->setProblemHandler(options.error);
        converter.radio().setDigitizeCamera([&camera] { return camera->lastFrame(); });
    }
    if (!setup.save.isEmpty()) {
        if (!QDir().mkpath(setup.save)) {
            std::fprintf(stderr, "orbis-modem: cannot make the folder %s\n",
                         qPrintable(setup.save));
            return 1;
        }
        converter.radio().setPictureHandler([&setup](const sstv::PictureEnd& end) {
            const ReceivedFile file =
                saveReceivedPicture(end.picture, setup.save, QDateTime::currentDateTimeUtc(),
                                    mode(end.mode).name, end.fskId);
            for (const QString& problem : file.errors)
                std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(problem));
            if (!file.path.isEmpty())
                print(QStringLiteral("Saved %1").arg(file.path));
        });
    }
    if (!converter.openAt(setup.link, &why)) {
        std::fprintf(stderr, "orbis-modem: cannot open the line: %s\n", qPrintable(why));
        return 1;
    }
    print(QStringLiteral("Converter on %1; input %2, output %3, PTT %4")
              .arg(setup.link,
                   source ? QStringLiteral("%1 (%2 Hz)")
                                .arg(!setup.input.isEmpty() ? setup.input
                                     : setup.capture->isEmpty()
                                         ? QStringLiteral("default capture device")
                                         : *setup.capture)
                                .arg(source->sampleRate())
                          : QStringLiteral("none"),
                   sink ? QStringLiteral("%1 (%2 Hz)")
                              .arg(!setup.output.isEmpty() ? setup.output
                                   : setup.playback->isEmpty()
                                       ? QStringLiteral("default playback device")
                                       : *setup.playback)
                              .arg(sink->sampleRate())
                        : QStringLiteral("none"),
                   ptt->describe()));

    TerminationWatcher termination;
    // The transmitter is released first, from the event loop, then the converter ends in order.
    radio::PttSignalRelease release(termination);
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &app, [&] {
        converter.stop();
        QCoreApplication::quit();
    });
    const int status = app.exec();
    converter.stop();
    // A sound stream that failed is deleted from the event loop once its own signal has returned;
    // those still waiting go now, while the sound server's connection of the program still lives.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The devices close before the end is decided: one stuck in a sound server that hangs makes
    // the process end at once.
    owned.reset();
    source.reset();
    sink.reset();
    camera.reset();
    // Released already; the push-to-talk closes its rig or line here.
    ptt.reset();
    return radio::endAfterSound(status);
}
