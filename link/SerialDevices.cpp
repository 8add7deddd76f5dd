// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialDevices.h"

#include <QDir>

#include <algorithm>

namespace winorbis {

QStringList presentSerialDevices(const QString& devRoot) {
    QStringList devices;
    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QString& name :
         byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        devices << byId.filePath(name);
    // ttyS2 before ttyS10: by the number at the end of the name.
    const auto number = [](const QString& name) {
        qsizetype i = name.size();
        while (i > 0 && name[i - 1].isDigit())
            --i;
        return std::pair(name.left(i), name.mid(i).toLongLong());
    };
    const auto numeric = [&](const QString& a, const QString& b) { return number(a) < number(b); };
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
