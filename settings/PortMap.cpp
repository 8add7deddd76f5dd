// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortMap.h"

#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QFile>

namespace winorbis {

const QString PortMap::kFileName = QStringLiteral("\\ports.conf");

PortMap::PortMap() {
    for (int i = 0; i < kPortCount; ++i)
        devices_[std::size_t(i)] = QStringLiteral("/dev/ttyS%1").arg(i);
}

QString PortMap::device(int portNumber) const {
    if (portNumber < 1 || portNumber > kPortCount)
        return {};
    return devices_[std::size_t(portNumber - 1)];
}

void PortMap::setDevice(int portNumber, const QString& device) {
    if (portNumber >= 1 && portNumber <= kPortCount)
        devices_[std::size_t(portNumber - 1)] = device.trimmed();
}

QByteArray PortMap::toText() const {
    QByteArray text = "# WinOrbis: the serial device of each port number COM1 .. COM4 of the "
                      "settings.\n# A USB adapter: /dev/ttyUSB0, or a stable name from "
                      "/dev/serial/by-id/.\n";
    for (int i = 1; i <= kPortCount; ++i)
        text += QStringLiteral("COM%1=%2\n").arg(i).arg(device(i)).toUtf8();
    return text;
}

PortMap PortMap::fromText(const QByteArray& text) {
    PortMap map;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith('#'))
            continue;
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key.size() == 4 && key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) &&
            !value.isEmpty())
            map.setDevice(key.mid(3).toInt(), value);
    }
    return map;
}

PortMap PortMap::load(const ProgramFolder& folder) {
    QFile file(folder.path(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return PortMap();
    return fromText(file.read(64 * 1024));
}

QString PortMap::save(const ProgramFolder& folder) const {
    return replaceFileContents(folder.path(kFileName), toText());
}

void PortMap::createIfMissing(const ProgramFolder& folder) {
    if (!folder.exists(kFileName))
        PortMap().save(folder);
}

} // namespace winorbis
