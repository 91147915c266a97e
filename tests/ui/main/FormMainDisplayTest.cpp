// The scoreboard as the operator uses it: F8 on the main window, F11,
// Esc and a double-click on the board, and the program started again.

#include "FormMainFixture.h"

#include "controls/TDigit.h"
#include "ui/display/Scoreboard.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace {

TDigit* mainDigit(const TFormMain& form, int index)
{
    return index < 8 ? form.ui().FirstRow[index] : form.ui().SecondRow[index - 8];
}

// Every digit of the board shows what the main window shows, in the same
// colours and with the same places hidden.
void expectSameDigits(const TFormMain& form, const Scoreboard& board, const char* when)
{
    for (int i = 0; i < 16; ++i) {
        const TDigit* shown = mainDigit(form, i);
        const TDigit* mirrored = board.digit(static_cast<DisplayControl>(i));
        SCOPED_TRACE(testing::Message() << when << ", digit " << i);
        EXPECT_EQ(mirrored->Value(), shown->Value());
        EXPECT_EQ(mirrored->ColorOn(), shown->ColorOn());
        EXPECT_EQ(mirrored->ColorOff(), shown->ColorOff());
        EXPECT_EQ(mirrored->Color(), shown->Color());
        EXPECT_EQ(mirrored->isHidden(), shown->isHidden());
    }
}

} // namespace

class FormMainDisplay : public FormMainFixture
{
protected:
    Scoreboard& board() { return *form->scoreboard(); }

    void storeBoard(const std::map<QString, QVariant>& values)
    {
        QSettings stored(settingsFile(), QSettings::IniFormat);
        stored.beginGroup(QStringLiteral("Anzeigetafel"));
        for (const auto& [name, value] : values)
            stored.setValue(name, value);
    }

    // The board as the operator sees it: shown, with the key focus moved to
    // it (the offscreen platform has no window manager to do that).
    void focusBoard()
    {
        QApplication::setActiveWindow(&board());
        ASSERT_TRUE(QTest::qWaitFor([this] { return board().isActiveWindow(); }, 10000));
    }
};

TEST_F(FormMainDisplay, F8OpensAndClosesTheBoardAndTheRaceKeysWorkOnIt)
{
    create();
    ASSERT_NE(form->scoreboard(), nullptr);
    EXPECT_FALSE(board().isVisible());

    press(Qt::Key_F8);
    EXPECT_TRUE(board().isVisible());
    EXPECT_EQ(board().windowTitle(), QStringLiteral("Anzeigetafel"));
    EXPECT_TRUE(board().isWindow());
    press(Qt::Key_F8);
    EXPECT_FALSE(board().isVisible());

    press(Qt::Key_F8);
    focusBoard();
    // The race keys work with the keyboard on the board.
    QTest::keyClick(&board(), Qt::Key_F5);
    EXPECT_TRUE(form->ui().Clock->isActive());
    QTest::keyClick(&board(), Qt::Key_F9);
    EXPECT_FALSE(form->ui().Clock->isActive());
    EXPECT_TRUE(board().isVisible());
    QTest::keyClick(&board(), Qt::Key_F8);
    EXPECT_FALSE(board().isVisible());
    // Closed on the board, the next F8 on the main window opens it again.
    press(Qt::Key_F8);
    EXPECT_TRUE(board().isVisible());
}

