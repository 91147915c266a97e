// SPDX-License-Identifier: GPL-3.0-or-later
// The entry list dialog driven by keys and clicks on its own widgets, with
// file choosers and message boxes that answer what the test decided.

#include "ui/results/EntryListDialog.h"
#include "ui/results/EventScoring.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using EntryList::Entrant;

class EntryListDialogTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::unique_ptr<EventScoring> event;
    std::unique_ptr<EntryListDialog> dialog;
    QString chosen; // what the file choosers answer
    QStringList notices;

    void open(const std::vector<Entrant>& stored = {}, const QString& folder = {})
    {
        event = std::make_unique<EventScoring>(folder.isEmpty() ? dir.path() : folder);
        if (!stored.empty()) {
            ASSERT_TRUE(event->setEntries(stored));
        }
        dialog = std::make_unique<EntryListDialog>(*event);
        dialog->setImportChooser([this] { return chosen; });
        dialog->setExportChooser([this] { return chosen; });
        dialog->setNotice([this](const QString& text) { notices << text; });
        show();
    }

    void show()
    {
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }

    QByteArray read(const QString& path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(missing)");
    }

    QTableWidget& table() { return *dialog->table(); }

    QString text(int row, int column)
    {
        const QTableWidgetItem* item = table().item(row, column);
        return item ? item->text() : QString();
    }

    void clickCell(int row, int column)
    {
        const QRect rect = table().visualRect(table().model()->index(row, column));
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Keys go where the operator's would: to whatever has the focus, the
    // cell's editor once typing opened it.
    void type(const char* keys)
    {
        for (const char* key = keys; *key != '\0'; ++key)
            QTest::keyClick(QApplication::focusWidget(), *key);
    }
    void press(Qt::Key key)
    {
        QTest::keyClick(QApplication::focusWidget(), key);
        // Return hands the typed text to the cell through the event loop.
        QCoreApplication::processEvents();
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    std::vector<Entrant> stored() const { return event->entries()->entrants(); }

    // The lines (table rows or file lines) the last message names.
    std::vector<int> namedLines() const
    {
        std::vector<int> lines;
        if (notices.isEmpty())
            return lines;
        static const QRegularExpression line(QStringLiteral("^Zeile (\\d+): "),
                                             QRegularExpression::MultilineOption);
        for (auto found = line.globalMatch(notices.last()); found.hasNext();)
            lines.push_back(found.next().captured(1).toInt());
        return lines;
    }
};

TEST_F(EntryListDialogTest, SpreadsheetFileGivesItsGoodRowsWhichOkStoresAndExportWrites)
{
    // Windows-1252, as a spreadsheet saves "CSV (Trennzeichen-getrennt)".
    chosen = file(QStringLiteral("meldungen.csv"), "Nr.;Name;Klasse;Info\r\n"
                                                   "7;J\xFCrgen;A;Golf\r\n"
                                                   "12;Anna Wei\xDF;B;\r\n"
                                                   "7;Doppelt;A;\r\n"
                                                   "3;Zo\xEB;C;\"Club; e.V.\"\r\n");
    open({{5, "Alt", "", ""}});
    click(dialog->importButton());

    ASSERT_EQ(table().rowCount(), 2);
    EXPECT_EQ(text(0, 0), QStringLiteral("12"));
    EXPECT_EQ(text(0, 1), QStringLiteral("Anna Weiß"));
    EXPECT_EQ(text(1, 1), QStringLiteral("Zoë"));
    EXPECT_EQ(text(1, 3), QStringLiteral("Club; e.V."));
    EXPECT_EQ(notices.size(), 1);
    EXPECT_EQ(namedLines(), (std::vector<int>{2, 4}));
    EXPECT_EQ(stored(), (std::vector<Entrant>{{5, "Alt", "", ""}})) << "taken before OK";

    const QByteArray expected = "\xEF\xBB\xBFNr.;Name;Klasse;Info\r\n"
                                "12;Anna Wei\xC3\x9F;B;\r\n"
                                "3;Zo\xC3\xAB;C;\"Club; e.V.\"\r\n";
    chosen = dir.filePath(QStringLiteral("ausgabe.csv"));
    click(dialog->exportButton());
    EXPECT_EQ(read(chosen), expected);

    click(dialog->okButton());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(),
              (std::vector<Entrant>{{12, "Anna Weiß", "B", ""}, {3, "Zoë", "C", "Club; e.V."}}));
    EXPECT_EQ(read(event->filePath()), expected);
    EXPECT_EQ(notices.size(), 1);
}

