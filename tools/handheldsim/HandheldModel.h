// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "handheld/HandheldData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace winorbis {

// The byte machine of a simulated VC-H1 handheld: it takes the bytes the program writes one at a
// time and decides every answer. It keeps ten memory pages (their four status bytes), the 64-byte
// settings block (call sign, its colour, the interval), the function flags and the two texts it
// displays. Every command byte is answered at once; a command with parameters is answered again
// when its parameters are complete. Faults make it silent, stop its answers after the first, cut
// the settings block short or delay one answer.
class HandheldModel {
public:
    struct Faults {
        bool silent = false;
        // Only the first answer of each command: the one to the command byte, or the first byte
        // of the flags and of the settings block.
        bool firstAnswerOnly = false;
        // The settings block stops after this many bytes; -1 sends it whole.
        int blockBytes = -1;
        // Answer number lateAnswer (1 = the first answer after the faults were set) comes after
        // lateReads of the program's empty reads (20 ms each); 0 delays nothing.
        int lateAnswer = 0;
        int lateReads = 0;
    };

    // What one byte taken makes the handheld do.
    struct Output {
        QByteArray bytes;
        int delayMs = 0;
        QString event; // one line for the log, empty when nothing worth noting happened
    };

    // The answer byte to a command byte and to parameters.
    static constexpr std::uint8_t kAnswer = 6;
    // One empty read of the program lasts this long.
    static constexpr int kReadMs = 20;

    HandheldModel();

    Output take(std::uint8_t byte);
    // The line has been quiet for a while: a command whose parameters did not all come is
    // forgotten.
    void lineQuiet();
    bool awaitingParameters() const { return !pending_.isEmpty(); }

    // Applies one line of a preset file or of the simulator's input; false with the reason when it
    // is not understood. The lines:
    //   call TEXT [COLOUR]     the call sign in the settings block (and its colour)
    //   colour COLOUR          the call sign's colour (name, or any byte by number)
    //   interval SECONDS       the interval, stored as ticks of 15 ms
    //   ticks N                the interval in ticks
    //   flags N                the function flags (decimal or 0x..)
    //   page N empty|picture|large [held]
    //                          page N (1..10); "large" is a picture whose r1 is above 100, which
    //                          makes the following page unusable
    //   page N record R0 R1 R2 R3
    //   silent on|off, first-answer-only on|off, block-bytes N|all, late ANSWER READS,
    //   faults off             the faults; setting one restarts the count of answers
    bool apply(const QString& line, QString* error);
    // Applies every line of a preset text; blank lines and lines starting with "#" are skipped.
    // The reason names the line that is not understood.
    bool applyAll(const QString& text, QString* error);

    // The state in the preset lines' words, one line each.
    QStringList describe() const;

    std::uint8_t flags = 0;
    std::array<std::uint8_t, HandheldData::kBlockSize> block{};
    std::array<PageRecord, handheldpage::kCount> pages{};
    QString report;
    QString message;
    std::uint8_t reportColour = 0;
    std::uint8_t messageColour = 0;
    Faults faults;

private:
    // Parameters still to come for the pending command; -1 for a byte that is no command.
    int parametersNeeded() const;
    QByteArray complete();
    Output answer(QByteArray bytes, QString event);
    // The page (0..9) whose status or hold address the four bytes give; -1 for none.
    static int pageOfAddress(const QByteArray& address, std::uint32_t offset);

    QByteArray pending_;
    QString pendingEvent_;
    int answers_ = 0;
};

} // namespace winorbis