TEST_F(FormMainDisplay, BoardShowsTheMainDigitsAfterEveryTickOfARace)
{
    storeAllSettings({{QStringLiteral("C1"), 0x202020},
                      {QStringLiteral("C2"), 0x00C0FF},
                      {QStringLiteral("C3"), 0x603000}});
    create();
    press(Qt::Key_F8);
    expectSameDigits(*form, board(), "before the start");

    press(Qt::Key_F5);
    for (std::int64_t ms : {10, 990, 58'000, 3'600'000 - 59'000}) {
        advanceMs(ms);
        tick();
        expectSameDigits(*form, board(), "running");
    }
    press(Qt::Key_F4);
    advanceMs(12'340);
    tick();
    expectSameDigits(*form, board(), "after a lap");
    // The stored colours reached the board: leading zeros passive, the rest
    // active, on the background of the display.
    EXPECT_EQ(board().digit(DisplayControl::Digit1)->ColorOn(), 0x603000u);
    EXPECT_EQ(board().digit(DisplayControl::Digit8)->ColorOn(), 0x00C0FFu);
    EXPECT_EQ(board().palette().color(QPalette::Window), QColor(0x20, 0x20, 0x20));
    EXPECT_EQ(board().nameLabel()->palette().color(QPalette::WindowText), QColor(0xFF, 0xC0, 0x00));

    press(Qt::Key_F9);
    expectSameDigits(*form, board(), "stopped");
}

TEST_F(FormMainDisplay, BoardOpenedDuringARaceStartsFromTheShownTimeAndResolution)
{
    storeAllSettings({{QStringLiteral("Acc"), 1}});
    create();
    press(Qt::Key_F5);
    advanceMs(75'430);
    tick();
    form->ui().editStartN->setText(QStringLiteral("17 Bergmann"));
    press(Qt::Key_F8);
    expectSameDigits(*form, board(), "opened while running");
    EXPECT_EQ(board().resolution(), 1);
    EXPECT_EQ(board().nameLabel()->text(), QStringLiteral("17 Bergmann"));
}

TEST_F(FormMainDisplay, F11AndDoubleClickToggleFullScreenAndEscLeavesIt)
{
    create();
    press(Qt::Key_F8);
    focusBoard();

    const QRect normal = board().geometry();
    QTest::keyClick(&board(), Qt::Key_F11);
    EXPECT_TRUE(board().isFullScreen());
    QTest::keyClick(&board(), Qt::Key_Escape);
    EXPECT_FALSE(board().isFullScreen());
    EXPECT_EQ(board().geometry(), normal);
    // Esc on a window that is not full screen leaves it where it is.
    QTest::keyClick(&board(), Qt::Key_Escape);
    EXPECT_FALSE(board().isFullScreen());
    EXPECT_TRUE(board().isVisible());

    // On the digits, not only on the margin around them.
    const QPoint onDigit = board().digit(DisplayControl::Digit3)->geometry().center() +
                           board().digit(DisplayControl::Digit3)->parentWidget()->pos();
    QTest::mouseDClick(&board(), Qt::LeftButton, Qt::NoModifier, onDigit);
    EXPECT_TRUE(board().isFullScreen());
    QTest::keyClick(&board(), Qt::Key_F11);
    EXPECT_FALSE(board().isFullScreen());
}

TEST_F(FormMainDisplay, OpenStateAndPlaceSurviveARestartBesideTheStoredValues)
{
    storeAllSettings({{QStringLiteral("C2"), 0x0000FF}});
    create();
    EXPECT_FALSE(board().isVisible());
    press(Qt::Key_F8);
    board().setGeometry(40, 60, 420, 330);
    destroy();

    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("C2")).toInt(), 0x0000FF);
    EXPECT_EQ(stored.value(QStringLiteral("Anzeigetafel/Offen")).toInt(), 1);
    // Its group follows the window's own values and never splits them.
    QFile file(settingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const qsizetype group = text.indexOf("[Anzeigetafel]");
    ASSERT_GE(group, 0);
    for (const char* name : {"Left=", "C3=", "LAPType=", "FilterInd="})
        EXPECT_LT(text.indexOf(QByteArray("\n") + name), group) << name;

    create();
    EXPECT_TRUE(board().isVisible());
    EXPECT_EQ(board().geometry(), QRect(40, 60, 420, 330));
    EXPECT_EQ(form->C2(), 0x0000FFu);

    // Closed by the operator, it stays closed at the next start.
    board().close();
    destroy();
    create();
    EXPECT_FALSE(board().isVisible());
    press(Qt::Key_F8);
    EXPECT_EQ(board().geometry(), QRect(40, 60, 420, 330));
}

TEST_F(FormMainDisplay, FullScreenIsRestoredAndAPlaceOffEveryScreenIsBroughtBack)
{
    storeAllSettings({});
    QSettings stored(settingsFile(), QSettings::IniFormat);
    stored.beginGroup(QStringLiteral("Anzeigetafel"));
    stored.setValue(QStringLiteral("Offen"), 1);
    stored.setValue(QStringLiteral("Vollbild"), 1);
    stored.setValue(QStringLiteral("Bildschirm"), QGuiApplication::primaryScreen()->name());
    stored.setValue(QStringLiteral("Left"), 20000);
    stored.setValue(QStringLiteral("Top"), 20000);
    stored.setValue(QStringLiteral("Width"), 400);
    stored.setValue(QStringLiteral("Height"), 300);
    stored.endGroup();
    stored.sync();

    create();
    EXPECT_TRUE(board().isVisible());
    EXPECT_TRUE(board().isFullScreen());
    focusBoard();
    QTest::keyClick(&board(), Qt::Key_Escape);
    EXPECT_FALSE(board().isFullScreen());
    EXPECT_TRUE(board().screen()->geometry().intersects(board().geometry()));
    EXPECT_EQ(board().size(), QSize(400, 300));
}

// Stored on a projector that is gone, with a corner on the screen that is
// left, or larger than any screen with the title bar above it: the board
// opens as a window wholly on the screen, and the keys stay with the race.
TEST_F(FormMainDisplay, AStoredBoardOpensWhereTheOperatorCanMoveItAndLeavesTheKeysAlone)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const std::map<QString, QVariant> cases[] = {
        {{QStringLiteral("Vollbild"), 1},
         {QStringLiteral("Bildschirm"), QStringLiteral("Projektor")},
         {QStringLiteral("Left"), area.right() - 30},
         {QStringLiteral("Top"), area.top() + 100},
         {QStringLiteral("Width"), 400},
         {QStringLiteral("Height"), 300}},
        {{QStringLiteral("Vollbild"), 0},
         {QStringLiteral("Left"), area.left()},
         {QStringLiteral("Top"), area.top()},
         {QStringLiteral("Width"), 2147483647},
         {QStringLiteral("Height"), 2000000}},
    };
    storeAllSettings({});
    for (const auto& values : cases) {
        storeBoard(values);
        storeBoard({{QStringLiteral("Offen"), 1}});
        create();
        SCOPED_TRACE(values.at(QStringLiteral("Width")).toInt());
        EXPECT_TRUE(board().isVisible());
        EXPECT_FALSE(board().isFullScreen());
        const QRect frame = board().frameGeometry();
        EXPECT_TRUE(area.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_EQ(QApplication::activeWindow(), form.get());
        destroy();
    }
}

// A name longer than the board keeps its start number and loses its end.
TEST_F(FormMainDisplay, ALongNameIsCutAtItsEnd)
{
    create();
    press(Qt::Key_F8);
    const QString name = QStringLiteral("17 Maximilian von Hohenzollern-Sigmaringen");
    form->ui().editStartN->setText(name);
    const QLabel* shown = board().nameLabel();
    EXPECT_TRUE(shown->text().startsWith(QStringLiteral("17 Max"))) << shown->text().toStdString();
    EXPECT_TRUE(shown->text().endsWith(QChar(0x2026))) << shown->text().toStdString();
    EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), shown->width());
}

