// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/EntryList.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class EventScoring;
class QPushButton;
class QTableWidget;

// "Nennliste": the event's entry list to type, import from a spreadsheet's
// file and export again. Nothing reaches the event before OK, and OK takes
// only a list the program can read back at the next start.
//
// The dialog gives no key of its own to anything, so the race keys the
// creator adds with addActions() keep working while it is open.
class EntryListDialog : public QDialog
{
    Q_OBJECT

public:
    // The file to read or write; empty when the operator cancelled.
    using FileChooser = std::function<QString()>;
    // Tells the operator what went wrong or what was left out.
    using Notice = std::function<void(const QString& text)>;

    explicit EntryListDialog(EventScoring& event, QWidget* parent = nullptr);

    void setImportChooser(FileChooser chooser) { m_importChooser = std::move(chooser); }
    void setExportChooser(FileChooser chooser) { m_exportChooser = std::move(chooser); }
    void setNotice(Notice notice) { m_notice = std::move(notice); }

    QTableWidget* table() const { return m_table; }
    QPushButton* importButton() const { return m_import; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Column order of the table.
    enum Column
    {
        kNumber,
        kName,
        kClass,
        kInfo,
        kColumnCount
    };

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill(const std::vector<EntryList::Entrant>& entrants);
    // The table's rows as entrants, or nothing after telling the operator
    // which rows keep it from being a list.
    std::optional<std::vector<EntryList::Entrant>> validRows();
    QString cell(int row, int column) const;
    void addRow();
    void removeRows();
    void importFile();
    void exportFile();
    void take();
    void tell(const QString& text);

    EventScoring& m_event;
    FileChooser m_importChooser;
    FileChooser m_exportChooser;
    Notice m_notice;
    QTableWidget* m_table = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
