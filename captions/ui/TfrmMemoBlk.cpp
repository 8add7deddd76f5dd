// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmMemoBlk.h"

#include "ui_TfrmMemoBlk.h"

#include "captions/CaptionTexts.h"
#include "controls/TFlyingButton.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QShortcut>
#include <QTreeWidget>

namespace winorbis {

using namespace captiontext;

namespace {

TFlyingButton* button(QWidget* parent, const QString& name, const QString& text, QRect at) {
    return TFlyingButton::make(parent, name, text, at, colours::clSilver, parent->font());
}

QLabel* redLabel(QWidget* parent, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    return label;
}

} // namespace

TfrmMemoBlk::TfrmMemoBlk(QWidget* parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TfrmMemoBlk>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    outline_ = new QTreeWidget(this);
    outline_->setObjectName(QStringLiteral("Outline1"));
    outline_->setGeometry(8, 8, 340, 364);
    outline_->setHeaderHidden(true);
    const int x = 360;
    const int w = 105;
    connect(button(this, QStringLiteral("BtnAdd"), QStringLiteral("Add..."), {x, 8, w, 25}),
            &TFlyingButton::OnClick, this, &TfrmMemoBlk::AddClick);
    connect(button(this, QStringLiteral("BtnUnder"), QStringLiteral("Under entry"), {x, 40, w, 25}),
            &TFlyingButton::OnClick, this, &TfrmMemoBlk::UnderEntryClick);
    connect(button(this, QStringLiteral("BtnEdit"), QStringLiteral("Cultivate"), {x, 72, w, 25}),
            &TFlyingButton::OnClick, this, &TfrmMemoBlk::CultivateClick);
    connect(button(this, QStringLiteral("BtnDelete"), QStringLiteral("Delete"), {x, 104, w, 25}),
            &TFlyingButton::OnClick, this, &TfrmMemoBlk::DeleteClick);
    redLabel(this, kSelectLabel, {x, 150});
    redLabel(this, kConfirmLabel, {x, 168});
    redLabel(this, kWithOkLabel, {x, 186});
    TFlyingButton* ok =
        button(this, QStringLiteral("BtnOk"), QStringLiteral("OK"), {x, 212, w, 30});
    ok->setToolTip(kOkHint);
    connect(ok, &TFlyingButton::OnClick, this, &TfrmMemoBlk::OkClick);
    connect(button(this, QStringLiteral("BtnSave"), QStringLiteral("Save"), {x, 300, w, 30}),
            &TFlyingButton::OnClick, this, &TfrmMemoBlk::SaveClick);
    connect(button(this, QStringLiteral("BtnExit"), QStringLiteral("Exit"), {x, 342, w, 30}),
            &TFlyingButton::OnClick, this, &QWidget::close);

    const auto key = [this](QKeySequence sequence, void (TfrmMemoBlk::*fn)()) {
        auto* shortcut = new QShortcut(sequence, outline_, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, fn);
    };
    key(QKeySequence(Qt::Key_Insert), &TfrmMemoBlk::AddClick);
    key(QKeySequence(Qt::SHIFT | Qt::Key_Insert), &TfrmMemoBlk::UnderEntryClick);
    key(QKeySequence(Qt::CTRL | Qt::Key_Insert), &TfrmMemoBlk::CopyClick);
    key(QKeySequence(Qt::Key_Delete), &TfrmMemoBlk::DeleteClick);
    key(QKeySequence(Qt::ALT | Qt::Key_Return), &TfrmMemoBlk::CultivateClick);
    key(QKeySequence(Qt::ALT | Qt::Key_Enter), &TfrmMemoBlk::CultivateClick);
}

TfrmMemoBlk::~TfrmMemoBlk() = default;

void TfrmMemoBlk::attach(const ProgramFolder& folder, Dialogs& dialogs,
                         std::function<void(const QString&)> ok) {
    folder_ = &folder;
    dialogs_ = &dialogs;
    ok_ = std::move(ok);
}

void TfrmMemoBlk::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reload();
}

void TfrmMemoBlk::reload() {
    if (!folder_)
        return;
    setWindowTitle(kLibraryTitle + StandardTextLibrary::filePath(*folder_));
    const auto loaded = StandardTextLibrary::load(*folder_);
    library_ = loaded.value_or(StandardTextLibrary());
    showLibrary({});
    if (!loaded && dialogs_)
        dialogs_->error(cannotOpenLibrary(StandardTextLibrary::filePath(*folder_)));
}

namespace {

void addItems(QTreeWidgetItem* parent, QTreeWidget* tree,
              const QList<StandardTextLibrary::Entry>& entries) {
    for (const auto& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.text);
        addItems(item, tree, entry.children);
    }
}

} // namespace

void TfrmMemoBlk::showLibrary(const StandardTextLibrary::Path& selected) {
    outline_->clear();
    addItems(nullptr, outline_, library_.entries());
    outline_->expandAll();
    select(selected);
}

StandardTextLibrary::Path TfrmMemoBlk::selection() const {
    StandardTextLibrary::Path path;
    for (QTreeWidgetItem* item = outline_->currentItem(); item; item = item->parent())
        path.prepend(item->parent() ? item->parent()->indexOfChild(item)
                                    : outline_->indexOfTopLevelItem(item));
    return path;
}

void TfrmMemoBlk::select(const StandardTextLibrary::Path& path) {
    QTreeWidgetItem* item = nullptr;
    for (const int index : path)
        item = item ? item->child(index) : outline_->topLevelItem(index);
    outline_->setCurrentItem(item);
}

QString TfrmMemoBlk::selectedText() const {
    const auto* entry = library_.at(selection());
    return entry ? entry->text : QString();
}

void TfrmMemoBlk::AddClick() {
    if (!dialogs_)
        return;
    if (const auto text = dialogs_->inputText(kAddCaption, kTextPrompt, QString()))
        showLibrary(library_.addAfter(selection(), *text));
}

void TfrmMemoBlk::UnderEntryClick() {
    if (!dialogs_)
        return;
    if (const auto text = dialogs_->inputText(kUnderEntryCaption, kTextPrompt, QString()))
        showLibrary(library_.addChild(selection(), *text));
}

void TfrmMemoBlk::CultivateClick() {
    const auto path = selection();
    if (!dialogs_ || !library_.at(path))
        return;
    if (const auto text = dialogs_->inputText(kCultivateCaption, kTextPrompt, selectedText())) {
        library_.setText(path, *text);
        showLibrary(path);
    }
}

void TfrmMemoBlk::DeleteClick() {
    const auto path = selection();
    if (!dialogs_ || !library_.at(path))
        return;
    if (!dialogs_->askYesNo(deleteQuestion(selectedText()), Dialogs::Kind::Plain))
        return;
    library_.remove(path);
    showLibrary({});
}

void TfrmMemoBlk::CopyClick() {
    if (library_.at(selection()))
        QGuiApplication::clipboard()->setText(selectedText());
}

void TfrmMemoBlk::OkClick() {
    if (!library_.at(selection()))
        return;
    CopyClick();
    if (ok_)
        ok_(selectedText());
}

void TfrmMemoBlk::SaveClick() {
    if (!folder_)
        return;
    const QString problem = library_.save(*folder_);
    if (!problem.isEmpty() && dialogs_)
        dialogs_->error(cannotSaveLibrary(StandardTextLibrary::filePath(*folder_), problem));
}

} // namespace winorbis
