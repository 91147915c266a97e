// The results list driven through the real main window by keys and clicks.

#include "ui/main/FormMainFixture.h"

#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsTable.h"
#include "ui/results/ResultsWindow.h"

#include <QDataStream>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QTableView>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

// One run per competitor, as the program writes them in Relative lap type.
const char* const kRace = "     Nr.: 12\n"
                          "H  Start: 00:00.00,00  10:00.00,00\n"
                          "H  Stopp:        9,99  10:00.09,99\n"
                          "     Nr.: 7\n"
                          "H  Start: 00:00.00,00  10:01.00,00\n"
                          "H  Stopp:       10,00  10:01.10,00\n"
                          "kaputt\n"
                          "     Nr.: 3\n"
                          "H  Start: 00:00.00,00  10:02.00,00\n";

} // namespace

class ResultsWindowTest : public FormMainFixture
{
protected:
    ResultsWindow& results() { return *form->resultsWindow(); }

    // The list opens in front; the operator clicks back into the main window
    // to go on with the race.
    void pressInMain(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(form.get());
        press(key, modifiers);
    }

    // A key to the results list as the operator presses it there.
    void pressInResults(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(&results());
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &results(), key, modifiers);
    }

    QStringList column(int index)
    {
        QStringList texts;
        for (int row = 0; row < results().rowCount(); ++row)
            texts << results().cellText(row, index);
        return texts;
    }

    bool rowsBecome(int count)
    {
        return QTest::qWaitFor([&] { return results().rowCount() == count; }, 10'000);
    }

    bool listIsCurrent()
    {
        return QTest::qWaitFor([&] { return results().feed().isCurrent(); }, 10'000);
    }

    void clickHeader(int section)
    {
        QHeaderView* header = results().table()->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(section) +
                                header->sectionSize(section) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }

    void loadRace()
    {
        const QString file = dir.filePath(QStringLiteral("rennen.txt"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(kRace);
        out.close();
        openName = file;
        press(Qt::Key_O, Qt::ControlModifier);
    }
};

TEST_F(ResultsWindowTest, F6AndTheLastPopupEntryOpenTheList)
{
    create();
    EXPECT_FALSE(results().isVisible());
    press(Qt::Key_F6);
    EXPECT_TRUE(results().isVisible());
    EXPECT_TRUE(results().isWindow());
    EXPECT_FALSE(results().isModal());
    results().close();

    QMenu* popup = form->ui().PopupMenuProtokol;
    ASSERT_FALSE(popup->actions().isEmpty());
    QAction* last = popup->actions().constLast();
    EXPECT_EQ(last->text(), QStringLiteral("Ergebnisliste"));
    popup->popup(form->ui().Memo1->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(last).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return results().isVisible(); }, 10'000));
}

TEST_F(ResultsWindowTest, RaceByKeysIsRankedLiveAndAClearEmptiesIt)
{
    create();
    press(Qt::Key_F6);
    ASSERT_TRUE(results().isVisible());

    pressInMain(Qt::Key_F5);
    advanceMs(5'000);
    pressInMain(Qt::Key_F9);
    ASSERT_TRUE(rowsBecome(1));
    pressInMain(Qt::Key_Delete);
    pressInMain(Qt::Key_F5);
    advanceMs(4'000);
    pressInMain(Qt::Key_F9);
    ASSERT_TRUE(rowsBecome(2));

    // The second run was faster: its competitor leads.
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(column(3), (QStringList{QStringLiteral("4,00"), QStringLiteral("5,00")}));
    EXPECT_EQ(column(4).constLast(), QStringLiteral("+1,00"));
    EXPECT_FALSE(results().statusLine()->isVisible());

    protocolAnswer = true;
    pressInMain(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(form->ui().Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(rowsBecome(0));
}

// A protocol whose document is built in the background: the list reads it
// while it is built, a race run by keys meanwhile lands after its lines, and
// the list goes on following the protocol once the new document is shown.
TEST_F(ResultsWindowTest, RaceDuringABackgroundLoadIsRankedWithTheLoadedOnes)
{
    TFormMainEnvironment env = environment();
    env.customiseProtocol = [base = env.customiseProtocol](ProtocolServices& services) {
        base(services);
        services.backgroundLoadBytes = 0;
    };
    create(std::move(env));
    loadRace();
    press(Qt::Key_F6);
    ASSERT_TRUE(rowsBecome(3));
    pressInMain(Qt::Key_F5);
    advanceMs(8'000);
    ASSERT_TRUE(form->protocol().memo().isLoading());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->protocol().memo().isSettled(); }, 60'000));

    pressInMain(Qt::Key_F9);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return column(3).contains(QStringLiteral("8,00")); }, 10'000));
    EXPECT_EQ(column(1).constFirst(), QStringLiteral("1"));
    const QStringList shown = lines();
    ASSERT_EQ(shown.size(), 13);
    EXPECT_EQ(shown.mid(0, 9), QString::fromLatin1(kRace).split(u'\n').mid(0, 9));
    EXPECT_EQ(shown[10], QStringLiteral("     Nr.: 1"));
}

TEST_F(ResultsWindowTest, HeaderClickSortsByValueNotByText)
{
    // At tenths, as the race shows them.
    storeAllSettings({{QStringLiteral("Acc"), 1}});
    create();
    loadRace();
    press(Qt::Key_F6);
    ASSERT_TRUE(rowsBecome(3));
    EXPECT_EQ(column(1),
              (QStringList{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("3")}));
    EXPECT_EQ(column(3), (QStringList{QStringLiteral("9,9"), QStringLiteral("10,0"), QString()}));
    EXPECT_TRUE(results().statusLine()->isVisible());
    EXPECT_EQ(results().statusLine()->text(), QStringLiteral("1 Zeilen übersprungen"));

    // Start numbers as numbers: 3 before 7 before 12, whichever way round.
    clickHeader(1);
    const Qt::SortOrder order = results().table()->horizontalHeader()->sortIndicatorOrder();
    QStringList numbers{QStringLiteral("3"), QStringLiteral("7"), QStringLiteral("12")};
    if (order == Qt::DescendingOrder)
        std::reverse(numbers.begin(), numbers.end());
    EXPECT_EQ(column(1), numbers);

    // Times by value: 9,9 before 10,0, the competitor without a time after both.
    clickHeader(3);
    if (results().table()->horizontalHeader()->sortIndicatorOrder() != Qt::AscendingOrder)
        clickHeader(3);
    EXPECT_EQ(column(1),
              (QStringList{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("3")}));
}

TEST_F(ResultsWindowTest, CtrlSSavesTheListAsCsvNotTheProtocol)
{
    create();
    loadRace();
    press(Qt::Key_F6);
    ASSERT_TRUE(rowsBecome(3));

    saveAs = dir.filePath(QStringLiteral("liste.csv"));
    pressInResults(Qt::Key_S, Qt::ControlModifier);
    QFile written(*saveAs);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_FALSE(bytes.contains("Stopp"));
    EXPECT_TRUE(errors.isEmpty());

    // A folder that is not there: the operator is told, nothing is written.
    saveAs = dir.filePath(QStringLiteral("fehlt/liste.csv"));
    pressInResults(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(QFile::exists(*saveAs));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.constFirst().contains(QStringLiteral("liste.csv")));
}

TEST_F(ResultsWindowTest, WebPageLandsBesideTheProtocolPageAndOpens)
{
    create();
    loadRace();
    press(Qt::Key_F6);
    QTest::mouseClick(results().webButton(), Qt::LeftButton);
    const QString page = QDir(workingFolder()).filePath(QStringLiteral("Ergebnisse.html"));
    EXPECT_TRUE(QFile::exists(page));
    ASSERT_FALSE(opened.isEmpty());
    EXPECT_EQ(opened.constLast(), QUrl::fromLocalFile(page).toString());
}

TEST_F(ResultsWindowTest, CtrlPPrintsOnThePrinterOfTheProtocol)
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    const QString output = dir.filePath(QStringLiteral("liste.pdf"));
    pdf.setOutputFileName(output);
    TFormMainEnvironment env = environment();
    env.customiseProtocol = [inner = env.customiseProtocol, &pdf](ProtocolServices& services) {
        inner(services);
        services.printer = &pdf;
    };
    create(std::move(env));
    loadRace();
    press(Qt::Key_F6);
    pressInResults(Qt::Key_P, Qt::ControlModifier);
    EXPECT_GT(QFileInfo(output).size(), 0);
    EXPECT_TRUE(errors.isEmpty());

    pdf.setOutputFileName(dir.filePath(QStringLiteral("fehlt/liste.pdf")));
    pressInResults(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(errors, QStringList{QStringLiteral("Es ist kein Drucker eingerichtet.")});
}

TEST(ResultsPrintout, EveryPageRepeatsTheColumnHeadings)
{
    std::vector<Results::Entry> entries(300);
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = {static_cast<int>(i) + 1, std::to_string(i), 1, 1000, 0, 1000};
    QTextDocument document;
    document.setPageSize(QSizeF(400, 300));
    document.setHtml(ResultsTable::printDocument(entries, 2));
    ASSERT_GT(document.pageCount(), 1);
    QTextTable* table = nullptr;
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        table = table ? table : qobject_cast<QTextTable*>(frame);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->format().headerRowCount(), 1);
    EXPECT_EQ(table->cellAt(0, 3).firstCursorPosition().block().text(), QStringLiteral("Bestzeit"));
}

// A size stored by a damaged or hand-edited settings file is cut to the
// screen before the window is shown.
TEST_F(ResultsWindowTest, StoredSizeBeyondTheScreenIsCutToIt)
{
    for (const int huge : {2'000'000, 2'147'483'647}) {
        SCOPED_TRACE(huge);
        // As a window stores its place: frame and normal geometry, screen,
        // states, the screen's width and the client geometry.
        QByteArray geometry;
        QDataStream out(&geometry, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_0);
        const QRect rect(QPoint(0, 0), QSize(huge, huge));
        out << quint32(0x1D9D0CB) << quint16(3) << quint16(0) << rect << rect << qint32(0)
            << quint8(0) << quint8(0) << qint32(800) << rect;
        storeSettings({{QStringLiteral("Ergebnisliste/Geometrie"), geometry}});

        create();
        press(Qt::Key_F6);
        ASSERT_TRUE(results().isVisible());
        const QSize screen = results().screen()->availableGeometry().size();
        EXPECT_LE(results().width(), screen.width());
        EXPECT_LE(results().height(), screen.height());
        destroy();
    }
}

// START, then a protocol is opened whose last run is unfinished, then F9:
// the STOPP was started at another time and does not finish the loaded run.
TEST_F(ResultsWindowTest, StoppOfARaceStartedBeforeALoadFinishesNoLoadedRun)
{
    create();
    press(Qt::Key_F6);
    pressInMain(Qt::Key_F5);
    advanceMs(4'000);
    QApplication::setActiveWindow(form.get());
    loadRace();
    advanceMs(1'000);
    pressInMain(Qt::Key_F9);
    ASSERT_TRUE(listIsCurrent());
    ASSERT_EQ(lines().constLast().left(9), QStringLiteral("H  Stopp:"));
    EXPECT_EQ(column(1),
              (QStringList{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("3")}));
    EXPECT_EQ(column(3), (QStringList{QStringLiteral("9,99"), QStringLiteral("10,00"), QString()}));
    EXPECT_EQ(results().statusLine()->text(), QStringLiteral("2 Zeilen übersprungen"));
}

TEST_F(ResultsWindowTest, PlaceSurvivesARestartAndIsOnlyWrittenOnceUsed)
{
    const QString group = QStringLiteral("Ergebnisliste");
    create();
    destroy();
    EXPECT_FALSE(QSettings(settingsFile(), QSettings::IniFormat).childGroups().contains(group));

    create();
    press(Qt::Key_F6);
    const QRect placed(120, 140, 610, 380);
    results().setGeometry(placed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results().geometry() == placed; }, 10'000));
    destroy();
    EXPECT_TRUE(QSettings(settingsFile(), QSettings::IniFormat).childGroups().contains(group));

    create();
    press(Qt::Key_F6);
    EXPECT_EQ(results().geometry(), placed);
}
