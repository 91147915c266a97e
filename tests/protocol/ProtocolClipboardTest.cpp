// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProtocolFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

// While a large file is still being built into its document, the area shows
// the protocol from before it. "Alles markieren" and "Kopieren" give the
// loaded protocol with the lines added since, whole, and once it is shown,
// that is what is selected.
TEST(ProtocolClipboard, CopyDuringABackgroundLoadTakesTheLoadedProtocol)
{
    ProtocolWindow w;
    ProtocolServices s = w.services();
    s.backgroundLoadBytes = 0;
    auto c = w.make(s);
    c->memo().setText(QStringLiteral("old race\n"));
    const QString file = c->resolve(QStringLiteral("season.txt"));
    writeBytes(file, "     Nr.: 1\r\nH  Start: 00:00.00,00  14:05.03,07\r\n");
    ASSERT_TRUE(c->loadTextFile(file));
    ASSERT_TRUE(c->memo().isLoading());
    c->memo().appendLine(QStringLiteral("A  Stopp:     3.16,50  14:08.19,57"));
    const QString loaded = QStringLiteral("     Nr.: 1\nH  Start: 00:00.00,00  14:05.03,07\n"
                                          "A  Stopp:     3.16,50  14:08.19,57\n");

    w.Selectall1.trigger();
    c->PopupMenuProtokolPopup();
    ASSERT_TRUE(w.CopytoClipboard1.isEnabled());
    w.CopytoClipboard1.trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), loaded.toStdString());

    ASSERT_TRUE(QTest::qWaitFor([&] { return c->memo().isSettled(); }, 60000));
    EXPECT_EQ(
        w.memo.textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n').toStdString(),
        loaded.toStdString());
}
