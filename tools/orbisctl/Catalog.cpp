// SPDX-License-Identifier: GPL-3.0-or-later
#include "Catalog.h"
#include "Orbisctl.h"

#include "catalog/CatalogController.h"
#include "platform/ConsoleDialogs.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "stationcore/Station.h"
#include "workspace/WorkingPictures.h"

#include <QDir>
#include <QRegularExpression>

#include <optional>

namespace winorbis {

namespace {

// The command line has no window: nothing is shown, and no TX picture or slot is there.
struct NoWindows : CatalogView, CatalogHost {
    void showPicture(const CatalogPosition&, const QImage&) override {}
    void showName(const CatalogPosition&, const QString&) override {}
    void showPageButton(int, const QString&, bool) override {}
    void closeCatalog() override {}
    bool copyToTx(const QString&) override { return false; }
    void slotNamesChanged() override {}
};

// "rx3", "tx5" or "4:9".
std::optional<CatalogPosition> positionOf(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(rx|tx)(\\d+)$|^(\\d+):(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    if (match.hasCaptured(1)) {
        const int n = match.captured(2).toInt();
        const bool rx = match.captured(1).compare("rx", Qt::CaseInsensitive) == 0;
        if (n < 1 || n > (rx ? kRxPositions : kTxPositions))
            return std::nullopt;
        return rx ? CatalogPosition::rx(n) : CatalogPosition::tx(n);
    }
    const int page = match.captured(3).toInt();
    const int k = match.captured(4).toInt();
    if (page >= kPageCount || k >= kPositionsPerPage)
        return std::nullopt;
    return CatalogPosition::general(page, k);
}

QString label(const CatalogPosition& p) {
    switch (p.kind) {
    case CatalogPosition::Kind::Rx:
        return QStringLiteral("rx %1").arg(p.number);
    case CatalogPosition::Kind::Tx:
        return QStringLiteral("tx %1").arg(p.number);
    case CatalogPosition::Kind::General:
        break;
    }
    return QStringLiteral("%1:%2").arg(p.page).arg(p.number);
}

int list(const ProgramFolder& folder, const QStringList& arguments, std::FILE* out,
         std::FILE* err) {
    Settings settings = Station::folderSettings(folder, Settings::defaults(QString()));
    int page = std::clamp(settings.catalogPage, 0, kPageCount - 1);
    if (!arguments.isEmpty()) {
        bool ok = false;
        page = arguments.first().toInt(&ok);
        if (!ok || page < 0 || page >= kPageCount || arguments.size() > 1)
            return usageError(err, QStringLiteral("catalog takes a page from 0 to 17"));
    }
    ConsoleDialogs dialogs(err);
    WorkingPictures pictures;
    NoWindows none;
    const CatalogController catalog(folder, dialogs, pictures, settings, none, none);
    CatalogStore store(folder);
    QList<CatalogPosition> positions;
    for (int n = 1; n <= kRxPositions; ++n)
        positions << CatalogPosition::rx(n);
    for (int n = 1; n <= kTxPositions; ++n)
        positions << CatalogPosition::tx(n);
    for (int k = 0; k < kPositionsPerPage; ++k)
        positions << CatalogPosition::general(page, k);
    std::fprintf(out, "page %d %s\n", page, qPrintable(settings.pageNames.at(std::size_t(page))));
    for (const CatalogPosition& p : positions) {
        const QString shown = store.shownFile(p);
        std::fprintf(
            out, "%s\t%s\t%s\n", qPrintable(label(p)),
            qPrintable(shown.isEmpty() ? QStringLiteral("-") : QDir::toNativeSeparators(shown)),
            qPrintable(catalog.name(p)));
    }
    return 0;
}

} // namespace

int runCatalog(const ProgramFolder& folder, const QStringList& arguments, std::FILE* out,
               std::FILE* err) {
    const QString verb = arguments.value(0);
    if (verb != "copy" && verb != "name")
        return list(folder, arguments, out, err);

    ConsoleDialogs dialogs(err);
    Settings settings;
    SettingsStore store(folder, dialogs);
    WorkingPictures pictures;
    NoWindows none;
    if (verb == "copy") {
        const auto from = positionOf(arguments.value(1));
        const auto to = positionOf(arguments.value(2));
        if (arguments.size() != 3 || !from || !to || to->kind == CatalogPosition::Kind::Rx)
            return usageError(err, QStringLiteral("catalog copy takes FROM (rxN, txN, P:K) and TO "
                                                  "(txN, P:K)"));
        store.ReadSettings(settings, QString());
        CatalogController catalog(folder, dialogs, pictures, settings, none, none);
        const int before = dialogs.messages();
        if (!catalog.pictureMouseDown(*from, true)) {
            std::fprintf(err, "orbisctl: %s holds no picture\n", qPrintable(label(*from)));
            return 1;
        }
        catalog.pictureDragDrop(*to, CatalogSource::Picture);
        catalog.pictureEndDrag(*from);
        const bool failed = dialogs.messages() != before;
        return store.WriteSettings(settings) && !failed ? 0 : 1;
    }
    // name POS TEXT, name page P TEXT
    const bool page = arguments.value(1) == "page";
    const QString text = arguments.value(page ? 3 : 2);
    bool ok = true;
    const int pageNumber = page ? arguments.value(2).toInt(&ok) : 0;
    const auto target = page ? std::nullopt : positionOf(arguments.value(1));
    if (arguments.size() != (page ? 4 : 3) ||
        (page && (!ok || pageNumber < 0 || pageNumber >= kPageCount)) ||
        (!page && (!target || target->kind == CatalogPosition::Kind::Rx)))
        return usageError(err, QStringLiteral("catalog name takes txN, P:K or page P, and a text"));
    store.ReadSettings(settings, QString());
    CatalogController catalog(folder, dialogs, pictures, settings, none, none);
    catalog.textStartDrag(text);
    if (page)
        catalog.pageButtonDragDrop(pageNumber);
    else
        catalog.pictureDragDrop(*target, CatalogSource::TextField);
    catalog.textEndDrag();
    return store.WriteSettings(settings) ? 0 : 1;
}

} // namespace winorbis
