// SPDX-License-Identifier: GPL-3.0-or-later
// orbis-modem: the converter for a station without the box. It serves the converter's bytes on a
// pseudo-terminal behind a stable name, for winorbis and orbisctl, and does on the air what the
// box does with the PC's sound: pictures are sent to a WAV file and received from a recording.
#include "CommandLine.h"
#include "app/AppInfo.h"
#include "platform/Clock.h"
#include "platform/TerminationWatcher.h"
#include "radio/BasicPtt.h"
#include "radio/SoundCardConverter.h"
#include "radio/WavFileAudio.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

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
    int rate = 48000;
    double ppm = 0.0;
    QString picture;
    QString ptt = QStringLiteral("none");
    bool verbose = false;
};

std::unique_ptr<radio::Ptt> makePtt(const QString& spec, QString* why) {
    if (spec == "none")
        return std::make_unique<radio::NoPtt>();
    if (spec == "vox")
        return std::make_unique<radio::VoxPtt>();
    if (why)
        *why = QStringLiteral("unknown push-to-talk %1").arg(spec);
    return nullptr;
}

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
    line.add("--picture", "FILE", "the picture digitize puts into memory (BMP, JPEG or PNG)",
             [&](const QString& v) {
                 setup.picture = v;
                 return QString();
             });
    line.add("--ptt", "KIND", "push-to-talk: none or vox (VOX tones before each picture)",
             [&](const QString& v) {
                 setup.ptt = v;
                 QString why;
                 return makePtt(v, &why) ? QString() : why;
             });
    line.addFlag("--verbose", "also print every command of the program",
                 [&] { setup.verbose = true; });
}

void print(const QString& text) {
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qPrintable(kApplicationTitle));
        return 0;
    }
    TerminationWatcher::catchEarly();
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
    if (setup.link.isEmpty())
        return usageError(QStringLiteral("--link NAME is required"));

    SystemClock clock;
    QString why;
    std::unique_ptr<radio::WavFileSource> source;
    if (!setup.input.isEmpty() &&
        !(source = radio::WavFileSource::open(setup.input, clock, &why))) {
        std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(why));
        return 1;
    }
    std::unique_ptr<radio::WavFileSink> sink;
    if (!setup.output.isEmpty() &&
        !(sink = radio::WavFileSink::create(setup.output, setup.rate, &why))) {
        std::fprintf(stderr, "orbis-modem: %s\n", qPrintable(why));
        return 1;
    }
    const std::unique_ptr<radio::Ptt> ptt = makePtt(setup.ptt, &why);

    radio::SoundCardConverter::Options options;
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
    radio::SoundCardConverter converter(clock, source.get(), sink.get(), ptt.get(), options);
    converter.radio().setClockPpm(setup.ppm);
    if (!setup.picture.isEmpty())
        converter.radio().setDigitizePicture(setup.picture);
    if (!converter.openAt(setup.link, &why)) {
        std::fprintf(stderr, "orbis-modem: cannot open the line: %s\n", qPrintable(why));
        return 1;
    }
    print(QStringLiteral("Converter on %1; input %2, output %3, PTT %4")
              .arg(setup.link,
                   source ? QStringLiteral("%1 (%2 Hz)").arg(setup.input).arg(source->sampleRate())
                          : QStringLiteral("none"),
                   sink ? QStringLiteral("%1 (%2 Hz)").arg(setup.output).arg(setup.rate)
                        : QStringLiteral("none"),
                   ptt->describe()));

    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &app, [&] {
        converter.stop();
        QCoreApplication::quit();
    });
    const int status = app.exec();
    converter.stop();
    return status;
}