TEST_F(FormMainDisplay, BoardScalesWithItsWindowAndKeepsTheDigitsInProportion)
{
    create();
    press(Qt::Key_F8);
    const TDigit* first = board().digit(DisplayControl::Digit1);
    const TDigit* small = board().digit(DisplayControl::Digit12);

    board().resize(2 * Scoreboard::kBoardWidth, 2 * Scoreboard::kBoardHeight);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->width() == 90; }, 10000));
    EXPECT_EQ(first->height(), 178);
    EXPECT_EQ(small->height(), 138);
    EXPECT_EQ(first->Thickness(), 10);

    // Twice as wide but no higher: the digits keep their size and the board
    // stands centred, never stretched.
    board().resize(4 * Scoreboard::kBoardWidth, 2 * Scoreboard::kBoardHeight);
    ASSERT_TRUE(QTest::qWaitFor([&] { return board().width() == 4 * 495; }, 10000));
    EXPECT_EQ(first->size(), QSize(90, 178));
    EXPECT_EQ(first->mapTo(&board(), QPoint(0, 0)).x(), 495 + 2 * 8);
}

// The board's first three follow the protocol as it grows and as it is
// cleared: four runs by keys, the slowest left out, a tie sharing its place.
TEST_F(FormMainDisplay, FirstThreeFollowTheProtocol)
{
    create();
    press(Qt::Key_F8);
    EXPECT_TRUE(board().resultRows().isEmpty());
    const std::pair<const char*, std::int64_t> runs[] = {
        {"7 Huber", 12'340}, {"3 Amsel", 11'000}, {"9 Zander", 12'340}, {"4 Lang", 15'000}};
    for (const auto& [name, ms] : runs) {
        form->ui().editStartN->setText(QString::fromUtf8(name));
        press(Qt::Key_F5);
        advanceMs(ms);
        press(Qt::Key_F9);
        press(Qt::Key_Delete);
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return board().resultRows().size() == 3; }, 10000));
    EXPECT_EQ(board().resultRows(), QStringList({QStringLiteral("1.  3 Amsel  11,00"),
                                                 QStringLiteral("2.  7 Huber  12,34"),
                                                 QStringLiteral("2.  9 Zander  12,34")}));

    protocolAnswer = true;
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(form->ui().Memo1->toPlainText().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([this] { return board().resultRows().isEmpty(); }, 10000));
}

