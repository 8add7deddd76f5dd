// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterFaults.h"

#include "converter/Modes.h"

#include <algorithm>

namespace winorbis {

namespace {

using Output = ConverterModel::Output;

// An output of one event, in place of what the model said.
Output eventOnly(const QString& text) {
    Output out;
    out.log << text;
    out.events << text;
    return out;
}

} // namespace

Output ConverterFaults::feed(ConverterModel& model, std::uint8_t byte) {
    if (model.awaitingLineData()) {
        Output out = model.feed(byte);
        if (model.awaitingLineData())
            return out;                            // inside the line: no answer yet
        const int line = model.transferLine() - 1; // the line just stored
        if (silent || (noLineAckFrom >= 0 && line >= noLineAckFrom))
            out.bytes.clear();
        garbageBefore(out);
        countTransferLine(out);
        return out;
    }
    if (silent) {
        Output out;
        out.log
            << QStringLiteral("byte %1 unanswered (silent)").arg(ConverterModel::describe(byte));
        return out;
    }
    switch (byte) {
    case command::kBeginTransfer: {
        transferredLines_ = 0;
        Output out = model.feed(byte);
        if (!ackBeginTransfer)
            out.bytes.clear();
        garbageBefore(out);
        return out;
    }
    case command::kLineFollows:
        if (noLineFollowsAckFrom >= 0 && model.transferLine() >= noLineFollowsAckFrom) {
            Output out;
            out.log
                << QStringLiteral("line %1 announced; not acknowledged").arg(model.transferLine());
            return out;
        }
        break;
    case command::kNextLine:
        return fetchLine(model, byte);
    default:
        break;
    }
    Output out = model.feed(byte);
    garbageBefore(out);
    return out;
}

Output ConverterFaults::fetchLine(ConverterModel& model, std::uint8_t byte) {
    const int number = model.transferLine() + 1; // the PC counts fetch lines from 1
    // The model sends the line in any case; what reaches the PC is decided here.
    Output out = model.feed(byte);
    if (silentFromFetchLine > 0 && number >= silentFromFetchLine) {
        silent = true;
        return eventOnly(QStringLiteral("silent from line %1").arg(number));
    }
    if (droppedFetchLines.count(number)) {
        Output dropped = eventOnly(QStringLiteral("line %1 dropped").arg(number));
        countTransferLine(dropped);
        return dropped;
    }
    const auto cut = cutFetchLines.find(number);
    if (cut != cutFetchLines.end() && cut->second < out.bytes.size()) {
        const QByteArray bytes = out.bytes.left(std::max(cut->second, 0));
        out = eventOnly(QStringLiteral("line %1 cut after %2 bytes").arg(number).arg(bytes.size()));
        out.bytes = bytes;
    }
    out.bytes.prepend(garbage()); // also before a line cut to nothing
    countTransferLine(out);
    return out;
}

QByteArray ConverterFaults::garbage() const {
    QByteArray bytes;
    for (int i = 0; i < garbageBeforeAnswers; ++i)
        bytes.append(char(0x55 + i % 7)); // never 128, never a status byte
    return bytes;
}

void ConverterFaults::garbageBefore(Output& out) const {
    if (!out.bytes.isEmpty())
        out.bytes.prepend(garbage());
}

void ConverterFaults::countTransferLine(Output& out) {
    ++transferredLines_;
    if (closeAfterLines <= 0 || transferredLines_ < closeAfterLines || out.closeLine)
        return;
    const QString text = QStringLiteral("line closed in the middle of the transfer");
    out.log << text;
    out.events << text;
    out.closeLine = true;
}

} // namespace winorbis
