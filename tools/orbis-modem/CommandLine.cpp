// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <algorithm>

namespace winorbis {

void CommandLine::add(const QString& name, const QString& valueName, const QString& help,
                      Take take) {
    options_.push_back({name, valueName, help, std::move(take)});
}

void CommandLine::addFlag(const QString& name, const QString& help, std::function<void()> set) {
    options_.push_back({name, {}, help, [set = std::move(set)](const QString&) {
                            set();
                            return QString();
                        }});
}

QString CommandLine::parse(const QStringList& arguments) const {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const auto option = std::find_if(options_.begin(), options_.end(),
                                         [&](const Option& o) { return o.name == a; });
        if (option == options_.end())
            return a.startsWith('-') ? QStringLiteral("unknown option %1").arg(a)
                                     : QStringLiteral("unexpected argument %1").arg(a);
        QString value;
        if (!option->valueName.isEmpty()) {
            if (i + 1 >= arguments.size())
                return QStringLiteral("%1 needs a value").arg(a);
            value = arguments[++i];
        }
        if (const QString why = option->take(value); !why.isEmpty())
            return QStringLiteral("%1 %2: %3").arg(a, value, why);
    }
    return {};
}

QString CommandLine::optionHelp() const {
    int width = 0;
    for (const Option& o : options_)
        width = std::max(width, int((o.name + ' ' + o.valueName).size()));
    QString text;
    for (const Option& o : options_) {
        const QString head = o.valueName.isEmpty() ? o.name : o.name + ' ' + o.valueName;
        text += QStringLiteral("  %1  %2\n").arg(head, -width).arg(o.help);
    }
    return text;
}

} // namespace winorbis
