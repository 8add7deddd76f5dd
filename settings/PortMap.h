// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

namespace winorbis {

class ProgramFolder;

// Which device each of the settings' port numbers COM1 .. COM4 opens. Kept in the program
// folder's "\ports.conf", one "COMn=DEVICE" line per port, so the 585 lines of the settings file
// stay as they are; the defaults are /dev/ttyS0 .. /dev/ttyS3.
class PortMap {
public:
    static constexpr int kPortCount = 4;
    static const QString kFileName; // "\ports.conf"

    PortMap();

    // The device of port number 1..4; empty for any other number.
    QString device(int portNumber) const;
    void setDevice(int portNumber, const QString& device);

    // Reads the map from the folder; lines that are missing or not understood keep the default.
    static PortMap load(const ProgramFolder& folder);
    // Writes the map; empty text on success, otherwise the reason.
    QString save(const ProgramFolder& folder) const;
    // Writes the default map when the folder has none yet, so the operator finds it to edit.
    static void createIfMissing(const ProgramFolder& folder);

    QByteArray toText() const;
    static PortMap fromText(const QByteArray& text);

private:
    std::array<QString, kPortCount> devices_;
};

} // namespace winorbis
