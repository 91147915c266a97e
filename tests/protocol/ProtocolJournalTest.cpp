#include "ProtocolFixture.h"

#include "protocol/AtomicFile.h"
#include "protocol/JournalTail.h"
#include "protocol/ProtocolJournal.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolText.h"
#include "support/FullDisk.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

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
            else if (now != held && now != memo.fileBytes())
                said << QStringLiteral("kept part of a line: ") + what;
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

// ---- large copies: only the end is rewritten ---------------------------------

namespace {

struct LargeJournal : ProtocolJournal_
{
    void SetUp() override
    {
        QString text;
        for (int i = 0; i < 3000; ++i)
            text += QStringLiteral("A    Lap:     1.05,43  %1.\n").arg(i);
        memo.setText(text);
        ASSERT_GT(onDisk().size(), 80000);
    }

    ino_t inode() const
    {
        struct stat info
        {
        };
        ::stat(QFile::encodeName(journal.currentFile()).constData(), &info);
        return info.st_ino;
    }

    // Replacements of the copy's end still waiting to be completed.
    QStringList records() const
    {
        QStringList pending;
        const QDir dir(folder);
        for (const QFileInfo& record :
             dir.entryInfoList({QStringLiteral("*.tail")}, QDir::Files | QDir::Hidden)) {
            if (record.size() > 0)
                pending << record.fileName();
        }
        return pending;
    }
};

} // namespace

// A replaced line near the end rewrites the copy in place from that line on
// (the file stays the same file), and the copy equals the protocol after
// lines that grow, shrink, move the breaks, and after characters that take
// one byte for two or two bytes for one.
TEST_F(LargeJournal, ChangeNearTheEndRewritesTheCopyFromThereAndKeepsItEqual)
{
    const ino_t file = inode();
    const auto check = [&](const char* what, bool inPlace = true) {
        EXPECT_EQ(onDisk(), memo.fileBytes()) << what;
        EXPECT_TRUE(records().isEmpty()) << what;
        if (inPlace) {
            EXPECT_EQ(inode(), file) << what << ": the copy was replaced, not rewritten from there";
        }
    };
    memo.replaceLine(2500, QStringLiteral("     Nr.: 17  Müller € and a much longer line"));
    check("longer line in the middle");
    memo.replaceLine(memo.lineCount() - 1, QStringLiteral("H"));
    check("shorter last line");
    memo.replaceLine(2990, QStringLiteral("two\nlines"));
    check("line split in two");
    QTextCursor cursor(edit.document()->findBlockByNumber(2995));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    cursor.insertText(QStringLiteral("x\u00A0"));
    check("two lines joined");

    memo.replaceLine(2998, QStringLiteral("car \U0001F697 and\u2028break"));
    check("a character outside the basic plane", false);
    memo.replaceLine(2999, QStringLiteral("after it"));
    check("change behind it", false);
    memo.appendLine(QStringLiteral("A    Lap:     1.05,43  3000."));
    check("line appended behind it", false);
}

TEST_F(LargeJournal, ClearingALargeCopyKeepsItAndTheNextRaceStartsItsOwn)
{
    memo.replaceLine(2900, QStringLiteral("     Nr.: 9"));
    const QString first = journal.currentFile();
    const QByteArray day = memo.fileBytes();
    edit.clear();
    memo.appendLine(QStringLiteral("     Nr.: 1"));
    EXPECT_EQ(readBytes(first), day);
    EXPECT_EQ(onDisk(), QByteArray("     Nr.: 1\r\n"));
    EXPECT_TRUE(records().isEmpty());
}

// The disk runs full while the new end is written into the copy, which is
// left torn; the next start of the program completes the copy from the
// record that was written first.
TEST_F(LargeJournal, ReplacementCutShortIsCompletedAtTheNextStart)
{
    const int index = memo.lineCount() - 2;
    const QString longer = QStringLiteral("     Nr.: 12  ") + QString(200, u'x');
    QString model = memo.text();
    ProtocolText::replaceLine(model, index, longer);
    const QByteArray expected = ProtocolText::toFileBytes(model);

    const QString report = runOnFullDisk(onDisk().size() + 50, [&] {
        memo.replaceLine(index, longer);
        return QStringLiteral("%1 %2").arg(onDisk() == expected).arg(records().size());
    });
    ASSERT_EQ(report, QStringLiteral("0 1")) << "the copy was not left torn with its record";

    QPlainTextEdit next;
    ProtocolJournal restarted(&next, folder, QStringLiteral("2009-01-04-14-06"));
    EXPECT_EQ(onDisk(), expected);
    EXPECT_TRUE(records().isEmpty());
}

