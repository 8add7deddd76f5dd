// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace winorbis {

// The options of a tool as a table: each option is one call that names it, its value, its help
// text and what to do with the value. Parses a command line against it and writes the option
// part of the help text from it.
class CommandLine {
public:
    // Takes the value; returns why it is wrong, or an empty string.
    using Take = std::function<QString(const QString& value)>;

    // An option with a value: "--rate HZ".
    void add(const QString& name, const QString& valueName, const QString& help, Take take);
    // An option without one.
    void addFlag(const QString& name, const QString& help, std::function<void()> set);

    // Why the arguments are wrong, or an empty string. Options given more than once take the
    // last value.
    QString parse(const QStringList& arguments) const;
    // One line per option, aligned.
    QString optionHelp() const;

private:
    struct Option {
        QString name, valueName, help;
        Take take;
    };
    std::vector<Option> options_;
};

} // namespace winorbis
