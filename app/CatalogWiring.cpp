// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogWiring.h"

#include "TForm1.h"

#include "catalog/TForm3.h"
#include "controls/TFlyingButton.h"
#include "workspace/ui/PaintBox.h"

#include <QAction>
#include <QMenu>

namespace winorbis {

namespace {

// KatalogClick: the frames go, the TX window is shown, and the catalog opens modally.
void KatalogClick(TForm1& main, TForm3& catalog) {
    main.removeFrames();
    main.txWindow()->setVisible(true);
    catalog.exec();
}

// The catalog and the main window joined both ways: the main window as the catalog's host, and
// the catalog told of the main window's catalog stores. It lives as long as the catalog window.
class CatalogJoint final : public QObject,
                           public CatalogHost,
                           public PictureFiles::CatalogListener {
public:
    CatalogJoint(TForm1& main, TForm3& catalog)
        : QObject(&catalog)
        , main_(main)
        , catalog_(catalog) {}

    // The catalog's click copy: the file goes into the TX picture at its own size, as a mini slot
    // dropped on the TX window does, and the TX picture takes the dragged-picture name.
    bool copyToTx(const QString& file) override {
        main_.pictures().currentFile = file;
        return main_.miniSlots().loadCurrentFileIntoTx();
    }
    void slotNamesChanged() override { main_.miniSlots().showNames(); }

    void txPictureStored(const PictureFiles::TxCatalogEntry& entry) override {
        catalog_.controller()->txPictureStored(entry.position);
    }
    void rxPictureStored(const PictureFiles::RxCatalogEntry& entry) override {
        catalog_.controller()->rxPictureStored(entry.position, entry.picture);
    }

private:
    TForm1& main_;
    TForm3& catalog_;
};

} // namespace

void connectCatalog(TForm1& main, TForm3& catalog, Dialogs& dialogs) {
    auto* joint = new CatalogJoint(main, catalog);
    catalog.attach(main.programFolder(), dialogs, main.pictures(), main.settings(), *joint);

    const auto open = [&main, &catalog] { KatalogClick(main, catalog); };
    QObject::connect(main.catalogButton(), &TFlyingButton::OnClick, &catalog, open);
    {
        QMenu* special = main.specialMenu();
        auto* item = new QAction(QStringLiteral("&Catalog"), special);
        item->setObjectName(QStringLiteral("Katalog1"));
        item->setShortcut(QKeySequence(Qt::Key_F9));
        const QList<QAction*> items = special->actions();
        special->insertAction(items.isEmpty() ? nullptr : items.first(), item);
        QObject::connect(item, &QAction::triggered, &catalog, open);
    }

    main.pictureFiles().setCatalogListener(joint);
}

} // namespace winorbis
