#include "help/TFormInfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

namespace {

class TFormInfoTest : public ::testing::Test
{
protected:
    QList<QUrl> opened;
    TFormInfo dlg{nullptr, [this](const QUrl& url) {
                      opened << url;
                      return true;
                  }};

    void openAndActivate()
    {
        dlg.open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    }
};

TEST_F(TFormInfoTest, ShowsNameVersionAndContactTexts)
{
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Information"));
    EXPECT_EQ(dlg.size(), QSize(256, 371));
    EXPECT_EQ(dlg.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowSystemMenuHint);

    EXPECT_EQ(dlg.Label1->text(), QStringLiteral("Kelvatron"));
    EXPECT_TRUE(dlg.Label1->font().bold());
    EXPECT_TRUE(dlg.Label1->font().underline());
    EXPECT_EQ(dlg.Label1->font().pixelSize(), 17);
    EXPECT_EQ(dlg.Label1->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_EQ(dlg.LabelVer->text(), QStringLiteral("Version 3.0 (4.01.2009)"));
    EXPECT_EQ(dlg.Lab->text(), QStringLiteral("Lob und Kritik, Verbesserungsvorschläge,\n"
                                              "Fragen und Bestellungen bitte schriftlich über"));
    EXPECT_EQ(dlg.sOK->text(), QStringLiteral("Einverstanden"));
    EXPECT_EQ(dlg.sOK->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(dlg.Memo1->isReadOnly());
    EXPECT_FALSE(dlg.Memo1->toPlainText().isEmpty());
    EXPECT_EQ(dlg.Memo1->focusPolicy() & Qt::TabFocus, 0) << "Tab skips the notice";

    // The texts fit their fixed boxes: nothing elided, no third line.
    EXPECT_LE(dlg.sOK->sizeHint().width(), dlg.sOK->width());
    EXPECT_LE(dlg.Lab->heightForWidth(dlg.Lab->width()), dlg.Lab->height());

    EXPECT_EQ(dlg.Image1->pixmap().size(), QSize(238, 65));
    EXPECT_EQ(dlg.ImageICON->pixmap().size(), QSize(32, 32));
    EXPECT_TRUE(TFormInfo::contactPage().host().endsWith(QStringLiteral(".example")));
    EXPECT_TRUE(dlg.Label2->text().contains(TFormInfo::contactPage().host()));
}

TEST_F(TFormInfoTest, LogoAndLinkOpenTheContactPage)
{
    openAndActivate();
    QTest::mouseClick(dlg.Label2, Qt::LeftButton);
    QTest::mouseClick(dlg.Image1, Qt::RightButton);
    QTest::mouseClick(dlg.Image1, Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>({TFormInfo::contactPage(), TFormInfo::contactPage()}));
    EXPECT_TRUE(dlg.isVisible()) << "opening the page leaves the dialog open";
    dlg.reject();
}

TEST_F(TFormInfoTest, EscClosesUnlessTheNoticeHasTheFocus)
{
    openAndActivate();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());

    openAndActivate();
    QTest::mouseClick(dlg.Memo1->viewport(), Qt::LeftButton);
    ASSERT_TRUE(dlg.Memo1->hasFocus());
    QTest::keyClick(dlg.Memo1, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());

    QTest::mouseClick(dlg.sOK, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace
