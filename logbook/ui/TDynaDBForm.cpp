// SPDX-License-Identifier: GPL-3.0-or-later
#include "TDynaDBForm.h"

#include "logbook/LogBookTexts.h"
#include "logbook/OpenLog.h"
#include "platform/Dialogs.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>

namespace winorbis {

namespace {

const QStringList kGlyphs = {"|◀", "◀", "▶", "▶|", "+", "−", "▲", "✓", "✗", "↻"};
// The scroll box's area: the mask's width less its frame and vertical scroll bar; fields end
// kFieldMargin before its right edge.
constexpr int kAreaWidth = 556 - 24;
constexpr int kFieldMargin = 10;

} // namespace

TDynaDBForm::TDynaDBForm(logbook::OpenLog& log, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , log_(log)
    , dialogs_(dialogs) {
    setObjectName(QStringLiteral("DynaDBForm"));
    setWindowTitle(logbooktext::kMaskTitle);
    setGeometry(202, 102, 556, 437);
    QFont system(QStringLiteral("System"));
    system.setPixelSize(13);
    setFont(system);

    auto* navigator = new QWidget(this);
    navigator->setObjectName(QStringLiteral("MaskNavigator"));
    navigator->setGeometry(0, 0, 556, 21);
    auto* row = new QHBoxLayout(navigator);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < 10; ++i) {
        auto* button = new QToolButton(navigator);
        button->setObjectName(QStringLiteral("MaskNavigator%1").arg(i));
        button->setText(kGlyphs[i]);
        button->setToolTip(logbooktext::kNavigatorHints[i]);
        button->setFixedHeight(21);
        row->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, i] { navigate(i); });
        navigator_ << button;
    }

    scrollBox_ = new QScrollArea(this);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollBox_->setGeometry(0, 21, 556, 437 - 21);
    auto* area = new QWidget;
    area->setFont(font()); // as inside the scroll box, so that the labels measure right
    QFont courier(QStringLiteral("Courier New"));
    const int maxCharWidth = QFontMetrics(courier).maxWidth();
    layout_ = logbook::maskLayout(log_.table().columns(), maxCharWidth);
    area->setFixedHeight(layout_.scrollRange);
    for (const logbook::MaskRow& r : layout_.rows) {
        auto* label = new QLabel(r.label, area);
        label->setObjectName(r.labelName);
        label->setFont(QFont(QStringLiteral("Arial")));
        label->move(r.labelAt);
        label->ensurePolished();
        label->resize(std::max(r.labelWidth, label->sizeHint().width()),
                      label->sizeHint().height());
        auto* edit = new QLineEdit(area);
        edit->setObjectName(r.editName);
        edit->setFont(courier);
        // A field wider than the room beside its label ends at the mask's edge; its text
        // scrolls inside it, so that no field runs past the window.
        QRect field = r.edit;
        field.setWidth(std::min(field.width(), kAreaWidth - kFieldMargin - field.left()));
        edit->setGeometry(field);
        edit->setReadOnly(log_.table().readOnly());
        edits_ << edit;
    }
    area->setFixedWidth(kAreaWidth);
    scrollBox_->setWidget(area);
    connect(&log_, &logbook::OpenLog::currentChanged, this, &TDynaDBForm::showCurrent);
    showCurrent();
}

void TDynaDBForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showCurrent();
}

void TDynaDBForm::showCurrent() {
    inserting_ = false;
    const QStringList texts = log_.currentTexts();
    for (int i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(log_.current() < 0 ? QString() : texts.value(i));
}

bool TDynaDBForm::modified() const {
    if (inserting_)
        return true;
    const QStringList texts = log_.currentTexts();
    for (int i = 0; i < edits_.size(); ++i)
        if (edits_[i]->text() != (log_.current() < 0 ? QString() : texts.value(i)))
            return true;
    return false;
}

bool TDynaDBForm::postIfModified() {
    if (!modified())
        return true;
    QStringList texts;
    for (QLineEdit* edit : edits_)
        texts << edit->text();
    bool empty = true;
    for (const QString& text : texts)
        empty = empty && text.trimmed().isEmpty();
    if (inserting_ && empty) { // nothing typed into a new record: nothing to keep
        showCurrent();
        return true;
    }
    const bool asNew = inserting_;
    if (!log_.post(texts, asNew))
        return false;
    inserting_ = false;
    return true;
}

void TDynaDBForm::navigate(int button) {
    switch (button) {
    case 0:
    case 1:
    case 2:
    case 3:
        if (!postIfModified())
            return;
        if (button == 0)
            log_.first();
        else if (button == 1)
            log_.previous();
        else if (button == 2)
            log_.next();
        else
            log_.last();
        return;
    case 4: // insert: empty fields for a new record
        if (!postIfModified() || log_.table().readOnly())
            return;
        for (QLineEdit* edit : edits_)
            edit->clear();
        inserting_ = true;
        if (!edits_.isEmpty())
            edits_.first()->setFocus();
        return;
    case 5:
        if (log_.current() < 0 || !dialogs_.askYesNo(logbooktext::kDeleteQuestion))
            return;
        log_.removeCurrent();
        return;
    case 6:
        if (!edits_.isEmpty())
            edits_.first()->setFocus();
        return;
    case 7:
        postIfModified();
        return;
    case 8:
        showCurrent();
        return;
    case 9:
        log_.refresh();
        return;
    default:
        return;
    }
}

} // namespace winorbis
