// SPDX-License-Identifier: GPL-3.0-or-later
#include "SstvModes.h"

#include <bit>

namespace winorbis::sstv {

namespace {

Segment tone(double ms, double hz, bool sync = false) {
    return Segment{Channel::Tone, ms, hz, sync};
}
Segment scan(Channel channel, double ms) {
    return Segment{channel, ms, 0.0, false};
}

Mode martin(ModeId id, const char* name, const char* shortName, int vis, double scanMs) {
    Mode m{id,
           QString::fromLatin1(name),
           QString::fromLatin1(shortName),
           vis,
           256,
           320,
           4.862 + 4 * 0.572 + 3 * scanMs,
           ColourModel::Rgb,
           {},
           {},
           0.0};
    m.evenLine = {tone(4.862, kSyncHz, true),   tone(0.572, kBlackHz),
                  scan(Channel::Green, scanMs), tone(0.572, kBlackHz),
                  scan(Channel::Blue, scanMs),  tone(0.572, kBlackHz),
                  scan(Channel::Red, scanMs),   tone(0.572, kBlackHz)};
    m.oddLine = m.evenLine;
    return m;
}

Mode scottie(ModeId id, const char* name, const char* shortName, int vis, double scanMs) {
    Mode m{id,
           QString::fromLatin1(name),
           QString::fromLatin1(shortName),
           vis,
           256,
           320,
           9.0 + 3 * 1.5 + 3 * scanMs,
           ColourModel::Rgb,
           {},
           {},
           9.0};
    m.evenLine = {tone(1.5, kBlackHz),         scan(Channel::Green, scanMs), tone(1.5, kBlackHz),
                  scan(Channel::Blue, scanMs), tone(9.0, kSyncHz, true),     tone(1.5, kBlackHz),
                  scan(Channel::Red, scanMs)};
    m.oddLine = m.evenLine;
    return m;
}

std::vector<Mode> makeModes() {
    std::vector<Mode> all;
    Mode r36{ModeId::Robot36,
             QStringLiteral("Robot 36"),
             QStringLiteral("R36"),
             8,
             240,
             320,
             150.0,
             ColourModel::YuvPair,
             {},
             {},
             0.0};
    r36.evenLine = {tone(9.0, kSyncHz, true), tone(3.0, kBlackHz),  scan(Channel::Y, 88.0),
                    tone(4.5, kBlackHz),      tone(1.5, kLeaderHz), scan(Channel::RedDiff, 44.0)};
    r36.oddLine = {tone(9.0, kSyncHz, true), tone(3.0, kBlackHz),  scan(Channel::Y, 88.0),
                   tone(4.5, kWhiteHz),      tone(1.5, kLeaderHz), scan(Channel::BlueDiff, 44.0)};
    all.push_back(r36);

    Mode r72{ModeId::Robot72,
             QStringLiteral("Robot 72"),
             QStringLiteral("R72"),
             12,
             240,
             320,
             300.0,
             ColourModel::YuvLine,
             {},
             {},
             0.0};
    r72.evenLine = {tone(9.0, kSyncHz, true), tone(3.0, kBlackHz),  scan(Channel::Y, 138.0),
                    tone(4.5, kBlackHz),      tone(1.5, kLeaderHz), scan(Channel::RedDiff, 69.0),
                    tone(4.5, kWhiteHz),      tone(1.5, kLeaderHz), scan(Channel::BlueDiff, 69.0)};
    r72.oddLine = r72.evenLine;
    all.push_back(r72);

    all.push_back(martin(ModeId::Martin1, "Martin 1", "M1", 44, 146.432));
    all.push_back(martin(ModeId::Martin2, "Martin 2", "M2", 40, 73.216));
    all.push_back(scottie(ModeId::Scottie1, "Scottie 1", "S1", 60, 138.240));
    all.push_back(scottie(ModeId::Scottie2, "Scottie 2", "S2", 56, 88.064));
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

int visByte(int vis) {
    const int code = vis & 0x7f;
    return code | ((std::popcount(unsigned(code)) & 1) << 7);
}

} // namespace winorbis::sstv
