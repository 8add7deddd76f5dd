// SPDX-License-Identifier: GPL-3.0-or-later
#include "Orbisctl.h"

#include "converter/Modes.h"
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/PortFactory.h"
#include "link/TRecThread.h"
#include "platform/ConsoleDialogs.h"
#include "platform/ProgramFolder.h"
#include "radio/devices/SoundSystem.h"
#include "settings/PortMap.h"
#include "settings/SettingsCodec.h"
#include "stationcore/Station.h"
#include "tools/orbisctl/Analyze.h"
#include "tools/orbisctl/Beacon.h"
#include "tools/orbisctl/Caption.h"
#include "tools/orbisctl/Catalog.h"
#include "tools/orbisctl/Handheld.h"
#include "tools/orbisctl/Listen.h"
#include "tools/orbisctl/Log.h"
#include "tools/orbisctl/PictureFile.h"
#include "tools/orbisctl/Serve.h"
#include "tools/orbisctl/Sstv.h"
#include "tools/orbisctl/Tune.h"
#include "tools/orbisctl/Watch.h"
#include "tools/orbisctl/WebPassword.h"
#include "web/WebFace.h"
#include "workspace/WorkingPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <unistd.h>

namespace winorbis {

namespace {

struct Request {
    QString device;
    int com = 0;
    std::optional<LinkSpeed> speed; // none: the settings' speed
    QString folder;
    QStringList command;
};

std::optional<std::uint8_t> commandByte(const QStringList& command, QString& why) {
    const QString verb = command.value(0);
    if ((verb == "send" || verb == "freerun") && command.size() == 2) {
        const auto id = modeByName(command[1]);
        if (!id) {
            why = QStringLiteral("unknown mode %1 (%2)")
                      .arg(command[1], modeShortNames().join(QLatin1Char(' ')));
            return std::nullopt;
        }
        // The box's byte for its modes; the sound card takes the others, the box refuses them.
        const auto& box = mode(*id).box;
        return !box ? std::uint8_t(0) : verb == "send" ? box->txByte : box->freeRunByte;
    }
    if (verb == "digitize" && command.size() == 1)
        return command::kDigitize;
    if (verb == "memory" && command.size() == 2 && (command[1] == "1" || command[1] == "2"))
        return command[1] == "1" ? command::kMemory1 : command::kMemory2;
    if (verb == "stop" && command.size() == 1)
        return command::kBeginTransfer;
    why = QStringLiteral("unknown command: %1").arg(command.join(' '));
    return std::nullopt;
}

// A usage error: the problem in one line, and where the whole usage is.

} // namespace

int usageError(std::FILE* err, const QString& why) {
    std::fprintf(err, "orbisctl: %s; see orbisctl --help\n", qPrintable(why));
    return 2;
}

QString orbisctlHelp() {
    const QString help = QStringLiteral(
        "Usage: orbisctl [--port DEVICE | --com N] [--speed 1|2] [--folder DIR] COMMAND\n"
        "Drives an Orbis 70p SSTV converter from the command line.\n"
        "\n"
        "  --port DEVICE   the converter's port: a serial device (/dev/ttyUSB0, a\n"
        "                  pseudo-terminal) or a serial server, rfc2217://HOST:PORT (Telnet\n"
        "                  with com port control) or tcp://HOST:PORT (raw)\n"
        "  --com N         port number 1..4 as mapped in the program folder's ports.conf\n"
        "  --speed 1|2     1200 or 115200 baud\n"
        "  --folder DIR    the program folder (default: the current directory); without\n"
        "                  --port or --com its settings give port and speed\n"
        "  --version       print the version and exit\n"
        "\n"
        "Commands:\n"
        "  identify        print the converter's identify answer in decimal\n"
        "  send MODE       transmit the memory picture; MODE: R36 R72 M1 M2 S1 S2\n"
        "  freerun MODE    free-run reception in MODE\n"
        "  digitize        digitize the video input\n"
        "  memory 1|2      switch to converter memory 1 or 2\n"
        "  stop            stop a running reception\n"
        "  upload PICTURE [CAPTION OPTIONS]\n"
        "                  load a BMP or JPEG picture (scaled into 410 x 256) into the converter,\n"
        "                  with a caption burnt in first when the caption options are given\n"
        "  beacon --page P [--interval SECONDS] [--mode r36|m1|none] [--count N]\n"
        "                  the catalog beacon without a window: every interval (default: the\n"
        "                  folder's settings) the next picture of catalog page P (imP/catK.bmp,\n"
        "                  else .jpg) is uploaded and sent in the mode; one line \"PAGE POSITION\n"
        "                  FILE\" per picture. A reception pauses it. Ends after N pictures, on\n"
        "                  Ctrl+C, after the one picture of interval 0, or with status 1 after\n"
        "                  25 empty positions in a row. A picture whose upload failed is said\n"
        "                  on standard error, not sent and not counted; with --count N the\n"
        "                  status is 1 when fewer than N went out. A device that vanishes is\n"
        "                  opened again every second, and the beacon waits for it\n"
        "  caption IN OUT --text TEXT [--at X,Y] [--size PIXELS] [--angle DEGREES]\n"
        "          [--font FAMILY] [--bold] [--italic] [--colour #RRGGBB] [--shadow #RRGGBB]\n"
        "          [--no-shadow] [--callsign]\n"
        "                  burn a caption into a picture (loaded as into the TX picture) as the\n"
        "                  program does; what is not given comes from the folder's caption\n"
        "                  settings; --callsign pastes callsign.bmp into the corner; OUT is BMP\n"
        "                  or JPEG by its extension\n"
        "  callsign CALL   set the station's callsign in the folder's settings and draw\n"
        "                  callsign.bmp from it in the caption font and colours, as the setup\n"
        "                  window does; prints the picture's path\n"
        "  fetch OUT       fetch the converter's picture and write its 410 x 256 part (converter\n"
        "                  pixels 10 .. 419) as OUT, BMP or JPEG by the name's extension\n"
        "  analyze FILE.wav [--bins] [--png OUT.png]\n"
        "                  the tuning display over a recording (PCM mono, 8000 Hz, 8 or 16\n"
        "                  bits): one line per display update, \"PERIOD PEAK SYNC MEAN\" (the\n"
        "                  highest column, the sync length or 0, the centre of mass); --bins\n"
        "                  adds the 256 shown bins, --png writes the last display\n"
        "  sstv encode PICTURE OUT.wav --mode MODE [--rate HZ] [--vox] [--fsk-id CALL]\n"
        "                  send a picture (BMP, JPEG or PNG, scaled to the mode's size) as SSTV\n"
        "                  in software: 16-bit mono WAV at HZ (default 48000), with --vox the\n"
        "                  VOX tones before the VIS header, with --fsk-id the callsign in FSK\n"
        "                  after the picture (as MMSSTV and qsstv send it); MODE, in any case:\n"
        "%1"
        "  sstv decode IN.wav OUT.png|bmp|jpg\n"
        "                  receive the first SSTV picture of a recording (PCM WAV of 8 to 32\n"
        "                  bits, the first channel, any rate), write it at the mode's size and\n"
        "                  print \"MODE LINES CLOCK_PPM OFFSET_HZ\" (MODE as above; the lines\n"
        "                  received; how much longer its lines were than the mode's, in ppm;\n"
        "                  the mistuning in Hz), and \"FSKID CALL\" when a callsign follows the\n"
        "                  picture in FSK; status 1 when there is no picture\n"
        "  listen --save DIR (--capture DEVICE | --input FILE.wav | --input - --rate HZ)\n"
        "                  a station that only receives, without a converter: every picture\n"
        "                  heard in any of the modes above is written at its mode's size as\n"
        "                  DIR/ddmmyy_hhnnss.jpg with a line in DIR/received.log (the callsign\n"
        "                  sent in FSK after it as a fifth field) and printed as one line\n"
        "                  \"TIME MODE LINES/ALL FILE [CALLSIGN]\". It hears a sound card's\n"
        "                  capture device (named as orbis-modem --list-devices prints it,\n"
        "                  default for the default), which may go and come back, until Ctrl+C\n"
        "                  or SIGTERM; or a WAV recording, as fast as it is read; or raw signed\n"
        "                  16-bit little-endian mono samples at HZ on standard input; the last\n"
        "                  two to their end. A picture cut short (the signal lost, the input's\n"
        "                  end, Ctrl+C) is kept with the lines it has when they are at least %2.\n"
        "                  Status 1 when DIR cannot be made, the input cannot be opened or a\n"
        "                  picture cannot be written. The ISS with an SDR dongle:\n"
        "                    rtl_fm -M fm -f 145.8M -s 48k - |\n"
        "                      orbisctl listen --input - --rate 48000 --save iss/\n"
        "  catalog [PAGE]  list the catalog of the program folder: RX and TX positions and\n"
        "                  the page (default: the current one), each with its file and name\n"
        "  catalog copy FROM TO\n"
        "                  copy a catalog picture with its name; FROM rxN, txN or P:K (page P,\n"
        "                  position K), TO txN or P:K\n"
        "  catalog name txN|P:K|page P TEXT\n"
        "                  name a TX position, a page position or a page\n"
        "  handheld read   read a VC-H1 handheld on the port: flags and the meaning of each bit,\n"
        "                  call sign, its colour, interval, one line per memory page\n"
        "                  (\"P1 picture held\", \"P2 empty\", \"P5 unusable\")\n"
        "  handheld store|recall|hold|release N\n"
        "                  store into, recall, hold or release memory page N (1..10)\n"
        "  handheld call|report|message TEXT COLOUR\n"
        "                  show a text (A-Z 0-9 blank ! - / ?; small letters are made capitals;\n"
        "                  call 8, report 10, message 9 characters at most) in a colour: White\n"
        "                  Yellow Cyanic Green Magenta Red Blue Black\n"
        "  handheld functions [--af-monitor on|off] [--call-display on|off]\n"
        "                  [--power-save on|off] [--default-mode fast-fm|robot36]\n"
        "                  [--variable-interval on|off] [--interval SECONDS]\n"
        "                  [--repeater-id on|off]\n"
        "                  change the given function switches and write them with the interval\n"
        "                  (1..960 s; without --interval the handheld's own)\n"
        "  log show TABLE.DB\n"
        "                  print the log book's columns (name, type, width), an empty line, then\n"
        "                  its records, one per line, fields separated by tabs\n"
        "  log export TABLE.DB [--out FILE.adi]\n"
        "                  write the log book as ADIF 3.1 (standard output without --out); a\n"
        "                  record without a call sign is left out with a warning\n"
        "  log add TABLE.DB FIELD=VALUE ...\n"
        "                  add one record, its fields by column name (any letter case), each\n"
        "                  value checked as the log book's input mask checks it (dates as\n"
        "                  2026-12-08 or 8.12.2026, times as 14:05); prints \"added record N\"\n"
        "  tune [--list] [--device ID] [--count N] [--bins]\n"
        "                  the tuning display on the sound card: the same lines as analyze,\n"
        "                  one per display update (about twice a second) until N updates or\n"
        "                  Ctrl+C; the device given, else the one chosen in the analyzer window\n"
        "                  (station.conf), else the default; --list prints \"ID<TAB>NAME\" of\n"
        "                  each recording device\n"
        "  watch [--save DIR] [--count N] [--no-reconnect]\n"
        "                  follow the converter's receptions: one line per status byte, e.g.\n"
        "                  \"172 Martin 1 115000\"; with --save fetch each picture when its\n"
        "                  reception time has run out and write it as DIR/ddmmyy_hhnnss.jpg\n"
        "                  (ddmmyy_hhnnss_2.jpg ... when that name is taken) with a line in\n"
        "                  DIR/received.log (UTC time, mode, -, file); end after N\n"
        "                  receptions or on Ctrl+C. A device that vanishes is opened again\n"
        "                  every second until it is back; with --no-reconnect the watch ends\n"
        "                  there with status 1. A picture stored incomplete makes the status 1\n"
        "  serve --web [ADDRESS:]PORT [--public-view]\n"
        "                  run the station without a window, shown in a browser at\n"
        "                  http://ADDRESS:PORT/ (127.0.0.1 unless an address is given; another\n"
        "                  address needs the password that web-password sets) and run from there\n"
        "                  after a login; on the converter station.conf chooses (also the\n"
        "                  sound card) unless --port or --com names one; receptions are stored\n"
        "                  as the program stores them, the TX picture kept in start.bmp;\n"
        "                  --public-view shows the live view and the gallery without a login;\n"
        "                  ends on Ctrl+C\n"
        "  web-password [--stdin]\n"
        "                  set the web face's password: read from standard input (twice without\n"
        "                  echo from a terminal, one line with --stdin), never from the command\n"
        "                  line; only its hash goes into the folder's station.conf\n"
        "                  (WebPassword=)\n"
        "\n"
        "Exit status: 0 success, 1 failure, 2 usage error.\n");
    return help.arg(sstvModeHelp(QStringLiteral("                  "), 90)).arg(kLeastLines);
}

int runOrbisctl(const QStringList& arguments, Clock& clock, std::FILE* out, std::FILE* err) {
    const ConsoleNotes::Scope notes(QStringLiteral("orbisctl"), err);
    Request request;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--help" || a == "-h") {
            std::fputs(qPrintable(orbisctlHelp()), out);
            return 0;
        } else if (a == "--port" && hasValue) {
            request.device = arguments[++i];
            if (request.device.isEmpty())
                return usageError(err, QStringLiteral("--port needs a device"));
            if (const QString problem = portNameProblem(request.device); !problem.isEmpty())
                return usageError(err, problem);
        } else if (a == "--com" && hasValue) {
            bool ok = false;
            request.com = arguments[++i].toInt(&ok);
            if (!ok || request.com < 1 || request.com > PortMap::kPortCount)
                return usageError(err, QStringLiteral("--com takes 1 to 4"));
        } else if (a == "--speed" && hasValue) {
            request.speed = linkSpeedOption(arguments[++i].toInt());
            if (!request.speed)
                return usageError(err, QStringLiteral("--speed takes 1 or 2"));
        } else if (a == "--folder" && hasValue) {
            request.folder = arguments[++i];
        } else if (a.startsWith("--")) {
            return usageError(err, QStringLiteral("unknown or incomplete option %1").arg(a));
        } else {
            request.command = arguments.mid(i);
            break;
        }
    }
    if (request.command.isEmpty())
        return usageError(err, QStringLiteral("no command"));
    if (!request.device.isEmpty() && request.com != 0)
        return usageError(err, QStringLiteral("--port and --com exclude each other"));

    if (!request.folder.isEmpty() && !QFileInfo(request.folder).isDir())
        return usageError(err, QStringLiteral("--folder %1 is no folder").arg(request.folder));

    const QString verb = request.command.first();
    // The analysis of a recording needs no converter.
    if (verb == "analyze")
        return runAnalyze(request.command.mid(1), out, err);
    if (verb == "sstv")
        return runSstv(request.command.mid(1), out, err);
    if (verb == "listen")
        return runListen(request.command.mid(1), clock, STDIN_FILENO, out, err);
    const ProgramFolder folder(request.folder.isEmpty() ? QDir::currentPath() : request.folder);
    if (verb == "caption")
        return runCaption(request.command.mid(1), folder, err);
    if (verb == "callsign")
        return runCallsign(request.command.mid(1), folder, out, err);
    if (verb == "log")
        return runLog(request.command.mid(1), out, err);
    if (verb == "web-password")
        return runWebPassword(folder, request.command.mid(1), stdin, out, err);
    // Nor does the tuning display on the sound card.
    if (verb == "tune") {
        const std::unique_ptr<AudioInput> input = radio::makeRecordingInput();
        return runTune(request.command.mid(1), folder, *input, out, err);
    }
    if (verb == "catalog") {
        // Commands that write the folder clear the temporary files a killed program left there.
        if (request.command.value(1) == "copy" || request.command.value(1) == "name")
            folder.removeStaleTemporaryFiles();
        return runCatalog(folder, request.command.mid(1), out, err);
    }
    const bool identify = request.command == QStringList{"identify"};
    const bool isTransfer = verb == "upload" || verb == "fetch";
    QString why;
    std::optional<std::uint8_t> byte;
    QImage uploadPicture;
    WatchOptions watch;
    ServeOptions serve;
    BeaconOptions beacon;
    CaptionRequest caption;
    std::optional<HandheldCommand> handheld;
    if (verb == "handheld") {
        handheld = parseHandheldCommand(request.command.mid(1), &why);
        if (!handheld)
            return usageError(err, why);
    } else if (isTransfer) {
        if (verb == "upload" && request.command.size() > 2) {
            if (const QString problem = parseCaptionOptions(request.command, 2, caption);
                !problem.isEmpty())
                return usageError(err, problem);
        } else if (request.command.size() != 2) {
            return usageError(err, QStringLiteral("%1 needs one file name").arg(verb));
        }
        if (verb == "fetch") {
            // The output is checked before a byte goes to the converter.
            if (const QString problem = pictureNameProblem(request.command[1]); !problem.isEmpty())
                return usageError(err, problem);
            if (const QString problem = pictureOutputProblem(request.command[1]);
                !problem.isEmpty()) {
                std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
                return 1;
            }
        }
        if (verb == "upload") {
            uploadPicture = loadTxPictureFile(request.command[1], &why);
            if (!uploadPicture.isNull() && caption.any())
                why = applyCaption(uploadPicture, folder, caption);
            if (uploadPicture.isNull() || !why.isEmpty()) {
                std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
                return 1;
            }
        }
    } else if (verb == "beacon") {
        if (const QString problem = parseBeaconOptions(request.command.mid(1), beacon);
            !problem.isEmpty())
            return usageError(err, problem);
    } else if (verb == "serve") {
        if (const QString problem = parseServeOptions(request.command.mid(1), serve);
            !problem.isEmpty())
            return usageError(err, problem);
        // A face that may not start opens no converter either.
        if (const QString refused = WebFace::refusal(serveWebOptions(folder, serve));
            !refused.isEmpty()) {
            std::fprintf(err, "orbisctl: %s\n", qPrintable(refused));
            return 1;
        }
    } else if (verb == "watch") {
        for (int i = 1; i < request.command.size(); ++i) {
            const QString& option = request.command[i];
            if (option == "--save" && i + 1 < request.command.size()) {
                watch.saveFolder = request.command[++i];
            } else if (option == "--no-reconnect") {
                watch.reconnect = false;
            } else if (option == "--count" && i + 1 < request.command.size()) {
                bool ok = false;
                watch.count = request.command[++i].toInt(&ok);
                if (!ok || watch.count < 1)
                    return usageError(err, QStringLiteral("--count takes a number from 1 on"));
            } else {
                return usageError(err, QStringLiteral("unknown watch option %1").arg(option));
            }
        }
    } else if (!identify) {
        byte = commandByte(request.command, why);
        if (!byte)
            return usageError(err, why);
    }

    ConsoleDialogs dialogs(err);
    Station::Setup setup;
    setup.folder = request.folder.isEmpty() ? QDir::currentPath() : request.folder;
    setup.device = request.device;
    setup.com = request.com;
    setup.speed = request.speed;
    setup.reconnect = watch.reconnect;
    Station station(setup, dialogs, clock);
    // The settings give port and speed; nothing is written to the folder but by a station that
    // serves.
    if (verb == "serve")
        station.readSettings(QString());
    else
        station.peekSettings();
    if (!station.openConverter(false))
        return 1;
    if (handheld) {
        // No monitor runs for a single command: the port is the handheld's.
        if (!station.boxLink()) {
            std::fprintf(err, "orbisctl: the handheld is on the converter box's port; this "
                              "station uses the sound card\n");
            return 1;
        }
        BytePort& port = station.boxLink()->port();
        const int status = runHandheld(*handheld, port, dialogs, out, err);
        port.drain();
        return status;
    }
    if (identify) {
        const std::uint8_t answer = station.identify();
        if (answer == 0)
            return 1;
        std::fprintf(out, "%u\n", unsigned(answer));
        return 0;
    }
    if (verb == "watch")
        return runWatch(station, watch, out, err);
    if (verb == "serve")
        return runServe(station, serve, out, err);
    if (verb == "beacon")
        return runBeacon(station, beacon, out, err);

    // One command on the converter's worker; the station's events run until it has ended.
    station.start();
    bool ended = false;
    bool complete = false;
    QObject context; // the connections end with the command
    QObject::connect(&station, &Station::commandEnded, &context, [&](bool whole, const QString&) {
        complete = whole;
        ended = true;
    });
    QObject::connect(&station, &Station::fetchEnded, &context,
                     [&](bool, bool whole, const QString&) {
                         complete = whole;
                         ended = true;
                     });
    bool admitted = false;
    if (verb == "upload") {
        station.setTxPicture(uploadPicture);
        admitted = station.upload();
    } else if (verb == "fetch") {
        admitted = station.fetch(true, false);
    } else if (verb == "send") {
        admitted = station.transmit(*modeByName(request.command[1]), false, false);
    } else if (verb == "freerun") {
        admitted = station.freeRun(*modeByName(request.command[1]));
    } else if (verb == "digitize") {
        admitted = station.digitize();
    } else if (verb == "memory") {
        admitted = station.selectMemory(request.command[1].toInt());
    } else if (verb == "stop") {
        admitted = station.receiveStop();
    }
    if (admitted)
        station.runUntil([&] { return ended; });
    station.stop();
    if (ConverterLink* box = station.boxLink())
        box->port().drain();
    if (verb == "fetch" && admitted) {
        // A fetch that failed keeps what has arrived, as the program keeps it in its slot.
        const QString error = savePictureFile(station.pictures().rx, request.command[1]);
        if (!error.isEmpty()) {
            std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
            return 1;
        }
        if (!complete) {
            std::fprintf(err, "orbisctl: the fetch failed; %s holds the part that arrived\n",
                         qPrintable(request.command[1]));
            return 1;
        }
    }
    return admitted && complete ? 0 : 1;
}

} // namespace winorbis
