// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring an event in the results list as the operator does it: keys and
// the context menu on the real window write correction lines, the list
// follows them, and a saved protocol loaded back gives the same results.

#include "ui/main/FormMainFixture.h"

#include "ui/display/Scoreboard.h"
#include "ui/results/EventScoring.h"
#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>

namespace {

// Two runs each of 12 and 7, Relative lap type.
const char* const kEvent = "     Nr.: 12\n"
                           "H  Start: 00:00.00,00  10:00.00,00\n"
                           "H  Stopp:       30,00  10:00.30,00\n"
                           "\n"
                           "     Nr.: 7\n"
                           "H  Start: 00:00.00,00  10:01.00,00\n"
                           "H  Stopp:       31,00  10:01.31,00\n"
                           "\n"
                           "     Nr.: 12\n"
                           "H  Start: 00:00.00,00  10:02.00,00\n"
                           "H  Stopp:       29,50  10:02.29,50\n"
                           "\n"
                           "     Nr.: 7\n"
                           "H  Start: 00:00.00,00  10:03.00,00\n"
                           "H  Stopp:       32,00  10:03.32,00\n";

} // namespace

class ScoringWindowTest : public FormMainFixture
{
protected:
    ResultsWindow& results() { return *form->resultsWindow(); }

    void openEvent(const char* text)
    {
        const QString file = dir.filePath(QStringLiteral("veranstaltung.txt"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        out.close();
        openName = file;
        press(Qt::Key_O, Qt::ControlModifier);
        press(Qt::Key_F6);
        ASSERT_TRUE(results().isVisible());
        ASSERT_TRUE(settled());
    }

    bool settled()
    {
        return QTest::qWaitFor([&] { return results().feed().isCurrent(); }, 10'000);
    }

    QStringList rowTexts(int row)
    {
        QStringList texts;
        for (int column = 0; column < results().table()->model()->columnCount(); ++column)
            texts << results().cellText(row, column);
        return texts;
    }

    QStringList allRows()
    {
        QStringList rows;
        for (int row = 0; row < results().rowCount(); ++row)
            rows << rowTexts(row).join(u'|');
        return rows;
    }

    int rowOf(const QString& competitor)
    {
        for (int row = 0; row < results().rowCount(); ++row)
            if (results().cellText(row, 1) == competitor)
                return row;
        return -1;
    }

    void clickCompetitor(const QString& competitor)
    {
        QTableView* table = results().table();
        const int row = rowOf(competitor);
        ASSERT_GE(row, 0) << competitor.toStdString();
        table->scrollTo(table->model()->index(row, 1));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(row, 1)).center());
    }

    QRect runCell(int run)
    {
        QTableWidget* runs = results().runsTable();
        return runs->visualItemRect(runs->item(run, 0));
    }

    // Right-clicks run `run` of the chosen competitor and picks `entry`.
    void runMenu(int run, const QString& entry)
    {
        QTableWidget* runs = results().runsTable();
        bool picked = false;
        QTimer::singleShot(0, runs, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            for (QAction* action : menu->actions()) {
                if (action->text() == entry) {
                    picked = true;
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
                    return;
                }
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, runCell(run).center(),
                                runs->viewport()->mapToGlobal(runCell(run).center()));
        QApplication::sendEvent(runs->viewport(), &event);
        EXPECT_TRUE(picked) << entry.toStdString();
        ASSERT_TRUE(settled());
    }
};

TEST_F(ScoringWindowTest, CorrectionsByKeysAndMenuSurviveSavingClearingAndLoading)
{
    create();
    openEvent(kEvent);
    ASSERT_EQ(results().rowCount(), 2);
    EXPECT_EQ(results().table()->model()->columnCount(), 6); // nothing scored yet

    // Chosen competitor: its latest finished run is the one "+" applies to.
    clickCompetitor(QStringLiteral("12"));
    ASSERT_EQ(results().runsTable()->rowCount(), 2);
    EXPECT_EQ(results().runsTable()->currentRow(), 1);
    QTest::keyClick(results().table(), Qt::Key_Plus);
    QTest::keyClick(results().table(), Qt::Key_Plus);
    ASSERT_TRUE(settled());
    EXPECT_EQ(lines().count(QStringLiteral("*  Wertung: Strafe +1  Start 10:02.00,00  Nr.: 12")),
              2);
    // 29,50 + 4,00 is slower than the first run's 30,00, which now counts.
    EXPECT_EQ(rowTexts(rowOf(QStringLiteral("12"))),
              (QStringList{QStringLiteral("1"), QStringLiteral("12"), QString(), QString(),
                           QStringLiteral("2"), QStringLiteral("30,00"), QString(),
                           QStringLiteral("+0,00"), QStringLiteral("33,50")}));

    // Strike the first run: the penalised one counts, and shows its penalty.
    clickCompetitor(QStringLiteral("12"));
    QTest::mouseClick(results().runsTable()->viewport(), Qt::LeftButton, {}, runCell(0).center());
    runMenu(0, QStringLiteral("Lauf streichen"));
    EXPECT_TRUE(results().runsTable()->item(0, 2)->font().strikeOut());
    EXPECT_EQ(
        rowTexts(rowOf(QStringLiteral("12"))).mid(5, 3),
        (QStringList{QStringLiteral("33,50"), QStringLiteral("+4,00"), QStringLiteral("+2,50")}));

    // 7's slower run goes to 12, whose best it becomes.
    results().setCompetitorQuestion([](const QString& current) {
        EXPECT_EQ(current, QStringLiteral("7"));
        return std::optional<QString>(QStringLiteral(" 12 "));
    });
    clickCompetitor(QStringLiteral("7"));
    runMenu(1, QStringLiteral("Lauf zuordnen …"));
    EXPECT_TRUE(lines().contains(
        QStringLiteral("*  Wertung: zugeordnet \"12\"  Start 10:03.00,00  Nr.: 7")));
    const QStringList scored = allRows();
    EXPECT_EQ(scored, (QStringList{QStringLiteral("1|7|||1|31,00||+0,00|31,00"),
                                   QStringLiteral("2|12|||2|32,00||+1,00|32,00")}));

    // The protocol is the whole record: saved, cleared and loaded, the same.
    saveAs = dir.filePath(QStringLiteral("gesichert.txt"));
    press(Qt::Key_S, Qt::ControlModifier);
    protocolAnswer = true;
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(settled());
    EXPECT_EQ(results().rowCount(), 0);
    openName = *saveAs;
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(settled());
    EXPECT_EQ(allRows(), scored);
}

TEST_F(ScoringWindowTest, ClassesAndTheSumOfRunsAreChosenInTheList)
{
    create();
    form->eventScoring().setEntries(
        {{12, "Anna Berger", "A", ""}, {7, "Otto Kern", "B", ""}, {5, "Eva Lind", "A", ""}});
    openEvent("     Nr.: 12\n"
              "H  Start: 00:00.00,00  10:00.00,00\n"
              "H  Stopp:       30,00  10:00.30,00\n"
              "     Nr.: 5\n"
              "H  Start: 00:00.00,00  10:01.00,00\n"
              "H  Stopp:       20,00  10:01.20,00\n"
              "     Nr.: 012\n"
              "H  Start: 00:00.00,00  10:02.00,00\n"
              "H  Stopp:       31,00  10:02.31,00\n"
              "     Nr.: 7\n"
              "H  Start: 00:00.00,00  10:03.00,00\n"
              "H  Stopp:       40,00  10:03.40,00\n");
    // Grouped by class, each with its own places; 5 leads A on best time.
    EXPECT_EQ(allRows(), (QStringList{QStringLiteral("A||||||||"),
                                      QStringLiteral("1|5|Eva Lind|A|1|20,00||+0,00|20,00"),
                                      QStringLiteral("2|12|Anna Berger|A|2|30,00||+10,00|31,00"),
                                      QStringLiteral("B||||||||"),
                                      QStringLiteral("1|7|Otto Kern|B|1|40,00||+0,00|40,00")}));

    // "Summe" of two runs, by keys: 12 has both and goes ahead of 5, who has one.
    results().modeBox()->setFocus();
    QTest::keyClick(results().modeBox(), Qt::Key_Down);
    ASSERT_TRUE(settled());
    EXPECT_EQ(results().table()->model()->headerData(5, Qt::Horizontal).toString(),
              QStringLiteral("Summe"));
    EXPECT_EQ(rowTexts(1).mid(0, 6),
              (QStringList{QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("Anna Berger"),
                           QStringLiteral("A"), QStringLiteral("2"), QStringLiteral("1.01,00")}));
    EXPECT_EQ(rowTexts(2).mid(0, 2), (QStringList{QStringLiteral("2"), QStringLiteral("5")}));

    // The number typed for the next run names the entrant on the board.
    QLineEdit* startName = form->ui().editStartN;
    startName->setFocus();
    startName->selectAll();
    QTest::keyClicks(startName, QStringLiteral("012"));
    EXPECT_EQ(form->scoreboard()->nameLabel()->text(), QStringLiteral("12 Anna Berger (A)"));
    QTest::keyClick(startName, Qt::Key_Backspace);
    EXPECT_EQ(form->scoreboard()->nameLabel()->text(), QStringLiteral("01"));

    // One class alone, and the choice is the event's, kept with the settings.
    QComboBox* classes = results().classBox();
    classes->setFocus();
    QTest::keyClick(classes, Qt::Key_Down);
    QTest::keyClick(classes, Qt::Key_Down);
    ASSERT_TRUE(settled());
    EXPECT_EQ(form->eventScoring().classFilter(), QStringLiteral("B"));
    EXPECT_EQ(allRows(), (QStringList{QStringLiteral("B||||||||"),
                                      QStringLiteral("1|7|Otto Kern|B|1|40,00||+0,00|40,00")}));
}
