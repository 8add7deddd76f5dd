// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ParadoxTable.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>

namespace winorbis::logbook {

// An open log book: its table, the record that the grid and the input mask share, and the grid's
// model. Changes go through the table; what it refuses comes back as the reason.
class OpenLog : public QAbstractTableModel {
    Q_OBJECT
public:
    using ErrorSink = std::function<void(const QString&)>;

    OpenLog(std::unique_ptr<ParadoxTable> table, ErrorSink errors, QObject* parent = nullptr);
    ~OpenLog() override;

    ParadoxTable& table() { return *table_; }
    const QString& tableName() const { return table_->path(); }

    // The shared record: -1 while the table is empty.
    int current() const { return current_; }
    void setCurrent(int row);
    void first() { setCurrent(0); }
    void previous() { setCurrent(current_ - 1); }
    void next() { setCurrent(current_ + 1); }
    void last() { setCurrent(table_->recordCount() - 1); }

    // Writes texts (one per column) as the current record, or as a new one; false and the reason
    // to the error sink when a text is no value of its column or the table refuses the record.
    bool post(const QStringList& texts, bool asNew);
    bool removeCurrent();
    bool refresh();
    // The current record's fields as texts.
    QStringList currentTexts() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void currentChanged(int row);

private:
    void reset();

    std::unique_ptr<ParadoxTable> table_;
    ErrorSink errors_;
    int current_ = -1;
};

} // namespace winorbis::logbook
