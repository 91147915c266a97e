#include "ProtocolFixture.h"

#include "protocol/ProtocolJournal.h"

#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Two protocol halves side by side: one shows every file before loading
// returns, the other builds each file's document in the background. A race
// run on both must leave the same protocol and the same crash copies, however
// its lines fall around the moment a loaded document is shown.
struct BackgroundLoad : ::testing::Test
{
    ProtocolWindow atOnce, background;
    std::unique_ptr<ProtocolController> now = make(atOnce, ProtocolServices().memoCapacity);
    std::unique_ptr<ProtocolController> later = make(background, 0);

    static std::unique_ptr<ProtocolController> make(ProtocolWindow& w, qint64 backgroundFrom)
    {
        ProtocolServices s = w.services();
        s.journalFolder = w.path(QStringLiteral("journal"));
        s.backgroundLoadBytes = backgroundFrom;
        w.yesNoAnswer = true;
        return w.make(s);
    }
    void onBoth(const std::function<void(ProtocolController&)>& step)
    {
        step(*now);
        step(*later);
    }
    void load(const QByteArray& bytes)
    {
        onBoth([&bytes](ProtocolController& c) {
            const QString file = c.resolve(QStringLiteral("in.txt"));
            writeBytes(file, bytes);
            c.loadTextFile(file);
        });
    }
    void append(const QString& line)
    {
        onBoth([&line](ProtocolController& c) { c.memo().appendLine(line); });
    }
    void replace(int index, const QString& line)
    {
        onBoth([&](ProtocolController& c) { c.memo().replaceLine(index, line); });
    }
    // Until every document built or dropped has arrived or been freed.
    bool settle() const
    {
        return QTest::qWaitFor([this] { return later->memo().isSettled(); }, 60000);
    }
    static QList<QByteArray> copies(const ProtocolController& c)
    {
        QList<QByteArray> out;
        for (const QString& file : c.journal()->filesOfThisRun())
            out << readBytes(file);
        return out;
    }
    void expectSameProtocol()
    {
        EXPECT_EQ(later->memo().text(), now->memo().text());
        // What the area really shows, not only what the memo answers.
        EXPECT_EQ(background.memo.document()->toRawText(), atOnce.memo.document()->toRawText());
        EXPECT_EQ(copies(*later), copies(*now));
        EXPECT_EQ(background.sbSave.isEnabled(), atOnce.sbSave.isEnabled());
    }
};

const QByteArray kSeason = "     Nr.: 1\r\n"
                           "H  Start: 00:00.00,00  14:05.03,07\r\n"
                           "A  Stopp:     3.16,50  14:08.19,57\r\n"
                           "\r\n"
                           "     Nr.: 2\r\n"
                           "H  Start: 00:00.00,00  14:09.00,00"; // no final break

} // namespace

// START and a LAP while the document is being built, STOPP after it is shown:
// the race finds its "Nr." line where it wrote it and rewrites that one.
TEST_F(BackgroundLoad, RaceAroundTheLoadLandsAfterTheLoadedLines)
{
    load("old race\r\n");
    ASSERT_TRUE(settle());
    // Long enough that a line rewritten near its end is written to the crash
    // copy in place, at a byte counted from the lines before it.
    QByteArray season;
    for (int i = 0; i < 3000; ++i)
        season += "A    Lap:     1.05,43  " + QByteArray::number(i) + ".\r\n";
    season += kSeason;
    load(season);
    ASSERT_TRUE(later->memo().isLoading());
    EXPECT_EQ(later->memo().lineCount(), 3006);
    EXPECT_EQ(later->memo().line(3005), QStringLiteral("H  Start: 00:00.00,00  14:09.00,00"));

    const int nr = later->memo().lineCount();
    append(QStringLiteral("     Nr.: 3"));
    append(QStringLiteral("H  Start: 00:00.00,00  14:10.00,00"));
    append(QStringLiteral("A    Lap:     1.05,43  1."));
    EXPECT_EQ(later->memo().lineCount(), nr + 3);
    EXPECT_EQ(later->memo().line(nr), QStringLiteral("     Nr.: 3"));
    replace(1, QStringLiteral("A    Lap:     1.05,44  1."));
    replace(3004, QStringLiteral("     Nr.: 2 Meier"));
    ASSERT_TRUE(later->memo().isLoading());
    EXPECT_EQ(later->memo().text(), now->memo().text());
    EXPECT_EQ(copies(*later), copies(*now));

    ASSERT_TRUE(settle());
    EXPECT_FALSE(later->memo().isLoading());
    append(QStringLiteral("H  Stopp:     3.16,50"));
    replace(nr, QStringLiteral("     Nr.: 3 Müller"));
    expectSameProtocol();
    EXPECT_EQ(later->memo().line(nr), QStringLiteral("     Nr.: 3 Müller"));
    EXPECT_EQ(background.memo.document()->defaultFont(), background.memo.font());
}

// A clear or another load given while a document is being built wins, also
// when the older document arrives after it.
TEST_F(BackgroundLoad, ClearOrNewLoadDuringTheLoadWins)
{
    load(kSeason);
    append(QStringLiteral("     Nr.: 3"));
    load("     Nr.: 9\r\n");
    append(QStringLiteral("H  Start: 00:00.00,00  14:10.00,00"));
    ASSERT_TRUE(settle());
    expectSameProtocol();
    EXPECT_EQ(later->memo().lineCount(), 2);

    load(kSeason);
    onBoth([](ProtocolController& c) { c.sbCLSClick(); });
    EXPECT_FALSE(later->memo().isLoading());
    EXPECT_TRUE(later->memo().isEmpty());
    ASSERT_TRUE(settle());
    expectSameProtocol();
    EXPECT_TRUE(background.memo.document()->isEmpty());

    load(kSeason);
    onBoth([](ProtocolController& c) { c.sbCLSClick(); });
    append(QStringLiteral("     Nr.: 4"));
    ASSERT_TRUE(settle());
    expectSameProtocol();
    EXPECT_EQ(later->memo().text(), QStringLiteral("     Nr.: 4\n"));
}
