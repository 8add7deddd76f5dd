// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "captions/StandardTextLibrary.h"

#include <QWidget>

#include <functional>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class TfrmMemoBlk;
}

namespace winorbis {

class Dialogs;
class ProgramFolder;

// The standard-text window: the outline library of standard texts kept in "winorbis.txt". It is
// read again at every showing and written only by "Save"; "OK" hands the selected text to the
// typed-text field.
class TfrmMemoBlk : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMemoBlk(QWidget* parent = nullptr);
    ~TfrmMemoBlk() override;

    // What the window works with; ok receives the selected text of "OK".
    void attach(const ProgramFolder& folder, Dialogs& dialogs,
                std::function<void(const QString&)> ok);

    const StandardTextLibrary& library() const { return library_; }
    // The selected entry's path; empty when nothing is selected.
    StandardTextLibrary::Path selection() const;
    void select(const StandardTextLibrary::Path& path);

    // The buttons and keys.
    void AddClick();
    void UnderEntryClick();
    void CultivateClick();
    void DeleteClick();
    void OkClick();
    void CopyClick(); // the selected text to the clipboard only
    void SaveClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void reload();
    void showLibrary(const StandardTextLibrary::Path& selected);
    QString selectedText() const;

    std::unique_ptr<Ui::TfrmMemoBlk> ui_;
    QTreeWidget* outline_ = nullptr;
    StandardTextLibrary library_;
    const ProgramFolder* folder_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    std::function<void(const QString&)> ok_;
};

} // namespace winorbis