TEST_F(EntryListDialogTest, FileThatGivesNothingKeepsTheRows)
{
    open({{5, "Alt", "A", ""}});
    const QByteArray before = read(event->filePath());

    chosen = file(QStringLiteral("bild.csv"), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    click(dialog->importButton());
    EXPECT_EQ(namedLines(), std::vector<int>{2});
    // Not refused, but nothing in it: an empty table is not what was meant.
    chosen = file(QStringLiteral("leer.csv"), "Nr.;Name\r\n;Ohne Nummer\r\n");
    click(dialog->importButton());
    EXPECT_EQ(namedLines(), std::vector<int>{2});
    EXPECT_EQ(notices.size(), 2);

    ASSERT_EQ(table().rowCount(), 1);
    EXPECT_EQ(text(0, 0), QStringLiteral("5"));
    EXPECT_EQ(text(0, 1), QStringLiteral("Alt"));
    click(dialog->okButton());
    EXPECT_EQ(stored(), (std::vector<Entrant>{{5, "Alt", "A", ""}}));
    EXPECT_EQ(read(event->filePath()), before);
}

TEST_F(EntryListDialogTest, NumberTypedTwiceIsRefusedByOkAndCancelForgetsEdits)
{
    open({{1, "Anna", "", ""}, {2, "Bert", "", ""}});
    click(dialog->addButton());
    clickCell(1, 0);
    type("1");
    press(Qt::Key_Return);
    ASSERT_TRUE(dialog->isVisible()) << "Return ends the cell, not the dialog";
    EXPECT_EQ(text(1, 0), QStringLiteral("1"));

    click(dialog->okButton());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(namedLines(), (std::vector<int>{1, 2})) << "the empty third row is dropped";
    EXPECT_EQ(stored(), (std::vector<Entrant>{{1, "Anna", "", ""}, {2, "Bert", "", ""}}));

    // Straight from the open editor to OK.
    clickCell(1, 0);
    type("4");
    click(dialog->okButton());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(), (std::vector<Entrant>{{1, "Anna", "", ""}, {4, "Bert", "", ""}}));

    show();
    ASSERT_EQ(table().rowCount(), 2);
    clickCell(0, 1);
    type("X");
    press(Qt::Key_Return);
    click(dialog->cancelButton());
    show();
    EXPECT_EQ(text(0, 1), QStringLiteral("Anna"));
}

TEST_F(EntryListDialogTest, RaceKeysReachTheCreatorsActionsAndDeletingTakesTheSelectedRows)
{
    open({{1, "A", "", ""}, {2, "B", "", ""}, {3, "C", "", ""}, {4, "D", "", ""}});
    QAction start(QStringLiteral("Start"));
    start.setShortcut(Qt::Key_F5);
    QAction reset(QStringLiteral("0,00"));
    reset.setShortcut(Qt::Key_Delete);
    dialog->addActions({&start, &reset});
    QSignalSpy started(&start, &QAction::triggered);
    QSignalSpy wasReset(&reset, &QAction::triggered);

    clickCell(1, 1);
    press(Qt::Key_Delete);
    press(Qt::Key_F5);
    type("X");
    press(Qt::Key_F5); // with the cell's editor open
    EXPECT_EQ(wasReset.count(), 1);
    EXPECT_EQ(started.count(), 2);
    EXPECT_EQ(table().rowCount(), 4);

    QTest::mouseClick(table().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      table().visualRect(table().model()->index(3, 0)).center());
    click(dialog->removeButton());
    ASSERT_EQ(table().rowCount(), 2);
    EXPECT_EQ(text(0, 1), QStringLiteral("A"));
    EXPECT_EQ(text(1, 1), QStringLiteral("C"));
}

TEST_F(EntryListDialogTest, ListIsTakenWhenItsFileCannotBeWritten)
{
    open({}, file(QStringLiteral("daten"), "a file where the data folder should be"));
    click(dialog->addButton());
    type("8");
    press(Qt::Key_Return);
    click(dialog->okButton());

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(), (std::vector<Entrant>{{8, "", "", ""}}));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("nicht geschrieben")))
        << notices[0].toStdString();
}

} // namespace