// STOPP mostly writes its "Nr." line back as START wrote it; that is no
// change of the protocol and costs the copy nothing.
TEST_F(LargeJournal, LineWrittenBackUnchangedChangesNothing)
{
    int changes = 0;
    QObject::connect(edit.document(), &QTextDocument::contentsChanged, [&] { ++changes; });
    memo.replaceLine(2990, memo.line(2990));
    EXPECT_EQ(changes, 0);
    memo.replaceLine(2990, memo.line(2990) + QStringLiteral("7"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(onDisk(), memo.fileBytes());
}

// ---- a failing disk, a crash, and what the next start finds ---------------

namespace {

AtomicFile::SystemCalls realCalls = AtomicFile::systemCalls();
int callsBeforeFailure = -1; // never fails while negative
int failedCalls = 0;

bool diskFails()
{
    if (callsBeforeFailure < 0 || callsBeforeFailure-- > 0)
        return false;
    callsBeforeFailure = 0;
    ++failedCalls;
    return true;
}

// From a given write, truncation or sync on, every one of them fails as on a
// dying disk; a failing write leaves some of its bytes behind.
struct FailingDisk
{
    FailingDisk()
    {
        AtomicFile::systemCalls() = {
            [](int handle, const char* data, qint64 size, qint64 offset) -> qint64 {
                if (!diskFails())
                    return realCalls.writeAt(handle, data, size, offset);
                realCalls.writeAt(handle, data, size / 2, offset);
                errno = EIO;
                return -1;
            },
            [](int handle, qint64 size) {
                errno = EIO;
                return diskFails() ? -1 : realCalls.truncate(handle, size);
            },
            [](int handle) {
                errno = EIO;
                return diskFails() ? -1 : realCalls.sync(handle);
            }};
    }
    ~FailingDisk() { AtomicFile::systemCalls() = realCalls; }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;

    void failFrom(int call)
    {
        callsBeforeFailure = call;
        failedCalls = 0;
    }
    void heal() { callsBeforeFailure = -1; }
};

} // namespace

// STOPP (its stop line appended, its "Nr." line rewritten in place near the
// end) on a disk that fails at its first, second, ... write, truncation or
// sync. Unless the copy is complete, the operator is told. Once the disk
// works again the copy catches up, also through a change that shifts every
// byte; then the program is killed. The next start must find every line: no
// record left over from the failure may cut off or overwrite what came after.
TEST_F(LargeJournal, DiskFailingAtAnyStepIsToldAndNoLineIsLostAtTheNextStart)
{
    const QString text = memo.text();
    FailingDisk disk;
    int failingSteps = 0;
    for (int step = 0; step < 100; ++step) {
        const QString where = dir.filePath(QStringLiteral("step%1").arg(step));
        const QString expected = where + QStringLiteral(".expected");
        // In a child that ends without cleaning up, as when it is killed:
        // what it makes is never destroyed.
        const QString report = runOnFullDisk(qint64(1) << 40, [&] {
            auto* area = new QPlainTextEdit;
            ProtocolMemo& race = *new ProtocolMemo(area);
            ProtocolJournal& copy = *new ProtocolJournal(area, where, QStringLiteral("run"));
            race.setText(text);
            bool told = false;
            QObject::connect(&copy, &ProtocolJournal::writingFailed, [&] { told = true; });
            disk.failFrom(step);
            race.appendLine(QStringLiteral("H  Stopp:     3.16,50  14:08.19,57"));
            race.replaceLine(2995, QStringLiteral("     Nr.: 12  Müller"));
            disk.heal();
            if (failedCalls == 0)
                return QStringLiteral("done");
            if (!told && readBytes(copy.currentFile()) != race.fileBytes())
                return QStringLiteral("copy incomplete and nothing said");
            race.replaceLine(0, QStringLiteral("     Nr.: 1  a name that shifts every byte"));
            race.appendLine(QStringLiteral("A    Lap:     1.05,43  1."));
            writeBytes(expected, race.fileBytes());
            return readBytes(copy.currentFile()) == race.fileBytes()
                       ? QStringLiteral("caught up")
                       : QStringLiteral("copy not caught up");
        });
        if (report == QStringLiteral("done"))
            break;
        ASSERT_EQ(report, QStringLiteral("caught up")) << "failing from call " << step;
        ++failingSteps;
        QPlainTextEdit area;
        ProtocolJournal restarted(&area, where, QStringLiteral("next"));
        EXPECT_TRUE(readBytes(where + QStringLiteral("/run.txt")) == readBytes(expected))
            << "failing from call " << step;
        EXPECT_EQ(QDir(where).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString(),
                  "run.txt")
            << "failing from call " << step;
    }
    EXPECT_GE(failingSteps, 9); // record, copy, and record removed: each written and synced
}

namespace {

bool present(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// As an earlier version wrote them: its checksum covers the bytes only.
QByteArray olderRecord(qint64 offset, const QByteArray& bytes)
{
    return "Kelvatron tail " + QByteArray::number(offset) + ' ' + QByteArray::number(bytes.size()) +
           ' ' + QByteArray::number(qChecksum(bytes)) + '\n' + bytes;
}

} // namespace

// What a start finds beside a copy is applied only when it is sound and lies
// inside the copy. A record whose bytes are in place already is done with,
// even with lines behind it. Anything else is kept for a human under a name
// that says so and the copy stays as it is; a start neither waits for a
// pipe nor reads more than the copy could need.
TEST(JournalRecords, OnlyASoundRecordInsideTheCopyIsAppliedTheRestIsSetAside)
{
    QTemporaryDir dir;
    QByteArray day;
    for (int i = 0; i < 3000; ++i)
        day += "A    Lap:     1.05,43  " + QByteArray::number(i) + ".\r\n";
    const qint64 offset = day.indexOf("A    Lap:     1.05,43  2990.");
    const QByteArray newEnd = "     Nr.: 12\r\n";
    const QByteArray replaced = day.left(offset) + newEnd;
    FailingDisk disk;
    // A record as this program leaves it when the disk fails at a call.
    const auto recordFailingAt = [&](const QString& copy, int call) {
        JournalTail tail(copy);
        disk.failFrom(call);
        tail.replace(offset, newEnd);
        disk.heal();
    };
    const auto edit = [](const QString& path, const QByteArray& from, const QByteArray& to) {
        writeBytes(path, readBytes(path).replace(from, to));
    };
    struct Case
    {
        const char* what;
        std::function<void(const QString& copy, const QString& record)> prepare;
        QByteArray copyAfter;
        bool setAside;
    };
    const std::vector<Case> cases = {
        {"an earlier version's record of a torn copy",
         [&](const QString& copy, const QString& record) {
             writeBytes(copy, day.left(offset) + "     N");
             writeBytes(record, olderRecord(offset, newEnd));
         },
         replaced, false},
        {"a record whose bytes are in place, lines appended since",
         [&](const QString& copy, const QString&) {
             recordFailingAt(copy, 6); // emptying the record fails
             writeBytes(copy, replaced + "A    Lap:     1.05,43  1.\r\n");
         },
         replaced + "A    Lap:     1.05,43  1.\r\n", false},
        {"an earlier version's record in place",
         [&](const QString&, const QString& record) {
             writeBytes(record, olderRecord(offset, day.mid(offset, 60)));
         },
         day, false},
        {"a record with its offset changed",
         [&](const QString& copy, const QString& record) {
             recordFailingAt(copy, 3); // the copy is not touched
             edit(record, ' ' + QByteArray::number(offset) + ' ', " 0 ");
         },
         day, true},
        {"an earlier version's record pointing at the start",
         [&](const QString&, const QString& record) { writeBytes(record, olderRecord(0, newEnd)); },
         day, true},
        {"a record pointing past the end of the copy",
         [&](const QString& copy, const QString&) {
             recordFailingAt(copy, 3);
             writeBytes(copy, day.left(offset - 100));
         },
         day.left(offset - 100), true},
        {"a link to a pipe",
         [&](const QString&, const QString& record) {
             const QString pipe = dir.filePath(QStringLiteral("pipe"));
             ::mkfifo(QFile::encodeName(pipe).constData(), 0644);
             QFile::link(pipe, record);
         },
         day, true},
        {"a link to an endless device",
         [&](const QString&, const QString& record) {
             QFile::link(QStringLiteral("/dev/zero"), record);
         },
         day, true},
        {"a record larger than the copy",
         [&](const QString&, const QString& record) {
             QFile file(record);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(olderRecord(offset, newEnd));
             file.resize(day.size() + 1000000);
         },
         day, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString folder = dir.filePath(QString::number(++n));
        QDir().mkpath(folder);
        const QString copy = folder + QStringLiteral("/2009-01-04-14-05.txt");
        const QString record = JournalTail::recordPath(copy);
        writeBytes(copy, day);
        c.prepare(copy, record);
        QPlainTextEdit area;
        ProtocolJournal started(&area, folder, QStringLiteral("2009-01-04-15-00"));
        EXPECT_TRUE(readBytes(copy) == c.copyAfter) << c.what;
        EXPECT_FALSE(present(record)) << c.what;
        EXPECT_EQ(present(record + QStringLiteral(".not-applied")), c.setAside) << c.what;
    }
}
