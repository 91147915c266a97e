// The start number field takes only what the protocol files can hold.

#include "FormMainFixture.h"

#include <QClipboard>
#include <QLineEdit>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class FormMainStartName : public FormMainFixture
{
protected:
    // Characters as a keyboard layout produces them, one key each.
    void type(const QString& text)
    {
        for (const char32_t c : text.toUcs4())
            QTest::sendKeyEvent(QTest::Click, form->ui().editStartN, Qt::Key_unknown,
                                QString::fromUcs4(&c, 1), Qt::NoModifier);
    }

    void paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        press(Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_F(FormMainStartName, CharactersTheFilesCannotHoldAreRefusedWithABeep)
{
    create();
    QTest::mouseClick(form->ui().editStartN, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), form->ui().editStartN);
    press(Qt::Key_Backspace);
    type(QStringLiteral("Jürgen €"));
    EXPECT_EQ(beeps, 0);

    type(QStringLiteral("ł"));
    EXPECT_EQ(beeps, 1);
    type(QStringLiteral("\U0001F3CE")); // a racing car, beyond the basic plane
    EXPECT_EQ(beeps, 2);
    paste(QStringLiteral("Łódź"));
    EXPECT_EQ(beeps, 3) << "a paste with one bad character is refused whole";
    EXPECT_EQ(form->ui().editStartN->text(), QStringLiteral("Jürgen €"));
    paste(QStringLiteral(" Zoë"));
    EXPECT_EQ(beeps, 3);
    ASSERT_EQ(form->ui().editStartN->text(), QStringLiteral("Jürgen € Zoë"));

    press(Qt::Key_F5);
    advanceMs(500);
    press(Qt::Key_F9);
    EXPECT_EQ(lines().value(0), QStringLiteral("     Nr.: Jürgen € Zoë"));
    destroy();
    EXPECT_TRUE(readFile(workingFolder() + QStringLiteral("/Kelvatron.txt"))
                    .startsWith("     Nr.: J\xFCrgen \x80 Zo\xEB\r\n"))
        << "shown and written alike";
}
