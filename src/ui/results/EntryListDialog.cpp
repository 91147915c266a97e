// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/EntryListDialog.h"

#include "protocol/AtomicFile.h"
#include "ui/results/EventScoring.h"

#include <QAbstractItemDelegate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

// A box taller than the screen hides its own OK button; a file of nothing
// but bad rows says enough with its first ones.
constexpr std::size_t kMaxListed = 15;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString problemLines(const std::vector<EntryList::Problem>& problems)
{
    QStringList lines;
    const std::size_t shown = std::min(problems.size(), kMaxListed);
    for (std::size_t i = 0; i < shown; ++i) {
        const EntryList::Problem& problem = problems[i];
        // Line 0 is the file or the list as a whole.
        lines << (problem.line > 0
                      ? QStringLiteral("Zeile %1: %2")
                            .arg(QString::number(problem.line), fromUtf8(problem.message))
                      : fromUtf8(problem.message));
    }
    if (problems.size() > shown) {
        lines << QStringLiteral("… und %1 weitere.").arg(problems.size() - shown);
    }
    return lines.join(QLatin1Char('\n'));
}

QString shownPath(const QString& path)
{
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(path));
}

// The file refuses what the table could hold: characters a spreadsheet never
// writes, which would make the whole stored list unreadable at the next start.
QString cleaned(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if ((code >= 0x20 && code != 0x7F) || code == u'\t' || code == u'\r' || code == u'\n') {
            out += c;
        }
    }
    return out.trimmed();
}

} // namespace

EntryListDialog::EntryListDialog(EventScoring& event, QWidget* parent)
    : QDialog(parent), m_event(event)
{
    setWindowTitle(QStringLiteral("Nennliste"));

    m_table = new QTableWidget(0, kColumnCount, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Name"),
                                        QStringLiteral("Klasse"), QStringLiteral("Info")});
    m_table->setColumnWidth(kNumber, 70);
    m_table->setColumnWidth(kName, 220);
    m_table->setColumnWidth(kClass, 90);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_add = new QPushButton(QStringLiteral("Zeile hinzufügen"), this);
    m_remove = new QPushButton(QStringLiteral("Zeile löschen"), this);
    m_import = new QPushButton(QStringLiteral("Importieren…"), this);
    m_export = new QPushButton(QStringLiteral("Exportieren…"), this);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(m_add);
    rowButtons->addWidget(m_remove);
    rowButtons->addStretch();
    rowButtons->addWidget(m_import);
    rowButtons->addWidget(m_export);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = box->button(QDialogButtonBox::Ok);
    m_cancel = box->button(QDialogButtonBox::Cancel);
    m_ok->setText(QStringLiteral("OK"));
    m_cancel->setText(QStringLiteral("Abbrechen"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(rowButtons);
    layout->addWidget(box);
    resize(640, 480);

    connect(m_add, &QPushButton::clicked, this, &EntryListDialog::addRow);
    connect(m_remove, &QPushButton::clicked, this, &EntryListDialog::removeRows);
    connect(m_import, &QPushButton::clicked, this, &EntryListDialog::importFile);
    connect(m_export, &QPushButton::clicked, this, &EntryListDialog::exportFile);
    connect(box, &QDialogButtonBox::accepted, this, &EntryListDialog::take);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_importChooser = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Nennliste importieren"), QString(),
            QStringLiteral("Tabellen (*.csv *.txt *.tsv);;Alle Dateien (*)"));
    };
    m_exportChooser = [this] {
        QFileDialog dialog(this, QStringLiteral("Nennliste exportieren"), QString(),
                           QStringLiteral("CSV-Dateien (*.csv);;Alle Dateien (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // Added before the overwrite question, so that it asks about the
        // file that is written.
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.selectFile(QString::fromLatin1(EventScoring::kFileName));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    m_notice = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
}

void EntryListDialog::showEvent(QShowEvent* event)
{
    // A window brought back from the task bar keeps what was typed; every
    // opening starts from the event's list, whatever was cancelled before.
    if (!event->spontaneous()) {
        fill(m_event.entries()->entrants());
    }
    QDialog::showEvent(event);
}

void EntryListDialog::fill(const std::vector<EntryList::Entrant>& entrants)
{
    m_table->setRowCount(0);
    m_table->setRowCount(static_cast<int>(entrants.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const EntryList::Entrant& entrant = entrants[static_cast<std::size_t>(row)];
        m_table->setItem(row, kNumber, new QTableWidgetItem(QString::number(entrant.number)));
        m_table->setItem(row, kName, new QTableWidgetItem(fromUtf8(entrant.name)));
        m_table->setItem(row, kClass, new QTableWidgetItem(fromUtf8(entrant.klass)));
        m_table->setItem(row, kInfo, new QTableWidgetItem(fromUtf8(entrant.info)));
    }
    if (m_table->rowCount() > 0) {
        m_table->setCurrentCell(0, kNumber);
    }
}

QString EntryListDialog::cell(int row, int column) const
{
    const QTableWidgetItem* item = m_table->item(row, column);
    return item ? cleaned(item->text()) : QString();
}

std::optional<std::vector<EntryList::Entrant>> EntryListDialog::validRows()
{
    // What is typed into an open cell counts, however the operator got here.
    const QModelIndex current = m_table->currentIndex();
    if (QWidget* editor = m_table->indexWidget(current)) {
        m_table->itemDelegateForIndex(current)->setModelData(editor, m_table->model(), current);
    }

    std::vector<EntryList::Problem> problems;
    std::vector<EntryList::Entrant> rows;
    std::map<int, std::vector<int>> linesOfNumber;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QString number = cell(row, kNumber);
        EntryList::Entrant entrant{0, cell(row, kName).toStdString(),
                                   cell(row, kClass).toStdString(), cell(row, kInfo).toStdString()};
        if (number.isEmpty() && entrant.name.empty() && entrant.klass.empty() &&
            entrant.info.empty()) {
            continue;
        }
        const int line = row + 1;
        const std::optional<int> value = EntryList::startNumber(number.toStdString());
        if (number.isEmpty()) {
            problems.push_back({line, "Die Zeile hat keine Startnummer."});
        } else if (!value) {
            problems.push_back({line, QStringLiteral("„%1“ ist keine Startnummer von 1 bis %2.")
                                          .arg(number, QString::number(EntryList::kMaxNumber))
                                          .toStdString()});
        } else {
            entrant.number = *value;
            linesOfNumber[*value].push_back(line);
            rows.push_back(std::move(entrant));
        }
    }
    for (const auto& [number, lines] : linesOfNumber) {
        if (lines.size() < 2) {
            continue;
        }
        QStringList named;
        for (const int line : lines) {
            named << QString::number(line);
        }
        const std::string message =
            QStringLiteral("Die Startnummer %1 steht mehrfach in der "
                           "Liste (Zeilen %2).")
                .arg(QString::number(number), named.join(QStringLiteral(", ")))
                .toStdString();
        for (const int line : lines) {
            problems.push_back({line, message});
        }
    }
    // What the file could not hold would be refused at the next start, and
    // with it the whole list.
    if (rows.size() > EntryList::kMaxEntrants) {
        problems.push_back({0, QStringLiteral("Die Liste hat mehr als %1 Teilnehmer.")
                                   .arg(EntryList::kMaxEntrants)
                                   .toStdString()});
    } else if (problems.empty() && EntryList::write(rows).size() > EntryList::kMaxFileBytes) {
        problems.push_back({0, "Die Liste ist größer als 1 MiB; die Texte sind zu lang."});
    }
    if (problems.empty()) {
        return rows;
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    if (problems.back().line > 0) {
        const auto first = std::find_if(problems.begin(), problems.end(),
                                        [](const auto& problem) { return problem.line > 0; });
        m_table->setCurrentCell(first->line - 1, kNumber);
    }
    tell(QStringLiteral("Die Nennliste kann so nicht übernommen werden:\n") +
         problemLines(problems));
    return std::nullopt;
}

void EntryListDialog::addRow()
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setCurrentCell(row, kNumber);
    m_table->setFocus();
}

void EntryListDialog::removeRows()
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    if (rows.empty() && m_table->currentRow() >= 0) {
        rows.push_back(m_table->currentRow());
    }
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        m_table->removeRow(row);
    }
}