// With scoring the board shows the first three of the class chosen by their
// places in it, or, with all classes shown, the first three of everybody; by
// the names of the entry list. A classic ranking has no classes to choose.
TEST(ScoreboardLeaders, ClassChosenByItsOwnPlacesAllClassesByTheOverallOnes)
{
    Results::Protocol protocol;
    protocol.runs = {{"12", "9:00.00,00", {}, 61000},
                     {"7", "9:01.00,00", {}, 60000},
                     {"5", "9:02.00,00", {}, 62000},
                     {"Gast", "9:03.00,00", {}, 58000},
                     {"9", "9:04.00,00", {}, 59000}};
    const EntryList::List list({{12, "Anna Berger", "A", ""},
                                {7, "Otto Kranz", "B", ""},
                                {5, "Eva Lang", "A", ""},
                                {9, "", "B", ""}});
    auto scored = std::make_shared<Results::Ranking>();
    scored->entries = Results::rank(protocol);
    scored->table = Scoring::score(protocol, list, {});
    scored->scoring = true;

    Scoreboard board;
    board.setRanking(scored);
    EXPECT_EQ(board.resultRows(),
              QStringList({QStringLiteral("1.  Gast  58,00"), QStringLiteral("2.  9  59,00"),
                           QStringLiteral("3.  7 Otto Kranz  1.00,00")}));
    board.setClassFilter(QStringLiteral("A"));
    EXPECT_EQ(board.resultRows(), QStringList({QStringLiteral("1.  12 Anna Berger  1.01,00"),
                                               QStringLiteral("2.  5 Eva Lang  1.02,00")}));
    board.setClassFilter(QStringLiteral("C"));
    EXPECT_TRUE(board.resultRows().isEmpty());

    auto classic = std::make_shared<Results::Ranking>();
    classic->entries = Results::rank(protocol);
    classic->table = Scoring::score(protocol, {}, {});
    board.setRanking(classic);
    EXPECT_EQ(board.resultRows(),
              QStringList({QStringLiteral("1.  Gast  58,00"), QStringLiteral("2.  9  59,00"),
                           QStringLiteral("3.  7  1.00,00")}));
}
