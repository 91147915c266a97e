#include "ProtocolFixture.h"

#include "protocol/ProtocolJournal.h"
#include "protocol/ProtocolMemo.h"
#include "support/FullDisk.h"

#include <QRandomGenerator>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

struct ProtocolJournal_ : ::testing::Test
{
    QTemporaryDir dir;
    QPlainTextEdit edit;
    ProtocolMemo memo{&edit};
    QString folder = dir.filePath(QStringLiteral("data/Kelvatron"));
    ProtocolJournal journal{&edit, folder, QStringLiteral("2009-01-04-14-05")};

    QByteArray onDisk() const { return readBytes(journal.currentFile()); }
};

} // namespace

TEST_F(ProtocolJournal_, NothingIsWrittenUntilTheFirstLine)
{
    memo.setText(QString());
    EXPECT_TRUE(journal.currentFile().isEmpty());
    EXPECT_FALSE(QDir(folder).exists());

    memo.appendLine(QStringLiteral("     Nr.: 1"));
    EXPECT_EQ(journal.currentFile(), folder + QStringLiteral("/2009-01-04-14-05.txt"));
    EXPECT_EQ(onDisk(), QByteArray("     Nr.: 1\r\n"));
}

// Whatever happens to the text area, the copy on disk equals it after every
// single change: appends (the fast path), replaced lines, loads, edits in the
// middle.
TEST_F(ProtocolJournal_, CopyEqualsTheProtocolAfterEveryChange)
{
    QRandomGenerator random(1234);
    for (int step = 0; step < 400; ++step) {
        const QString text = QStringLiteral("A    Lap:  %1 Müller € ").arg(step);
        switch (random.bounded(10)) {
        case 0:
            memo.replaceLine(random.bounded(memo.lineCount() + 1), text);
            break;
        case 1: {
            QTextCursor cursor(edit.document());
            cursor.setPosition(random.bounded(edit.document()->characterCount()));
            cursor.insertText(QStringLiteral("x\u00A0"));
            break;
        }
        case 2:
            if (step % 7 == 0)
                memo.setText(QStringLiteral("loaded\r\nfile"));
            break;
        default:
            memo.appendLine(text);
        }
        ASSERT_EQ(onDisk(), memo.fileBytes()) << "step " << step;
    }
    EXPECT_TRUE(journal.lastError().isEmpty());
}

TEST_F(ProtocolJournal_, ClearingKeepsTheOldCopyAndStartsANewOne)
{
    memo.appendLine(QStringLiteral("race one"));
    const QString first = journal.currentFile();
    edit.clear();
    EXPECT_EQ(readBytes(first), QByteArray("race one\r\n"));

    memo.appendLine(QStringLiteral("race two"));
    EXPECT_EQ(journal.currentFile(), folder + QStringLiteral("/2009-01-04-14-05-2.txt"));
    EXPECT_EQ(onDisk(), QByteArray("race two\r\n"));
    EXPECT_EQ(readBytes(first), QByteArray("race one\r\n"));

    // A second program started in the same minute takes the next name.
    QPlainTextEdit other;
    ProtocolJournal second(&other, folder, QStringLiteral("2009-01-04-14-05"));
    ProtocolMemo(&other).appendLine(QStringLiteral("other run"));
    EXPECT_EQ(second.currentFile(), folder + QStringLiteral("/2009-01-04-14-05-3.txt"));
}

TEST_F(ProtocolJournal_, AnUnwritableFolderDoesNotDisturbTheRace)
{
    const QString blocker = dir.filePath(QStringLiteral("file"));
    writeBytes(blocker, "x");
    QPlainTextEdit other;
    ProtocolJournal broken(&other, blocker + QStringLiteral("/sub"), QStringLiteral("s"));
    ProtocolMemo(&other).appendLine(QStringLiteral("line"));
    EXPECT_FALSE(broken.lastError().isEmpty());
    EXPECT_EQ(ProtocolMemo(&other).text(), QStringLiteral("line\n"));
}

// The disk runs full in the middle of a race. The copy must never lose what
// it held (neither an append cut short nor a rewrite may shorten it), the
// failure is told once, not for every line, and once there is room again the
// next change brings the copy back in full and says so.
TEST_F(ProtocolJournal_, FullDiskNeverShortensTheCopyAndIsToldOnceUntilThereIsRoom)
{
    for (int i = 1; i <= 20; ++i)
        memo.appendLine(QStringLiteral("A    Lap:     1.05,43  %1.").arg(i));
    const qint64 room = onDisk().size() + 40;

    const QString report = runOnFullDisk(room, [&] {
        QStringList said;
        QObject::connect(&journal, &ProtocolJournal::writingFailed, [&](const QString& reason) {
            said << QStringLiteral("failed: ") + reason;
        });
        QObject::connect(&journal, &ProtocolJournal::writingRecovered,
                         [&] { said << QStringLiteral("recovered"); });
        QByteArray held = onDisk();
        const auto change = [&](const QString& what, const std::function<void()>& step) {
            step();
            const QByteArray now = onDisk();
            if (!now.startsWith(held) && now != memo.fileBytes())
                said << QStringLiteral("lost what it held: ") + what;
            held = now == memo.fileBytes() ? now : held;
        };
        change(QStringLiteral("append that fits"),
               [&] { memo.appendLine(QStringLiteral("A    Lap:     1.05,43  21.")); });
        change(QStringLiteral("append beyond"),
               [&] { memo.appendLine(QStringLiteral("A    Lap:     1.05,43  22.")); });
        change(QStringLiteral("next append"),
               [&] { memo.appendLine(QStringLiteral("A    Lap:     1.05,43  23.")); });
        change(QStringLiteral("rewrite"),
               [&] { memo.replaceLine(0, QStringLiteral("     Nr.: 7")); });
        makeRoomOnDisk();
        change(QStringLiteral("line with room"),
               [&] { memo.appendLine(QStringLiteral("A  Stopp:     3.16,50")); });
        said << (onDisk() == memo.fileBytes() ? QStringLiteral("copy complete")
                                              : QStringLiteral("copy differs"));
        return said.join(u'\n');
    });

    EXPECT_EQ(report.toStdString(),
              "failed: " + std::string(std::strerror(EFBIG)) + "\nrecovered\ncopy complete");
}
