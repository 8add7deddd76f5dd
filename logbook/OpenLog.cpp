// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenLog.h"

namespace winorbis::logbook {

OpenLog::OpenLog(std::unique_ptr<ParadoxTable> table, ErrorSink errors, QObject* parent)
    : QAbstractTableModel(parent)
    , table_(std::move(table))
    , errors_(std::move(errors))
    , current_(table_->recordCount() > 0 ? 0 : -1) {}

OpenLog::~OpenLog() = default;

void OpenLog::setCurrent(int row) {
    const int count = table_->recordCount();
    const int clamped = count == 0 ? -1 : std::clamp(row, 0, count - 1);
    if (clamped == current_)
        return;
    current_ = clamped;
    emit currentChanged(current_);
}

QStringList OpenLog::currentTexts() const {
    QStringList texts;
    const Record record = table_->record(current_);
    for (int i = 0; i < table_->columns().size(); ++i)
        texts << (i < record.size() ? ParadoxTable::toText(record[i]) : QString());
    return texts;
}

void OpenLog::reset() {
    beginResetModel();
    endResetModel();
    const int count = table_->recordCount();
    current_ = count == 0 ? -1 : std::clamp(current_ < 0 ? 0 : current_, 0, count - 1);
    emit currentChanged(current_); // its fields may have changed even where it stayed
}

bool OpenLog::post(const QStringList& texts, bool asNew) {
    QString error;
    const Record record = table_->recordFromTexts(texts, &error);
    if (!error.isEmpty()) {
        errors_(error);
        return false;
    }
    const bool inserting = asNew || current_ < 0;
    const bool ok =
        inserting ? table_->insert(record, &error) : table_->update(current_, record, &error);
    if (!ok) {
        errors_(error);
        return false;
    }
    if (inserting)
        current_ = table_->recordCount() - 1;
    reset();
    return true;
}

bool OpenLog::removeCurrent() {
    QString error;
    if (current_ < 0)
        return false;
    if (!table_->remove(current_, &error)) {
        errors_(error);
        return false;
    }
    reset();
    return true;
}

bool OpenLog::refresh() {
    QString error;
    auto reopened = ParadoxTable::open(table_->path(), &error,
                                       table_->readOnly() ? ParadoxTable::Mode::ReadOnly
                                                          : ParadoxTable::Mode::ReadWrite);
    if (!reopened) {
        errors_(error);
        return false;
    }
    table_ = std::move(reopened);
    reset();
    return true;
}

int OpenLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->recordCount();
}

int OpenLog::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_->columns().size());
}

QVariant OpenLog::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return ParadoxTable::toText(table_->record(index.row()).value(index.column()));
}

QVariant OpenLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return table_->columns().value(section).name;
    return section == current_ ? QStringLiteral("▶") : QString();
}

Qt::ItemFlags OpenLog::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!table_->readOnly())
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool OpenLog::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int row = index.row();
    setCurrent(row);
    QStringList texts = currentTexts();
    if (texts.value(index.column()) == value.toString())
        return true;
    texts[index.column()] = value.toString();
    return post(texts, false);
}

} // namespace winorbis::logbook
