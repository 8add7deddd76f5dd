// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsCodec.h"

#include "platform/CodePage.h"

#include <limits>

namespace winorbis {

namespace {

const QString kCallsignBlockText = QStringLiteral("N0CALL");

// The order of the file, once for reading and writing: the visitor sees every line in turn.
template <typename Visitor> void visitLines(Settings& s, Visitor& v) {
    auto fontBlock = [&v](FontBlock& f, bool isCallsign) {
        v.number(f.height);
        v.number(f.width);
        v.number(f.escapement);
        v.number(f.weight);
        v.number(f.italic);
        v.face(f.faceName);
        v.colour(f.textColour);
        v.colour(f.shadowColour);
        if (isCallsign)
            v.fixed(kCallsignBlockText);
        else
            v.text(f.text);
    };
    v.numbered(s.linkSpeed);
    v.number(s.portNumber);
    v.number(s.reserved);
    fontBlock(s.callsignFont, true);
    v.numbered(s.shadow);
    v.number(s.fontIndex);
    v.text(s.callsign);
    v.text(s.report);
    v.number(s.contestNumber);
    for (FontBlock& block : s.standardTexts)
        fontBlock(block, false);
    v.number(s.receiveCounter);
    v.number(s.txCatalogCounter);
    v.number(s.catalogPage);
    for (QString& name : s.slotNames)
        v.text(name);
    for (QString& name : s.txNames)
        v.text(name);
    for (QString& name : s.pageNames)
        v.text(name);
    for (auto& page : s.positionNames)
        for (QString& name : page)
            v.text(name);
    v.flag(s.saveAuto);
    v.flag(s.picTx);
    v.interval(s.beaconInterval);
    v.numbered(s.model);
}

std::optional<qint64> parseWide(const QString& text) {
    // Only a sign and decimal digits: Qt's conversion would stop at a NUL byte and take "12" of
    // "12<NUL>garbage".
    const QString trimmed = text.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (!(c >= u'0' && c <= u'9') && !(i == 0 && (c == u'-' || c == u'+')))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

class Reader {
public:
    explicit Reader(const QByteArray& bytes) {
        lines_ = bytes.split('\n');
        if (!lines_.isEmpty() && lines_.last().isEmpty())
            lines_.removeLast(); // the line end of the last line
        for (QByteArray& line : lines_) {
            if (line.endsWith('\r'))
                line.chop(1);
            // A CR inside a line is read as the blank the writer puts for it, so that what was
            // read writes back unchanged.
            line.replace('\r', ' ');
        }
    }

    void number(int& value) {
        const auto line = next();
        if (!line)
            return;
        if (const auto parsed = SettingsCodec::parseNumber(*line))
            value = *parsed;
        else
            bad(*line);
    }
    // A value of the code kept as its number; a number that names none of its values is taken
    // as it stands, so that it writes back unchanged.
    template <typename Enum> void numbered(Enum& value) {
        int number = static_cast<int>(value);
        this->number(number);
        value = static_cast<Enum>(number);
    }
    void colour(TColor& value) {
        const auto line = next();
        if (!line)
            return;
        const auto parsed = parseWide(*line);
        if (parsed && *parsed >= std::numeric_limits<qint32>::min() &&
            *parsed <= std::numeric_limits<quint32>::max())
            value = TColor(static_cast<quint32>(*parsed));
        else
            bad(*line);
    }
    void flag(bool& value) {
        int number = value ? 1 : 0;
        const int before = problems.size();
        this->number(number);
        if (problems.size() == before)
            value = number == 1;
    }
    void interval(int& value) {
        const auto line = peek();
        if (line && line->isEmpty()) {
            next();
            value = 60;
            return;
        }
        number(value);
    }
    void text(QString& value) {
        if (const auto line = next())
            value = *line;
    }
    void face(QString& value) {
        if (const auto line = next())
            value = line->left(kFaceNameMax);
    }
    void fixed(const QString&) { next(); }
    // Lines after the last value are no settings; they are reported, not silently dropped.
    void finish() {
        if (index_ < lines_.size())
            problems.append(
                {int(index_) + 1, QString::number(lines_.size() - index_), false, true});
    }

    QList<SettingsCodec::Problem> problems;

private:
    std::optional<QString> peek() const {
        if (index_ >= lines_.size())
            return std::nullopt;
        return fromWinLatin(lines_[index_]);
    }
    std::optional<QString> next() {
        auto line = peek();
        ++index_;
        if (!line && !reportedMissing_) {
            reportedMissing_ = true;
            problems.append({int(index_), QString(), true});
        }
        return line;
    }
    void bad(const QString& text) { problems.append({int(index_), text, false}); }

    QList<QByteArray> lines_;
    qsizetype index_ = 0;
    bool reportedMissing_ = false;
};

class Writer {
public:
    void number(int& value) { line(QString::number(value)); }
    template <typename Enum> void numbered(Enum& value) {
        line(QString::number(static_cast<int>(value)));
    }
    void colour(TColor& value) { line(QString::number(value.signedValue())); }
    void flag(bool& value) { line(value ? QStringLiteral("1") : QStringLiteral("0")); }
    void interval(int& value) { number(value); }
    void text(QString& value) { line(value); }
    void face(QString& value) { line(value.left(kFaceNameMax)); }
    void fixed(const QString& value) { line(value); }

    QByteArray bytes;

private:
    void line(const QString& text) {
        QString oneLine = text;
        oneLine.replace('\r', ' ').replace('\n', ' '); // a value never spans two lines
        bytes += toWinLatin(oneLine);
        bytes += "\r\n";
    }
};

} // namespace

namespace SettingsCodec {

std::optional<int> parseNumber(const QString& text) {
    const auto wide = parseWide(text);
    if (!wide || *wide < std::numeric_limits<int>::min() || *wide > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*wide);
}

ReadResult parse(const QByteArray& bytes, const Settings& defaults) {
    ReadResult result{defaults, {}};
    Reader reader(bytes);
    visitLines(result.settings, reader);
    reader.finish();
    result.settings.callsignFont.charSet = 1;
    result.problems = reader.problems;
    return result;
}

QByteArray serialize(const Settings& settings) {
    Settings copy = settings;
    Writer writer;
    visitLines(copy, writer);
    return writer.bytes;
}

} // namespace SettingsCodec

} // namespace winorbis
