// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtDialogs.h"

#include "platform/ThreadHandoff.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace winorbis {

namespace {

// Runs f on the user-interface thread and waits for its result.
template <typename F> auto onUiThread(F&& f) -> decltype(f()) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return f();
    using R = decltype(f());
    // The call goes over to the user-interface thread and its result comes back under locks of
    // our own.
    std::mutex mutex;
    std::condition_variable answered;
    bool finished = false;
    std::conditional_t<std::is_void_v<R>, bool, R> result{};
    threading::applicationQueue().post([&] {
        if constexpr (std::is_void_v<R>)
            f();
        else
            result = f();
        std::lock_guard lock(mutex);
        finished = true;
        answered.notify_all();
    });
    std::unique_lock lock(mutex);
    answered.wait(lock, [&] { return finished; });
    if constexpr (!std::is_void_v<R>)
        return result;
}

QMessageBox::Icon iconOf(Dialogs::Kind kind) {
    switch (kind) {
    case Dialogs::Kind::Information:
        return QMessageBox::Information;
    case Dialogs::Kind::Warning:
        return QMessageBox::Warning;
    case Dialogs::Kind::Error:
        return QMessageBox::Critical;
    case Dialogs::Kind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

QString withDefaultExt(QString path, const QString& ext) {
    if (path.isEmpty() || ext.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (ext.startsWith('.') ? ext : "." + ext);
}

} // namespace

QString qtFilterFromWindows(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

QWidget* QtDialogs::owner() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return parent_;
}

void QtDialogs::message(const QString& text, Kind kind) {
    // Also on standard error, for stations that run without anyone watching the screen.
    std::fprintf(stderr, "winorbis: %s\n", qPrintable(text));
    if (unattended())
        return;
    onUiThread([&] {
        QMessageBox box(iconOf(kind), QApplication::applicationName(), text, QMessageBox::Ok,
                        owner());
        box.exec();
    });
}

bool QtDialogs::askYesNo(const QString& text, Kind kind) {
    if (unattended()) {
        std::fprintf(stderr, "winorbis: %s No\n", qPrintable(text));
        return false;
    }
    return onUiThread([&] {
        QMessageBox box(kind == Kind::Plain ? QMessageBox::Question : iconOf(kind),
                        QApplication::applicationName(), text, QMessageBox::NoButton, owner());
        QAbstractButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    });
}

bool QtDialogs::askOkCancel(const QString& text) {
    if (unattended()) {
        std::fprintf(stderr, "winorbis: %s Cancel\n", qPrintable(text));
        return false;
    }
    return onUiThread([&] {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                        QMessageBox::Ok | QMessageBox::Cancel, owner());
        return box.exec() == QMessageBox::Ok;
    });
}

std::optional<QString> QtDialogs::openFile(const FileRequest& request) {
    if (unattended())
        return std::nullopt;
    return onUiThread([&]() -> std::optional<QString> {
        const QString path = QFileDialog::getOpenFileName(owner(), request.title,
                                                          request.folder + "/" + request.fileName,
                                                          qtFilterFromWindows(request.filter));
        if (path.isEmpty())
            return std::nullopt;
        return path;
    });
}

std::optional<QString> QtDialogs::saveFile(const FileRequest& request) {
    if (unattended())
        return std::nullopt;
    return onUiThread([&]() -> std::optional<QString> {
        // The overwrite question belongs to the callers, as the program asks it in its own words.
        const QString path = QFileDialog::getSaveFileName(
            owner(), request.title, request.folder + "/" + request.fileName,
            qtFilterFromWindows(request.filter), nullptr, QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty())
            return std::nullopt;
        return withDefaultExt(path, request.defaultExt);
    });
}

std::optional<TColor> QtDialogs::chooseColour(TColor initial) {
    if (unattended())
        return std::nullopt;
    return onUiThread([&]() -> std::optional<TColor> {
        const QColor chosen = QColorDialog::getColor(initial.toQColor(), owner());
        if (!chosen.isValid())
            return std::nullopt;
        return TColor::fromQColor(chosen);
    });
}

std::optional<QString> QtDialogs::inputText(const QString& caption, const QString& prompt,
                                            const QString& initial) {
    if (unattended())
        return std::nullopt;
    return onUiThread([&]() -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(owner(), caption, prompt, QLineEdit::Normal, initial, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    });
}

void QtDialogs::beep(unsigned) {
    onUiThread([] { QApplication::beep(); });
}

bool QtDialogs::shellOpen(const QString& target) {
    return onUiThread([&] {
        const QUrl url = target.contains(':') && !QFileInfo::exists(target)
                             ? QUrl(target)
                             : QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
        return QDesktopServices::openUrl(url);
    });
}

} // namespace winorbis
