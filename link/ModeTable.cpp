// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModeTable.h"

namespace winorbis {

namespace {

Mode makeMode(const char* display, const char* shortName, const char* button, int tx, int freeRun,
              int status, LinkState state, int waitMs, int item, const char* freeRunTail) {
    const QString name = QString::fromLatin1(display);
    const QString shortText = QString::fromLatin1(shortName);
    return Mode{
        name,
        shortText,
        QString::fromLatin1(button),
        std::uint8_t(tx),
        std::uint8_t(freeRun),
        std::uint8_t(status),
        state,
        waitMs,
        item,
        QStringLiteral(" Mode %1, stopped use the Button \" RX Stop \" ").arg(name),
        QStringLiteral(" Senden in %1, stopped the transfer with the \" RX \" Button on the "
                       "remote maintenance")
            .arg(name),
        QStringLiteral("Send in %1, stopped the transfer with the \" RX \" Button on the remote "
                       "maintenance")
            .arg(name),
        QStringLiteral("Free Run Mode %1, stopped use the Button \" RX Stop \"%2")
            .arg(shortText, QString::fromLatin1(freeRunTail)),
    };
}

} // namespace

const std::array<Mode, 6>& modeTable() {
    // The free-run texts of Martin 1 and Scottie 1 end without the blank the others have.
    static const std::array<Mode, 6> table = {
        makeMode("Robot 36", "R36", "R 36", 62, 49, 136, LinkState::AnnouncedR36, 37000, 0, " "),
        makeMode("Robot 72", "R72", "R 72", 61, 57, 12, LinkState::AnnouncedR72, 73000, 1, " "),
        makeMode("Martin 1", "M1", "M 1", 56, 58, 172, LinkState::AnnouncedM1, 115000, 2, ""),
        makeMode("Martin 2", "M2", "M 2", 48, 51, 40, LinkState::AnnouncedM2, 59000, 3, " "),
        makeMode("Scottie 1", "S1", "S 1", 53, 60, 60, LinkState::AnnouncedS1, 111000, 4, ""),
        makeMode("Scottie 2", "S2", "S 2", 54, 52, 184, LinkState::AnnouncedS2, 73000, 5, " "),
    };
    return table;
}

const Mode& mode(ModeId id) {
    return modeTable()[std::size_t(id)];
}

std::optional<ModeId> modeByName(const QString& name) {
    const auto& table = modeTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (name.compare(table[i].shortName, Qt::CaseInsensitive) == 0 ||
            name.compare(table[i].displayName, Qt::CaseInsensitive) == 0)
            return ModeId(i);
    }
    return std::nullopt;
}

std::optional<ModeId> modeByStatus(std::uint8_t statusByte) {
    const auto& table = modeTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].statusByte == statusByte)
            return ModeId(i);
    }
    return std::nullopt;
}

std::optional<ModeId> modeByLinkState(LinkState linkState) {
    const auto& table = modeTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].linkState == linkState)
            return ModeId(i);
    }
    return std::nullopt;
}

int receiveWaitMs(std::uint8_t lastStatus) {
    if (lastStatus == kStatusWaitLong)
        return 1000000;
    if (lastStatus == kStatusWaitLonger)
        return 1040000;
    if (const auto id = modeByStatus(lastStatus))
        return mode(*id).receiveWaitMs;
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
