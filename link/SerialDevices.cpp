// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialDevices.h"

#include <QCollator>
#include <QDir>

#include <algorithm>

namespace winorbis {

QStringList presentSerialDevices(const QString& devRoot) {
    QStringList devices;
    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QString& name :
         byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        devices << byId.filePath(name);
    QCollator numeric;
    numeric.setNumericMode(true);
    const QDir dev(devRoot);
    for (const char* pattern : {"ttyUSB*", "ttyACM*", "ttyS*"}) {
        QStringList names = dev.entryList({QString::fromLatin1(pattern)},
                                          QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        std::sort(names.begin(), names.end(), numeric);
        for (const QString& name : names)
            devices << dev.filePath(name);
    }
    return devices;
}

} // namespace winorbis
