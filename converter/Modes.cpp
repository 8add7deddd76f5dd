// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modes.h"

#include <bit>

namespace winorbis {

namespace {

Segment tone(double ms, double hz, bool sync = false) {
    return Segment{Channel::Tone, ms, hz, sync};
}
Segment sync(double ms) {
    return Segment{Channel::Tone, ms, kSyncHz, true};
}
Segment scan(Channel channel, double ms) {
    return Segment{channel, ms, 0.0, false};
}

// A row of the table with its names, code and size; the layout is filled in by the family.
Mode row(ModeId id, const char* name, const char* shortName, int vis, int pixels, int lines,
         ColourModel colour) {
    Mode m{};
    m.id = id;
    m.name = QString::fromLatin1(name);
    m.shortName = QString::fromLatin1(shortName);
    m.vis = vis;
    m.pixels = pixels;
    m.lines = lines;
    m.colour = colour;
    return m;
}

double sum(const std::vector<Segment>& line) {
    double ms = 0.0;
    for (const Segment& s : line)
        ms += s.ms;
    return ms;
}

Mode& same(Mode& m, std::vector<Segment> line) {
    m.lineMs = sum(line);
    m.evenLine = line;
    m.oddLine = std::move(line);
    return m;
}

// Martin: sync, then green, blue and red, each after a short black porch.
Mode martin(Mode m, double scanMs) {
    const double porch = 0.572;
    return same(m, {sync(4.862), tone(porch, kBlackHz), scan(Channel::Green, scanMs),
                    tone(porch, kBlackHz), scan(Channel::Blue, scanMs), tone(porch, kBlackHz),
                    scan(Channel::Red, scanMs), tone(porch, kBlackHz)});
}

// Scottie: green and blue, the sync, then red; a lead sync before the first line.
Mode scottie(Mode m, double scanMs) {
    const double porch = 1.5;
    m.leadSyncMs = 9.0;
    return same(m, {tone(porch, kBlackHz), scan(Channel::Green, scanMs), tone(porch, kBlackHz),
                    scan(Channel::Blue, scanMs), sync(9.0), tone(porch, kBlackHz),
                    scan(Channel::Red, scanMs)});
}

// Wraase SC-2: sync and porch, then red, green and blue back to back.
Mode wraase(Mode m, double scanMs) {
    return same(m, {sync(5.5225), tone(0.5, kBlackHz), scan(Channel::Red, scanMs),
                    scan(Channel::Green, scanMs), scan(Channel::Blue, scanMs)});
}

// Pasokon: everything in units of one pixel's time: a sync of 25 units, porches of 5.
Mode pasokon(Mode m, double unitMs) {
    const double porch = 5 * unitMs, scanMs = 640 * unitMs;
    return same(m, {sync(25 * unitMs), tone(porch, kBlackHz), scan(Channel::Red, scanMs),
                    tone(porch, kBlackHz), scan(Channel::Green, scanMs), tone(porch, kBlackHz),
                    scan(Channel::Blue, scanMs), tone(porch, kBlackHz)});
}

// Robot colour with both colour differences on every line (Robot 72, Robot 24): sync, porch,
// Y, then each colour difference after a separator (black before R-Y, white before B-Y) and a
// porch at the leader tone. Robot 24 is Robot 72 at two thirds of its times.
Mode robotLine(Mode m, double scale) {
    const double y = 138.0 * scale, c = 69.0 * scale;
    return same(m, {sync(9.0 * scale), tone(3.0 * scale, kBlackHz), scan(Channel::Y, y),
                    tone(4.5 * scale, kBlackHz), tone(1.5 * scale, kLeaderHz),
                    scan(Channel::RedDiff, c), tone(4.5 * scale, kWhiteHz),
                    tone(1.5 * scale, kLeaderHz), scan(Channel::BlueDiff, c)});
}

// Robot 36: one colour difference per line, R-Y on even lines and B-Y on odd ones, told apart
// by the separator (black or white).
Mode robot36(Mode m) {
    m.evenLine = {sync(9.0),           tone(3.0, kBlackHz),  scan(Channel::Y, 88.0),
                  tone(4.5, kBlackHz), tone(1.5, kLeaderHz), scan(Channel::RedDiff, 44.0)};
    m.oddLine = {sync(9.0),           tone(3.0, kBlackHz),  scan(Channel::Y, 88.0),
                 tone(4.5, kWhiteHz), tone(1.5, kLeaderHz), scan(Channel::BlueDiff, 44.0)};
    m.lineMs = sum(m.evenLine);
    return m;
}

// The black-and-white Robot modes: a sync and the luminance. B/W 8 and 12 have a 7 ms sync and
// no porch; B/W 24 and 36 are the start of a Robot 36 and a Robot 72 line, up to the end of Y.
Mode robotMono(Mode m, double syncMs, double porchMs, double yMs) {
    if (porchMs > 0)
        return same(m, {sync(syncMs), tone(porchMs, kBlackHz), scan(Channel::Y, yMs)});
    return same(m, {sync(syncMs), scan(Channel::Y, yMs)});
}

// PD: a long sync and a porch, then Y of an even row, R-Y and B-Y for the pair, Y of the odd row.
Mode pd(Mode m, double scanMs) {
    m.rowsPerLine = 2;
    return same(m, {sync(20.0), tone(2.08, kBlackHz), scan(Channel::Y, scanMs),
                    scan(Channel::RedDiff, scanMs), scan(Channel::BlueDiff, scanMs),
                    scan(Channel::Y2, scanMs)});
}

// MMSSTV's MP modes: PD's layout with a 9 ms sync and a 1 ms porch.
Mode mp(Mode m, double scanMs) {
    m.rowsPerLine = 2;
    return same(m, {sync(9.0), tone(1.0, kBlackHz), scan(Channel::Y, scanMs),
                    scan(Channel::RedDiff, scanMs), scan(Channel::BlueDiff, scanMs),
                    scan(Channel::Y2, scanMs)});
}

// MMSSTV's MR and ML modes: one row per line, Y and both colour differences at half its time,
// each scan followed by a gap of 0.1 ms.
Mode mr(Mode m, double yMs) {
    const double gap = 0.1;
    return same(m, {sync(9.0), tone(1.0, kBlackHz), scan(Channel::Y, yMs), tone(gap, kBlackHz),
                    scan(Channel::RedDiff, yMs / 2), tone(gap, kBlackHz),
                    scan(Channel::BlueDiff, yMs / 2), tone(gap, kBlackHz)});
}

constexpr int ext(int code) {
    return kExtendedVisPrefix << 8 | code;
}

std::vector<Mode> makeModes() {
    using C = ColourModel;
    using I = ModeId;
    std::vector<Mode> all{
        robot36(row(I::Robot36, "Robot 36", "R36", 8, 320, 240, C::YuvPair)),
        robotLine(row(I::Robot72, "Robot 72", "R72", 12, 320, 240, C::YuvLine), 1.0),
        martin(row(I::Martin1, "Martin 1", "M1", 44, 320, 256, C::Rgb), 146.432),
        martin(row(I::Martin2, "Martin 2", "M2", 40, 320, 256, C::Rgb), 73.216),
        scottie(row(I::Scottie1, "Scottie 1", "S1", 60, 320, 256, C::Rgb), 138.240),
        scottie(row(I::Scottie2, "Scottie 2", "S2", 56, 320, 256, C::Rgb), 88.064),
        scottie(row(I::ScottieDx, "Scottie DX", "SDX", 76, 320, 256, C::Rgb), 345.600),
        robotLine(row(I::Robot24, "Robot 24", "R24", 4, 320, 120, C::YuvLine), 2.0 / 3.0),
        robotMono(row(I::Bw8, "B/W 8", "BW8", 2, 160, 120, C::Mono), 7.0, 0.0, 59.9),
        robotMono(row(I::Bw12, "B/W 12", "BW12", 6, 160, 120, C::Mono), 7.0, 0.0, 93.0),
        robotMono(row(I::Bw24, "B/W 24", "BW24", 10, 320, 240, C::Mono), 9.0, 3.0, 88.0),
        robotMono(row(I::Bw36, "B/W 36", "BW36", 14, 320, 240, C::Mono), 9.0, 3.0, 138.0),
        wraase(row(I::Wraase60, "Wraase SC2-60", "SC2-60", 59, 320, 256, C::Rgb), 78.120),
        wraase(row(I::Wraase120, "Wraase SC2-120", "SC2-120", 63, 320, 256, C::Rgb), 156.500),
        wraase(row(I::Wraase180, "Wraase SC2-180", "SC2-180", 55, 320, 256, C::Rgb), 235.000),
        pasokon(row(I::Pasokon3, "Pasokon P3", "P3", 113, 640, 496, C::Rgb), 1000.0 / 4800),
        pasokon(row(I::Pasokon5, "Pasokon P5", "P5", 114, 640, 496, C::Rgb), 1000.0 / 3200),
        pasokon(row(I::Pasokon7, "Pasokon P7", "P7", 115, 640, 496, C::Rgb), 1000.0 / 2400),
        pd(row(I::Pd50, "PD 50", "PD50", 93, 320, 256, C::YuvLine), 91.520),
        pd(row(I::Pd90, "PD 90", "PD90", 99, 320, 256, C::YuvLine), 170.240),
        pd(row(I::Pd120, "PD 120", "PD120", 95, 640, 496, C::YuvLine), 121.600),
        pd(row(I::Pd160, "PD 160", "PD160", 98, 512, 400, C::YuvLine), 195.584),
        pd(row(I::Pd180, "PD 180", "PD180", 96, 640, 496, C::YuvLine), 183.040),
        pd(row(I::Pd240, "PD 240", "PD240", 97, 640, 496, C::YuvLine), 244.480),
        pd(row(I::Pd290, "PD 290", "PD290", 94, 800, 616, C::YuvLine), 228.800),
        mp(row(I::Mp73, "MP73", "MP73", ext(0x25), 320, 256, C::YuvLine), 140.0),
        mp(row(I::Mp115, "MP115", "MP115", ext(0x29), 320, 256, C::YuvLine), 223.0),
        mp(row(I::Mp140, "MP140", "MP140", ext(0x2a), 320, 256, C::YuvLine), 270.0),
        mp(row(I::Mp175, "MP175", "MP175", ext(0x2c), 320, 256, C::YuvLine), 340.0),
        mr(row(I::Mr73, "MR73", "MR73", ext(0x45), 320, 256, C::YuvLine), 138.0),
        mr(row(I::Mr90, "MR90", "MR90", ext(0x46), 320, 256, C::YuvLine), 171.0),
        mr(row(I::Mr115, "MR115", "MR115", ext(0x49), 320, 256, C::YuvLine), 220.0),
        mr(row(I::Mr140, "MR140", "MR140", ext(0x4a), 320, 256, C::YuvLine), 269.0),
        mr(row(I::Mr175, "MR175", "MR175", ext(0x4c), 320, 256, C::YuvLine), 337.0),
        mr(row(I::Ml180, "ML180", "ML180", ext(0x85), 640, 496, C::YuvLine), 176.5),
        mr(row(I::Ml240, "ML240", "ML240", ext(0x86), 640, 496, C::YuvLine), 236.5),
        mr(row(I::Ml280, "ML280", "ML280", ext(0x89), 640, 496, C::YuvLine), 277.5),
        mr(row(I::Ml320, "ML320", "ML320", ext(0x8a), 640, 496, C::YuvLine), 317.5),
    };
    // The box's bytes: transmit, free run, status, and the wait after the status.
    all[std::size_t(I::Robot36)].box = BoxCodes{62, 49, 136, 37000};
    all[std::size_t(I::Robot72)].box = BoxCodes{61, 57, 12, 73000};
    all[std::size_t(I::Martin1)].box = BoxCodes{56, 58, 172, 115000};
    all[std::size_t(I::Martin2)].box = BoxCodes{48, 51, 40, 59000};
    all[std::size_t(I::Scottie1)].box = BoxCodes{53, 60, 60, 111000};
    all[std::size_t(I::Scottie2)].box = BoxCodes{54, 52, 184, 73000};
    // qsstv sends B/W 12's code with odd parity, and MR175 with MR140's code.
    all[std::size_t(I::Bw12)].visOddParityToo = true;
    all[std::size_t(I::Mr175)].visToo = ext(0x4a);
    return all;
}

const std::vector<Mode>& table() {
    static const std::vector<Mode> all = makeModes();
    return all;
}

} // namespace

double Mode::syncOffsetMs() const {
    double at = 0.0;
    for (const Segment& s : evenLine) {
        if (s.sync)
            return at;
        at += s.ms;
    }
    return 0.0;
}

double Mode::syncMs() const {
    for (const Segment& s : evenLine)
        if (s.sync)
            return s.ms;
    return 0.0;
}

double Mode::porchAfterSyncMs() const {
    for (std::size_t i = 0; i + 1 < evenLine.size(); ++i)
        if (evenLine[i].sync)
            return evenLine[i + 1].channel == Channel::Tone ? evenLine[i + 1].ms : 0.0;
    return 0.0;
}

double visMs(const Mode& m) {
    return kVisMs + (m.extendedVis() ? 8 * kVisBitMs : 0.0);
}

std::span<const Mode> modes() {
    return table();
}

const Mode& mode(ModeId id) {
    return table()[std::size_t(id)];
}

std::optional<ModeId> modeByVis(int vis) {
    for (const Mode& m : table())
        if (m.vis == vis)
            return m.id;
    return std::nullopt;
}

std::optional<ModeId> modeByShortName(const QString& name) {
    for (const Mode& m : table())
        if (m.shortName.compare(name, Qt::CaseInsensitive) == 0)
            return m.id;
    return std::nullopt;
}

std::optional<ModeId> modeByName(const QString& name) {
    for (const Mode& m : table())
        if (m.shortName.compare(name, Qt::CaseInsensitive) == 0 ||
            m.name.compare(name, Qt::CaseInsensitive) == 0)
            return m.id;
    return std::nullopt;
}

QStringList modeShortNames() {
    QStringList names;
    for (const Mode& m : table())
        names << m.shortName;
    return names;
}

std::vector<ModeId> boxModes() {
    std::vector<ModeId> ids;
    for (int i = 0; i < kBoxModeCount; ++i)
        ids.push_back(ModeId(i));
    return ids;
}

int visByte(int vis) {
    const int code = vis & 0x7f;
    return code | ((std::popcount(unsigned(code)) & 1) << 7);
}

std::vector<int> visBytes(const Mode& m) {
    if (m.extendedVis())
        return {m.vis >> 8, m.vis & 0xff};
    return {visByte(m.vis)};
}

std::optional<ModeId> modeByVisByte(int byte) {
    const int code = byte & 0x7f;
    const bool even = (std::popcount(unsigned(byte & 0xff)) & 1) == 0;
    for (const Mode& m : table())
        if (!m.extendedVis() && m.vis == code && (even || m.visOddParityToo))
            return m.id;
    return std::nullopt;
}

std::optional<ModeId> modeByExtendedByte(int byte) {
    return modeByVis(kExtendedVisPrefix << 8 | (byte & 0xff));
}

std::optional<ModeId> otherModeByVis(int vis) {
    for (const Mode& m : table())
        if (m.visToo == vis)
            return m.id;
    return std::nullopt;
}

std::optional<ModeId> modeByStatus(std::uint8_t statusByte) {
    for (const Mode& m : table())
        if (m.box && m.box->statusByte == statusByte)
            return m.id;
    return std::nullopt;
}

int receiveWaitMs(std::uint8_t lastStatus) {
    if (lastStatus == kStatusWaitLong)
        return 1000000;
    if (lastStatus == kStatusWaitLonger)
        return 1040000;
    if (const auto id = modeByStatus(lastStatus))
        return mode(*id).box->receiveWaitMs;
    return 1000;
}

int txModeItemForStatus(std::uint8_t status) {
    switch (status) {
    case 76:
        return 1;
    case 194:
        return 2;
    case 196:
        return 3;
    default:
        return 0;
    }
}

} // namespace winorbis
