#include "protocol/ProtocolText.h"
#include "protocol/ProtocolMemo.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace ProtocolText;

TEST(ProtocolText, EveryByteSurvivesDecodeAndEncode)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(encodeCp1252(decodeCp1252(all)), all);

    EXPECT_EQ(decodeCp1252("\x80\x84\x96\xE4\xDF\x9F"), QStringLiteral("€„–äßŸ"));
    EXPECT_EQ(encodeCp1252(u"€ „Start“ – Müller"), QByteArray("\x80 \x84Start\x93 \x96 M\xFCller"));
}

TEST(ProtocolText, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach)
{
    // U+0100, a CJK character, and a pair of surrogates (one character).
    EXPECT_EQ(encodeCp1252(u"a\u0100b\u4E2Dc\U0001F600d"), QByteArray("a?b?c?d"));
    EXPECT_EQ(toFileBytes(u"\U0001F600\n"), QByteArray("?\r\n"));
}

TEST(ProtocolText, FileBytesNormaliseEveryBreakAndStopAtNul)
{
    EXPECT_EQ(fromFileBytes("a\r\nb\rc\nd"), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(fromFileBytes("\r\r\n\n"), QStringLiteral("\n\n\n"));
    EXPECT_EQ(fromFileBytes(QByteArray("Nr.: 1\r\nH\0rest\r\n", 17)), QStringLiteral("Nr.: 1\nH"));
    EXPECT_EQ(toFileBytes(u"a\nb\n"), QByteArray("a\r\nb\r\n"));
}

TEST(ProtocolText, LinesBehaveLikeAMemo)
{
    EXPECT_EQ(lineCount(u""), 0);
    EXPECT_EQ(lineCount(u"\n"), 1);
    EXPECT_EQ(lineCount(u"a"), 1);
    EXPECT_EQ(lineCount(u"a\n"), 1);
    EXPECT_EQ(lineCount(u"a\n\nb"), 3);
    EXPECT_EQ(line(u"a\n\nb", 2), QStringLiteral("b"));
    EXPECT_EQ(line(u"a\n", 1), QString());

    QString text;
    appendLine(text, u"Nr.: 1");
    EXPECT_EQ(text, QStringLiteral("Nr.: 1\n"));
    text = QStringLiteral("loaded"); // a file without a final break
    appendLine(text, u"");
    EXPECT_EQ(text, QStringLiteral("loaded\n\n"));

    replaceLine(text, 0, u"Nr.: 2");
    EXPECT_EQ(text, QStringLiteral("Nr.: 2\n\n"));
    replaceLine(text, 2, u"past the end");
    replaceLine(text, -1, u"before the start");
    EXPECT_EQ(text, QStringLiteral("Nr.: 2\n\n"));
}

// The text area must hold exactly what the pure model holds after any mix of
// operations, or saved files would differ from what the operator saw.
TEST(ProtocolText, TextAreaMirrorsThePureModel)
{
    const QStringList samples = {QStringLiteral("     Nr.: 17"),
                                 QStringLiteral("H  Start: 00:00.00,00  14:05.03,07"),
                                 QString(),
                                 QStringLiteral("Müller\u00A0€ <b>&"),
                                 QStringLiteral("two\r\nlines"),
                                 QStringLiteral("\u0081hole")};
    QRandomGenerator random(4711);
    for (int round = 0; round < 30; ++round) {
        QPlainTextEdit edit;
        ProtocolMemo memo(&edit);
        QString model;
        for (int step = 0; step < 40; ++step) {
            const QString sample = samples[random.bounded(static_cast<int>(samples.size()))];
            switch (random.bounded(8)) {
            case 0:
                model = normaliseBreaks(sample);
                memo.setText(sample);
                break;
            case 1:
            case 2: {
                const int index = random.bounded(lineCount(model) + 2) - 1;
                replaceLine(model, index, sample);
                memo.replaceLine(index, sample);
                break;
            }
            default:
                appendLine(model, sample);
                memo.appendLine(sample);
            }
            ASSERT_EQ(memo.text(), model) << "round " << round << " step " << step;
            ASSERT_EQ(memo.lineCount(), lineCount(model));
            for (int i = -1; i <= lineCount(model); ++i)
                ASSERT_EQ(memo.line(i), line(model, i));
        }
    }
}

TEST(ProtocolText, AppendedLineIsShownAtTheEnd)
{
    QPlainTextEdit edit;
    ProtocolMemo memo(&edit);
    for (int i = 0; i < 5; ++i)
        memo.appendLine(QStringLiteral("line %1").arg(i));
    EXPECT_TRUE(edit.textCursor().atEnd());
    EXPECT_EQ(memo.fileBytes(), QByteArray("line 0\r\nline 1\r\nline 2\r\nline 3\r\nline 4\r\n"));
}
