// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedDialogs.h"

namespace winorbis::test {

namespace {

template <typename T> T take(std::deque<T>& queue, const T& fallback) {
    if (queue.empty())
        return fallback;
    T value(std::move(queue.front()));
    queue.pop_front();
    return value;
}

} // namespace

void ScriptedDialogs::record(const QString& what, const QString& text, Kind kind) {
    std::lock_guard lock(mutex_);
    shown_.append({what, text, kind});
}

void ScriptedDialogs::message(const QString& text, Kind kind) {
    // Unattended, the text goes to standard error only: no box.
    if (unattended())
        record(QStringLiteral("stderr"), text, kind);
    else
        record(kind == Kind::Error ? QStringLiteral("error") : QStringLiteral("message"), text,
               kind);
}

bool ScriptedDialogs::askYesNo(const QString& text, Kind) {
    if (unattended()) {
        record(QStringLiteral("stderr"), text);
        return false;
    }
    record(QStringLiteral("yesno"), text);
    std::lock_guard lock(mutex_);
    return take(yesNo_, true);
}

bool ScriptedDialogs::askOkCancel(const QString& text) {
    record(QStringLiteral("okcancel"), text);
    std::lock_guard lock(mutex_);
    return take(okCancel_, true);
}

std::optional<QString> ScriptedDialogs::openFile(const FileRequest& request) {
    record(QStringLiteral("open"), request.title);
    std::lock_guard lock(mutex_);
    requests_.append(request);
    return take(files_, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::saveFile(const FileRequest& request) {
    record(QStringLiteral("save"), request.title);
    std::lock_guard lock(mutex_);
    requests_.append(request);
    return take(files_, std::optional<QString>());
}

std::optional<TColor> ScriptedDialogs::chooseColour(TColor) {
    record(QStringLiteral("colour"), QString());
    std::lock_guard lock(mutex_);
    return take(colours_, std::optional<TColor>());
}

std::optional<QString> ScriptedDialogs::inputText(const QString& caption, const QString& prompt,
                                                  const QString&) {
    record(QStringLiteral("input"), caption + QLatin1Char('|') + prompt);
    std::lock_guard lock(mutex_);
    return take(inputs_, std::optional<QString>());
}

void ScriptedDialogs::beep(unsigned type) {
    record(QStringLiteral("beep"), QString::number(type));
}

bool ScriptedDialogs::shellOpen(const QString& target) {
    record(QStringLiteral("shell"), target);
    return shellResult_;
}

QList<ScriptedDialogs::Shown> ScriptedDialogs::shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

QStringList ScriptedDialogs::texts() const {
    std::lock_guard lock(mutex_);
    QStringList result;
    for (const Shown& s : shown_) {
        if (s.what == QLatin1String("message") || s.what == QLatin1String("error") ||
            s.what == QLatin1String("yesno") || s.what == QLatin1String("okcancel"))
            result << s.text;
    }
    return result;
}

int ScriptedDialogs::count(const QString& what) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Shown& s : shown_)
        n += s.what == what ? 1 : 0;
    return n;
}

QList<Dialogs::FileRequest> ScriptedDialogs::fileRequests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void ScriptedDialogs::clear() {
    std::lock_guard lock(mutex_);
    shown_.clear();
    requests_.clear();
}

} // namespace winorbis::test
