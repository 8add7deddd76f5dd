// SPDX-License-Identifier: GPL-3.0-or-later
// winorbis-manual: typesets the user manual, a Markdown text, as an A4 PDF with page numbers.
// Usage: winorbis-manual MANUAL.md OUT.pdf [TITLE]. Runs without a display (offscreen platform).
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs("Usage: winorbis-manual MANUAL.md OUT.pdf [TITLE]\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString in = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString title = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    QFile source(in);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "winorbis-manual: cannot read %s: %s\n", argv[1],
                     qPrintable(source.errorString()));
        return 1;
    }
    const QString text = QString::fromUtf8(source.readAll());
    if (text.trimmed().isEmpty()) {
        std::fprintf(stderr, "winorbis-manual: %s is empty\n", argv[1]);
        return 1;
    }

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    if (!title.isEmpty())
        document.setMetaInformation(QTextDocument::DocumentTitle, title);

    // Written under a temporary name and renamed at the end, so that a failed run leaves no
    // half-written manual that a later build would take as up to date.
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "winorbis-manual: cannot write %s: %s\n", argv[2],
                     qPrintable(file.errorString()));
        return 1;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("winorbis-manual"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (!file.commit()) {
        std::fprintf(stderr, "winorbis-manual: cannot write %s: %s\n", argv[2],
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
