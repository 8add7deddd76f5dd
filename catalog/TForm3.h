// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CatalogController.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TForm3;
}

class QLabel;
class QPushButton;

namespace winorbis {

class CatalogDrags;
class CatalogPicture;

// The catalog window: the RX catalog, the TX catalog and 18 pages of 25 general pictures. It
// wires its controls to CatalogController, which it is given with the program's folder, dialogs,
// pictures and settings once the main window exists.
class TForm3 : public QDialog, private CatalogView {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    // Joins the window to the program's state and fills it (FormCreate).
    void attach(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                Settings& settings, CatalogHost& host);
    // Null before attach().
    CatalogController* controller() const { return controller_.get(); }

    void Button19Click() { close(); }
    void Button20Click();

private:
    CatalogPicture* picture(const CatalogPosition& position) const;
    QLabel* nameLabel(const CatalogPosition& position) const;
    QPushButton* pageButton(int page) const;

    // CatalogView
    void showPicture(const CatalogPosition& position, const QImage& picture) override;
    void showName(const CatalogPosition& position, const QString& name) override;
    void showPageButton(int page, const QString& caption, bool current) override;
    void closeCatalog() override { accept(); }

    std::unique_ptr<Ui::TForm3> ui_;
    Dialogs* dialogs_ = nullptr;
    std::unique_ptr<CatalogController> controller_;
    CatalogDrags* drags_ = nullptr;
};

} // namespace winorbis
