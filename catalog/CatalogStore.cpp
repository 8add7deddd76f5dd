// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogStore.h"

#include "CatalogTexts.h"

#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "settings/Settings.h"
#include "workspace/BmpFiles.h"
#include "workspace/SlotTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace winorbis {

namespace {

constexpr qint64 kCopyBuffer = 8192;
const QSize kPlaceholderSize(100, 75);

QString extension(CatalogStore::Form form) {
    return form == CatalogStore::Form::Bmp ? QStringLiteral("bmp") : QStringLiteral("jpg");
}

// The folder a file lies in, resolved as far as it exists: the file itself may be gone.
QString canonicalParent(const QString& path) {
    return QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
}

} // namespace

CatalogStore::CatalogStore(const ProgramFolder& folder)
    : folder_(folder) {}

QString CatalogStore::fileName(const CatalogPosition& position, Form form) {
    switch (position.kind) {
    case CatalogPosition::Kind::Rx:
        return QStringLiteral("\\RxKatalog\\Bild%1.jpg").arg(position.number);
    case CatalogPosition::Kind::Tx:
        return QStringLiteral("\\TxKatalog\\Bild%1.%2").arg(position.number).arg(extension(form));
    case CatalogPosition::Kind::General:
        break;
    }
    return QStringLiteral("\\im%1\\cat%2.%3")
        .arg(position.page)
        .arg(position.number)
        .arg(extension(form));
}

QString CatalogStore::path(const CatalogPosition& position, Form form) const {
    return folder_.path(fileName(position, form));
}

bool CatalogStore::exists(const CatalogPosition& position, Form form) const {
    if (position.kind == CatalogPosition::Kind::Rx && form == Form::Bmp)
        return false;
    return QFileInfo(path(position, form)).isFile();
}

QString CatalogStore::shownFile(const CatalogPosition& position) const {
    if (exists(position, Form::Jpeg))
        return path(position, Form::Jpeg);
    if (exists(position, Form::Bmp))
        return path(position, Form::Bmp);
    return {};
}

CatalogStore::Picture CatalogStore::read(const CatalogPosition& position, QSize size) const {
    Picture result;
    const QString file = shownFile(position);
    if (file.isEmpty())
        return result;
    result.present = true;
    if (size.isValid()) {
        QImageReader reader(file);
        if (reader.size().isValid() && reader.size().width() > size.width() &&
            reader.size().height() > size.height())
            reader.setScaledSize(size);
        result.image = reader.read();
    } else {
        QString error;
        result.image = BmpFiles::read(file, &error);
    }
    if (result.image.isNull())
        result.failedFile = QDir::toNativeSeparators(file);
    return result;
}

CatalogStore::Page CatalogStore::readPage(int page) const {
    Page result;
    for (int k = 0; k < kPositionsPerPage; ++k) {
        Picture picture = read(CatalogPosition::general(page, k), kShownSize);
        if (!picture.failedFile.isEmpty())
            result.failed << picture.failedFile;
        result.pictures[std::size_t(k)] =
            picture.image.isNull() ? placeholder() : std::move(picture.image);
    }
    return result;
}

QImage CatalogStore::placeholder() const {
    if (placeholder_.isNull()) {
        QString error;
        placeholder_ = BmpFiles::read(folder_.path(kGrayPictureName), &error);
        if (placeholder_.isNull()) {
            placeholder_ = QImage(kPlaceholderSize, QImage::Format_RGB888);
            placeholder_.fill(Qt::gray);
        }
    }
    return placeholder_;
}

QString CatalogStore::copyFile(const QString& source, const QString& destination) {
    QFile in(source);
    if (QFileInfo(source).isDir() || !in.open(QIODevice::ReadOnly))
        return CatalogTexts::kCannotOpenSource;
    QByteArray bytes;
    QByteArray buffer(kCopyBuffer, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), kCopyBuffer);
        if (got < 0)
            return CatalogTexts::kCannotOpenSource;
        bytes.append(buffer.constData(), got);
        if (got < kCopyBuffer)
            break;
    }
    QString target = QFileInfo(destination).absoluteFilePath();
    if (QFileInfo(target).isDir())
        target = QDir(target).filePath(QFileInfo(source).fileName());
    if (!replaceFileContents(target, bytes).isEmpty())
        return CatalogTexts::kCannotCreateDestination;
    return {};
}

QStringList CatalogStore::folderNames() {
    QStringList names = {QStringLiteral("\\RxKatalog"), QStringLiteral("\\TxKatalog")};
    for (int page = 0; page < kPageCount; ++page)
        names << QStringLiteral("\\im%1").arg(page);
    return names;
}

bool CatalogStore::isCatalogFile(const QString& path) const {
    if (QFileInfo(path).isDir())
        return false;
    const QString parent = canonicalParent(path);
    if (parent.isEmpty())
        return false;
    for (const QString& name : folderNames()) {
        const QString folder = QFileInfo(folder_.path(name)).canonicalFilePath();
        if (!folder.isEmpty() && folder == parent)
            return true;
    }
    return false;
}

} // namespace winorbis