void EntryListDialog::importFile()
{
    const QString path = m_importChooser();
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        // One byte past the limit is enough to know it is too large.
        bytes = file.read(static_cast<qint64>(EntryList::kMaxFileBytes) + 1);
    }
    if (file.error() != QFileDevice::NoError) {
        tell(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                 .arg(shownPath(path), file.errorString()));
        return;
    }
    const EntryList::Import read = EntryList::parse(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (read.refused) {
        tell(QStringLiteral("Die Datei %1 wird nicht übernommen; die Liste bleibt, wie sie war.\n")
                 .arg(shownPath(path)) +
             problemLines(read.problems));
        return;
    }
    if (read.list.empty()) {
        QString text = QStringLiteral("Die Datei %1 enthält keine Teilnehmer; die Liste bleibt, "
                                      "wie sie war.")
                           .arg(shownPath(path));
        if (!read.problems.empty()) {
            text += QLatin1Char('\n') + problemLines(read.problems);
        }
        tell(text);
        return;
    }
    fill(read.list.entrants());
    if (!read.problems.empty()) {
        tell(QStringLiteral("Aus der Datei %1 sind %2 Teilnehmer übernommen, diese Zeilen nicht:\n")
                 .arg(shownPath(path), QString::number(read.list.entrants().size())) +
             problemLines(read.problems));
    }
}

void EntryListDialog::exportFile()
{
    const std::optional<std::vector<EntryList::Entrant>> rows = validRows();
    if (!rows) {
        return;
    }
    const QString path = m_exportChooser();
    if (path.isEmpty()) {
        return;
    }
    const std::string bytes = EntryList::write(*rows);
    const AtomicFile::Result written =
        AtomicFile::write(path, QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!written.ok()) {
        tell(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
                 .arg(shownPath(path), written.reason));
    }
}

void EntryListDialog::take()
{
    std::optional<std::vector<EntryList::Entrant>> rows = validRows();
    if (!rows) {
        return;
    }
    QString error;
    if (!m_event.setEntries(std::move(*rows), &error)) {
        tell(QStringLiteral("Die Nennliste gilt, aber die Datei %1 kann nicht geschrieben "
                            "werden: %2")
                 .arg(shownPath(m_event.filePath()), error));
    }
    accept();
}

void EntryListDialog::tell(const QString& text)
{
    if (m_notice) {
        m_notice(text);
    }
}
