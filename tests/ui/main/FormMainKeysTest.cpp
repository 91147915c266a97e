// The window's short-cuts, pressed as the operator presses them.

#include "FormMainFixture.h"

#include "help/TFormInfo.h"

#include <QToolButton>

using FormMainKeys = FormMainFixture;

TEST_F(FormMainKeys, ProtocolKeysReachSaveClearAndOpen)
{
    create();
    press(Qt::Key_F5);
    advanceMs(1'230);
    press(Qt::Key_F9);
    const QStringList raced = lines();
    ASSERT_EQ(raced.size(), 3);

    saveAs = dir.filePath(QStringLiteral("lauf.txt"));
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QFile::exists(*saveAs));

    protocolAnswer = true;
    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(protocolQuestions, QStringList{QStringLiteral("Zeitenprotokoll  löschen?")});
    EXPECT_TRUE(lines().isEmpty());

    openName = saveAs;
    press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(lines(), raced);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(FormMainKeys, F3ShowsTheInformationAndF7AsksForThePrinter)
{
    create();
    auto* info = new TFormInfo(form.get());
    form->setDialogs(yesNo, info);
    bool shown = false;
    QTimer::singleShot(0, info, [&] {
        shown = info->isVisible();
        QTest::mouseClick(info->sOK, Qt::LeftButton);
    });
    press(Qt::Key_F3);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(info->isVisible());

    press(Qt::Key_F7);
    EXPECT_EQ(printerSetups, 1);
}

TEST_F(FormMainKeys, AltBAsksBeforeItCloses)
{
    create();
    press(Qt::Key_F5);
    answerYesNo(false);
    press(Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(yesNo->question(), QStringLiteral("Beenden?"));
    EXPECT_TRUE(form->isVisible()) << "Nein keeps the window";

    answerYesNo(true);
    press(Qt::Key_B, Qt::AltModifier);
    EXPECT_FALSE(form->isVisible());
}
