// SPDX-License-Identifier: GPL-3.0-or-later
#include "SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winorbis {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString replaceFileContents(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    mode_t mode = 0644;
    struct stat old;
    if (::stat(target.constData(), &old) == 0) {
        if (::access(target.constData(), W_OK) != 0)
            return systemError(errno);
        mode = old.st_mode & 07777;
    }

    QByteArray temp = target + kTemporaryMarker + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return systemError(errno);
    int error = 0;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(fd, data, std::size_t(left));
        if (written < 0) {
            if (errno != EINTR)
                error = errno;
        } else if (written == 0) {
            error = EIO;
        } else {
            data += written;
            left -= written;
        }
    }
    if (error == 0 && ::fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return systemError(error);
    }
    // The rename itself reaches the disk only with its folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

int removeStaleTemporaryFiles(const QString& folder, int minimumAgeSeconds) {
    static const QRegularExpression name(
        QStringLiteral("^.+%1[A-Za-z0-9]{6}$")
            .arg(QRegularExpression::escape(QString::fromLatin1(kTemporaryMarker))));
    const QDateTime oldest = QDateTime::currentDateTime().addSecs(-minimumAgeSeconds);
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        if (!name.match(entry.fileName()).hasMatch() || entry.isSymLink())
            continue;
        if (entry.lastModified() > oldest)
            continue; // perhaps another instance's write in progress
        if (QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace winorbis
