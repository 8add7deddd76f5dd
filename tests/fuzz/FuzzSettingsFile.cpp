// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the settings file "\COM.DAT": arbitrary files, and edits of a valid one, are
// read; whatever was read writes back as 585 lines that read again without damage to the same
// settings and the same text. One input in four goes through the settings store on a real file.
#include "FuzzSupport.h"

#include "platform/ProgramFolder.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedDialogs.h"

#include <QFile>

using namespace winorbis;
using fuzz::check;

namespace {

const QString kFace = QStringLiteral("DejaVu Sans");

const Settings& defaults() {
    static const Settings settings = Settings::defaults(kFace);
    return settings;
}

// The default file with lines replaced: each edit is a line number (two bytes, counted past the
// last line so that lines can be added), a length and the line's new bytes, which may hold line
// ends of their own.
QByteArray editedDefaultFile(fuzz::InputReader& in) {
    QList<QByteArray> lines = SettingsCodec::serialize(defaults()).split('\n');
    lines.removeLast(); // after the last line end
    while (!in.atEnd()) {
        const int number = in.word() % (SettingsCodec::kLineCount + 3);
        QByteArray text = in.take(in.byte() % 48);
        if (number >= lines.size())
            lines.append(text + '\r');
        else
            lines[number] = text + '\r';
    }
    return lines.join('\n') + '\n';
}

// The written form of the settings: 585 lines, each ended by CR LF, and no other line end.
void checkWrittenForm(const QByteArray& text) {
    check(text.count("\r\n") == SettingsCodec::kLineCount, "written file has 585 lines");
    check(text.count('\n') == SettingsCodec::kLineCount, "written file has no stray LF");
    check(text.count('\r') == SettingsCodec::kLineCount, "written file has no stray CR");
    check(text.endsWith("\r\n"), "written file ends with a line end");
}

void checkProblems(const QList<SettingsCodec::Problem>& problems, const QByteArray& bytes) {
    const qsizetype lines = bytes.count('\n') + 1;
    int missing = 0;
    for (const SettingsCodec::Problem& p : problems) {
        check(p.line >= 1 && p.line <= lines + SettingsCodec::kLineCount, "problem line in range");
        check(!(p.missing && p.extra), "a problem is one kind");
        missing += p.missing ? 1 : 0;
    }
    check(missing <= 1, "missing lines reported once");
}

// Read through the store from a real file, written back, read again.
void throughStore(const QByteArray& bytes, const SettingsCodec::ReadResult& expected) {
    const QString folderPath = fuzz::scratchFolder();
    const ProgramFolder folder(folderPath);
    test::ScriptedDialogs dialogs;
    SettingsStore store(folder, dialogs);
    QFile::remove(store.filePath() + QStringLiteral(".bad"));
    {
        QFile file(store.filePath());
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "settings file written");
        check(file.write(bytes) == bytes.size(), "settings file written whole");
    }
    Settings settings;
    const int port = store.ReadSettings(settings, kFace);
    check(port == settings.portNumber, "the port number returned is the one read");
    check(settings == expected.settings, "the store reads what the codec reads");
    const bool damaged = !expected.problems.isEmpty();
    check(dialogs.count(QStringLiteral("error")) == (damaged ? 1 : 0),
          "damage is shown once, and only damage");
    check(QFile::exists(store.filePath() + QStringLiteral(".bad")) == damaged,
          "the damaged file is kept, and only a damaged one");

    check(store.WriteSettings(settings), "settings written");
    QFile written(store.filePath());
    check(written.open(QIODevice::ReadOnly), "written settings file opens");
    const QByteArray text = written.readAll();
    written.close();
    check(text == SettingsCodec::serialize(settings), "the store writes the codec's text");

    dialogs.clear();
    Settings again;
    store.ReadSettings(again, kFace);
    check(dialogs.texts().isEmpty(), "the written file reads without a message");
    check(again == settings, "the written file reads back the same settings");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const std::uint8_t how = in.byte();
    const QByteArray bytes = (how & 1) ? editedDefaultFile(in) : in.rest();

    const SettingsCodec::ReadResult read = SettingsCodec::parse(bytes, defaults());
    checkProblems(read.problems, bytes);
    check(read.settings.callsignFont.charSet == 1, "the callsign font's character set is 1");

    // Whatever was read writes back as a file that reads without damage to the same values.
    const QByteArray written = SettingsCodec::serialize(read.settings);
    checkWrittenForm(written);
    const SettingsCodec::ReadResult reread = SettingsCodec::parse(written, defaults());
    check(reread.problems.isEmpty(), "a written file reads without damage");
    check(reread.settings == read.settings, "read, write, read gives the same settings");
    check(SettingsCodec::serialize(reread.settings) == written,
          "read, write, read, write gives the same text");

    if ((how & 6) == 6) // a real file is slower: one input in four
        throughStore(bytes, read);
    return 0;
}
