// SPDX-License-Identifier: GPL-3.0-or-later
#include "TMainForm.h"

#include "ui_TMainForm.h"

#include "TDynaDBForm.h"

#include "controls/StatusHints.h"
#include "controls/ToolIcons.h"
#include "logbook/LogBookTexts.h"
#include "logbook/OpenLog.h"
#include "logbook/QsoLog.h"
#include "platform/Colour.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace winorbis {

using namespace logbooktext;

namespace {

QToolButton* barButton(QWidget* bar, const QString& name, int left, const QString& hint,
                       QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setGeometry(left, 5, 25, 25);
    button->setToolTip(hint);
    button->setIcon(ToolIcons::standard(icon));
    return button;
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::TMainForm>()) {
    ui_->setupUi(this);
    setGeometry(200, 99, 526, 378);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(13);
    setFont(arial);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QWidget(central);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(35);
    bar->setAutoFillBackground(true);
    QPalette blue = bar->palette();
    blue.setColor(QPalette::Window, colours::clBlue.toQColor());
    blue.setColor(QPalette::WindowText, Qt::white);
    bar->setPalette(blue);
    openButton_ =
        barButton(bar, QStringLiteral("SpeedButton1"), 8, kOpenHint, QStyle::SP_DialogOpenButton);
    maskButton_ =
        barButton(bar, QStringLiteral("BtnMask"), 33, kMaskHint, QStyle::SP_FileDialogDetailedView);
    maskButton_->setEnabled(false);
    exitButton_ =
        barButton(bar, QStringLiteral("BtnExit"), 58, kExitHint, QStyle::SP_DialogCloseButton);
    fileName_ = new QLabel(bar);
    fileName_->setObjectName(QStringLiteral("LabelFileName"));
    fileName_->setGeometry(96, 8, 420, 20);
    column->addWidget(bar);
    grid_ = new QTableView(central);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    QFont title(QStringLiteral("System"));
    title.setPixelSize(13);
    grid_->horizontalHeader()->setFont(title);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->hide();
    column->addWidget(grid_, 1);
    column->addStretch(0); // keeps the bar at the top while the grid is hidden
    setCentralWidget(central);
    QFont statusFont(QStringLiteral("MS Sans Serif"));
    statusFont.setPixelSize(11);
    statusFont.setBold(true);
    statusBar()->setObjectName(QStringLiteral("StatBar"));
    statusBar()->setFont(statusFont);

    QMenu* file = menuBar()->addMenu(kFileMenu);
    QAction* open = file->addAction(kOpenItem);
    open->setObjectName(QStringLiteral("MFileOpen"));
    exportItem_ = file->addAction(kExportItem);
    exportItem_->setObjectName(QStringLiteral("MFileExport"));
    exportItem_->setEnabled(false);
    file->addSeparator();
    QAction* exit = file->addAction(kExitItem);
    exit->setObjectName(QStringLiteral("MFileExit"));

    connect(open, &QAction::triggered, this, &TMainForm::MFileOpenClick);
    connect(openButton_, &QToolButton::clicked, this, &TMainForm::MFileOpenClick);
    connect(exportItem_, &QAction::triggered, this, &TMainForm::exportAdifClick);
    connect(exit, &QAction::triggered, this, &TMainForm::MFileExitClick);
    connect(exitButton_, &QToolButton::clicked, this, &TMainForm::MFileExitClick);
    connect(maskButton_, &QToolButton::clicked, this, &TMainForm::MShowMaskClick);
    auto* hints = new StatusHints([this](const QString& text) { showStatus(text); }, this);
    hints->add(maskButton_, kMaskStatus);
    hints->add(openButton_, kOpenStatus);
}

TMainForm::~TMainForm() {
    closeLog();
}

void TMainForm::attach(Dialogs& dialogs, const ProgramFolder& folder) {
    dialogs_ = &dialogs;
    folder_ = &folder;
}

void TMainForm::showStatus(const QString& text) {
    statusBar()->showMessage(text);
}

void TMainForm::MFileOpenClick() {
    closeLog();
    if (!dialogs_)
        return;
    Dialogs::FileRequest request;
    request.filter = kOpenFilter;
    request.defaultExt = QStringLiteral("DB");
    request.folder = folder_ ? folder_->folder() : QString();
    const auto chosen = dialogs_->openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    openLog(*chosen);
}

bool TMainForm::openLog(const QString& path) {
    closeLog();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    auto table = logbook::ParadoxTable::open(path, &error);
    if (!table) {
        QApplication::restoreOverrideCursor();
        if (dialogs_)
            dialogs_->error(error);
        return false;
    }
    log_ = std::make_unique<logbook::OpenLog>(std::move(table), [this](const QString& text) {
        if (dialogs_)
            dialogs_->error(text);
    });
    grid_->setModel(log_.get());
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, log_.get(),
            [this](const QModelIndex& index) { log_->setCurrent(index.row()); });
    connect(log_.get(), &logbook::OpenLog::currentChanged, grid_, [this](int row) {
        if (row >= 0 && grid_->currentIndex().row() != row)
            grid_->setCurrentIndex(log_->index(row, std::max(0, grid_->currentIndex().column())));
    });
    grid_->show();
    fileName_->setText(log_->tableName());
    maskButton_->setEnabled(true);
    exportItem_->setEnabled(true);
    if (dialogs_)
        mask_ = new TDynaDBForm(*log_, *dialogs_, this);
    QApplication::restoreOverrideCursor();
    return true;
}

void TMainForm::closeLog() {
    if (mask_) {
        mask_->hide();
        delete mask_; // it works on the log, which goes now
    }
    grid_->setModel(nullptr);
    log_.reset();
    grid_->hide();
    maskButton_->setEnabled(false);
    exportItem_->setEnabled(false);
    fileName_->clear();
}

void TMainForm::MFileExitClick() {
    closeLog();
    hide();
}

void TMainForm::MShowMaskClick() {
    if (mask_)
        mask_->exec();
}

void TMainForm::exportAdifClick() {
    if (!log_ || !dialogs_)
        return;
    Dialogs::FileRequest request;
    request.filter = kAdifFilter;
    request.defaultExt = QStringLiteral("adi");
    request.fileName = QFileInfo(log_->tableName()).completeBaseName() + ".adi";
    request.folder = QFileInfo(log_->tableName()).absolutePath();
    const auto chosen = dialogs_->saveFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    QStringList warnings;
    const QByteArray adif =
        logbook::adifExport(log_->table(), QDateTime::currentDateTimeUtc(), &warnings);
    if (const QString problem = replaceFileContents(*chosen, adif); !problem.isEmpty()) {
        dialogs_->error(cannotWriteExport(*chosen, problem));
        return;
    }
    showStatus(warnings.isEmpty() ? *chosen : warnings.join(QStringLiteral("; ")));
}

} // namespace winorbis
