// SPDX-License-Identifier: GPL-3.0-or-later
// The feed reads only what changed; whatever happened to the protocol, its
// ranking is the one a reading from the top gives.

#include "ui/results/ResultsFeed.h"
#include "protocol/ProtocolMemo.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString run(int number, int startSecond, int raceMs)
{
    const int stopMs = startSecond * 1000 + raceMs;
    return QStringLiteral("     Nr.: %1\n"
                          "H  Start: 00:00.00,00  10:%2.%3,00\n"
                          "H  Stopp: %4  10:%5.%6,%7\n")
        .arg(number)
        .arg(startSecond / 60, 2, 10, QLatin1Char('0'))
        .arg(startSecond % 60, 2, 10, QLatin1Char('0'))
        .arg(QString::fromStdString(Results::formatTime(raceMs, 2)), 11)
        .arg(stopMs / 60000, 2, 10, QLatin1Char('0'))
        .arg(stopMs / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(stopMs % 1000 / 10, 2, 10, QLatin1Char('0'));
}

class ResultsFeedTest : public ::testing::Test
{
protected:
    QPlainTextEdit area;
    ProtocolMemo memo{&area};
    ResultsFeed feed{memo};

    // What reading the protocol as it stands from the top gives.
    std::vector<Results::Entry> fromTheTop() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < memo.lineCount(); ++i)
            lines.push_back(memo.line(i).toStdString());
        return Results::rank(Results::read(lines));
    }

    void expectLikeFromTheTop(const char* step)
    {
        SCOPED_TRACE(step);
        ASSERT_TRUE(QTest::qWaitFor([&] { return feed.isCurrent(); }, 30'000));
        const std::vector<Results::Entry> expected = fromTheTop();
        const std::vector<Results::Entry>& shown = feed.ranking()->entries;
        ASSERT_EQ(shown.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(shown[i].name, expected[i].name) << i;
            EXPECT_EQ(shown[i].place, expected[i].place) << i;
            EXPECT_EQ(shown[i].finishedRuns, expected[i].finishedRuns) << i;
            EXPECT_EQ(shown[i].bestMs, expected[i].bestMs) << i;
            EXPECT_EQ(shown[i].lastMs, expected[i].lastMs) << i;
        }
    }
};

} // namespace

TEST_F(ResultsFeedTest, FollowsAppendsReplacementsClearsAndLoads)
{
    QString day;
    for (int i = 0; i < 400; ++i)
        day += run(i % 90, i * 7 % 3000, 20'000 + i * 13 % 5000);
    feed.acquire();
    memo.setText(day);
    expectLikeFromTheTop("set");

    // A race goes on: its lines are appended, its "Nr." line is rewritten at
    // STOPP, and an earlier line is put right.
    const QStringList more = run(7, 3100, 15'000).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : more)
        memo.appendLine(line);
    memo.replaceLine(memo.lineCount() - 3, QStringLiteral("     Nr.: 91"));
    expectLikeFromTheTop("appended");
    memo.replaceLine(5, QStringLiteral("     Nr.: 500"));
    memo.replaceLine(memo.lineCount() - 1, QStringLiteral("kaputt"));
    expectLikeFromTheTop("replaced");

    // A large protocol loaded in the background, lines coming in while its
    // document is built, and the document shown at last.
    QString large;
    for (int i = 0; i < 3000; ++i)
        large += run(1000 + i % 700, i % 3000, 30'000 + i * 17 % 9000);
    memo.loadText(large, true);
    ASSERT_TRUE(memo.isLoading());
    expectLikeFromTheTop("loading");
    for (const QString& line : run(1001, 10, 1000).split(u'\n', Qt::SkipEmptyParts))
        memo.appendLine(line);
    memo.replaceLine(0, QStringLiteral("     Nr.: 9999"));
    if (memo.isLoading())
        expectLikeFromTheTop("changed while loading");
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo.isSettled(); }, 60'000));
    expectLikeFromTheTop("shown");
    memo.appendLine(QStringLiteral("     Nr.: 1002"));
    memo.replaceLine(memo.lineCount() - 2, QStringLiteral("H  Stopp:        0,10  10:00.10,00"));
    expectLikeFromTheTop("after the load");

    memo.setText(QString());
    expectLikeFromTheTop("cleared");
    EXPECT_TRUE(feed.ranking()->entries.empty());
}
