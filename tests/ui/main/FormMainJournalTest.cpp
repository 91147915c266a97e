// The crash copy of the protocol as the operator sees it: a copy that cannot
// be written is told in the window, without stopping the race.

#include "FormMainFixture.h"

#include <QMessageBox>
#include <QPointer>

using FormMainJournal = FormMainFixture;

TEST_F(FormMainJournal, AnUnwritableCrashCopyIsToldOnceUntilItIsWrittenAgain)
{
    // The copies' folder is taken by a regular file: nothing can be created
    // in it, whatever rights the test runs with.
    const QString journal = dir.filePath(QStringLiteral("journal"));
    QFile blocker(journal);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    create();
    EXPECT_EQ(form->journalNotice(), nullptr);

    press(Qt::Key_F5);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form->journalNotice() && form->journalNotice()->isVisible(); }, 10000));
    const QPointer<QWidget> notice = form->journalNotice();
    auto* box = qobject_cast<QMessageBox*>(notice.data());
    ASSERT_NE(box, nullptr);
    const QString prefix =
        QStringLiteral("Sicherungskopie des Protokolls kann nicht geschrieben werden: ");
    EXPECT_TRUE(box->text().startsWith(prefix)) << box->text().toStdString();
    EXPECT_GT(box->text().size(), prefix.size()) << "the reason is missing";
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The race goes on from the keyboard; the next failing line adds no
    // second notice.
    const auto linesBefore = lines().size();
    advanceMs(1'000);
    press(Qt::Key_F4);
    EXPECT_GT(lines().size(), linesBefore);
    EXPECT_EQ(form->findChildren<QMessageBox*>().size(), 1);
    EXPECT_EQ(form->journalNotice(), notice.data());

    // Room again: the next line writes the whole protocol and the notice goes.
    ASSERT_TRUE(QFile::remove(journal));
    advanceMs(1'000);
    press(Qt::Key_F9);
    EXPECT_FALSE(form->ui().Clock->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice.isNull() || !notice->isVisible(); }, 10000));
    const QStringList copies = QDir(journal).entryList(QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    QFile copy(QDir(journal).filePath(copies[0]));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), form->protocol().memo().fileBytes());
}
