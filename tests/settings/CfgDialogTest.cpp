#include "support/TestSupport.h"

#include "controls/TSpinEdit.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/ToColorCombo.h"
#include "settings/LockoutConversion.h"
#include "settings/TCfgDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTest>

namespace {

constexpr std::uint32_t ports(std::initializer_list<int> numbers)
{
    std::uint32_t value = 0;
    int highest = 0;
    for (int n : numbers) {
        value |= 1u << (n - 1);
        highest = std::max(highest, n);
    }
    return value | (std::uint32_t(highest) << 16);
}

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& test)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool reddish(QColor c)
{
    return c.alpha() > 0 && c.red() > 150 && c.green() < 80 && c.blue() < 80;
}

// The dialog as the main window fills it for a run without a port, with a
// picker that answers from a script and counts its calls.
struct ShownDialog
{
    TCfgDialog dialog{ports({1, 2, 5})};
    int pickerCalls = 0;
    std::optional<TColor> answer;

    ShownDialog()
    {
        dialog.setColorPicker([this](QWidget*, TColor) {
            ++pickerCalls;
            return answer;
        });
        dialog.cbPort->setCurrentIndex(0);
        dialog.cbAlg->setEnabled(false);
        dialog.seLaps->setEnabled(false);
        dialog.seWait->setEnabled(false);
        dialog.show();
    }

    // Moves a colour combo onto its user entry the way the keyboard does.
    void chooseUserEntry(ToColorCombo* combo)
    {
        combo->setCurrentIndex(combo->count() - 2);
        QTest::keyClick(combo, Qt::Key_Down);
    }
};

} // namespace

TEST(CfgDialog, PortListComesFromTheProbedPorts)
{
    TCfgDialog none(0);
    EXPECT_EQ(items(none.cbPort), QStringList{"Keine"});

    TCfgDialog some(ports({1, 2, 5}));
    EXPECT_EQ(items(some.cbPort), (QStringList{"Keine", "COM1", "COM2", "COM5"}));

    // A garbled value names at most the sixteen ports that have bits.
    TCfgDialog garbled(0xFFFFFFFFu);
    EXPECT_EQ(garbled.cbPort->count(), 17);

    EXPECT_EQ(some.windowTitle(), "Einstellungen");
    EXPECT_EQ(some.size(), QSize(288, 182));
    EXPECT_EQ(items(some.cbDigits), (QStringList{"1/100", "1/10", "1"}));
    EXPECT_EQ(some.cbColorCifra->count(), 17);
    EXPECT_EQ(some.cbColorFon->ColorUser(), 0xFFFFFFu) << "the user entry starts white";
    EXPECT_FALSE(some.cbAlg->isEnabled());
    EXPECT_FALSE(some.seLaps->isEnabled());
    EXPECT_EQ(some.seWait->Alignment(), TCustomFloatEdit::taLeftJustify);
}

TEST(CfgDialog, TabOrderRunsFromTheButtonsThroughTheFieldsToTheColours)
{
    TCfgDialog dialog(ports({1}));
    QList<QWidget*> chain;
    QWidget* w = dialog.OKBtn;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->window() == &dialog)
            chain << w;
        w = w->nextInFocusChain();
    } while (w != dialog.OKBtn && chain.size() < 20);
    const QList<QWidget*> expected{dialog.OKBtn,        dialog.CancelBtn,    dialog.cbLAPType,
                                   dialog.cbDigits,     dialog.cbPort,       dialog.cbAlg,
                                   dialog.seLaps,       dialog.seWait,       dialog.cbColorFon,
                                   dialog.cbColorCifra, dialog.cbColorCifraF};
    EXPECT_EQ(chain, expected);
}

TEST(CfgDialog, OpensWithOkFocused)
{
    ShownDialog d;
    EXPECT_EQ(d.dialog.focusWidget(), d.dialog.OKBtn)
        << "arrow keys right after F2 must not change a setting";
}

TEST(CfgDialog, ChoosingAPortEnablesTheBarrierFields)
{
    ShownDialog d;
    TCfgDialog& dialog = d.dialog;
    EXPECT_TRUE(dialog.cbPort->isEnabled());
    QTest::keyClick(dialog.cbPort, Qt::Key_Down);
    EXPECT_EQ(dialog.cbPort->currentText(), "COM1");
    EXPECT_TRUE(dialog.cbAlg->isEnabled());
    EXPECT_TRUE(dialog.seLaps->isEnabled());
    EXPECT_TRUE(dialog.seWait->isEnabled());

    QTest::keyClick(dialog.cbPort, Qt::Key_Up);
    EXPECT_FALSE(dialog.cbAlg->isEnabled());
    EXPECT_FALSE(dialog.seLaps->isEnabled());
    EXPECT_FALSE(dialog.seWait->isEnabled());
}

TEST(CfgDialog, NegativeAlgorithmLocksThePortListWhenShown)
{
    TCfgDialog dialog(ports({1}));
    int algorithm = -1;
    dialog.setBarrierAlgorithmQuery([&] { return algorithm; });
    dialog.show();
    EXPECT_FALSE(dialog.cbPort->isEnabled());
    dialog.hide();
    algorithm = 1;
    dialog.show();
    EXPECT_TRUE(dialog.cbPort->isEnabled());
}

TEST(CfgDialog, ChoosingAResolutionAsksForAPreview)
{
    ShownDialog d;
    QSignalSpy previews(&d.dialog, &TCfgDialog::PreviewResolution);
    d.dialog.cbDigits->setCurrentIndex(0);
    EXPECT_EQ(previews.count(), 0) << "filling the dialog previews nothing";
    QTest::keyClick(d.dialog.cbDigits, Qt::Key_Down);
    QTest::keyClick(d.dialog.cbDigits, Qt::Key_Down);
    ASSERT_EQ(previews.count(), 2);
    EXPECT_EQ(previews.at(0).at(0).toInt(), 1);
    EXPECT_EQ(previews.at(1).at(0).toInt(), 0);
}

TEST(CfgDialog, UserColourEntryOpensThePickerOnce)
{
    ShownDialog d;
    ToColorCombo* combo = d.dialog.cbColorCifra;

    d.answer = 0x123456;
    d.chooseUserEntry(combo);
    EXPECT_EQ(d.pickerCalls, 1);
    EXPECT_TRUE(combo->IsUserColorSelected());
    EXPECT_EQ(combo->ColorValue(), 0x123456u);
    EXPECT_EQ(combo->ColorUser(), 0x123456u);

    d.answer.reset();
    combo->setColorValue(0x000000);
    d.chooseUserEntry(combo);
    EXPECT_EQ(d.pickerCalls, 2);
    EXPECT_TRUE(combo->IsUserColorSelected()) << "a cancelled picker leaves the entry chosen";
    EXPECT_EQ(combo->ColorValue(), 0x123456u);

    // A listed colour picked for the user entry is selected in the list.
    d.answer = 0x0000FF;
    combo->setColorValue(0x000000);
    d.chooseUserEntry(combo);
    EXPECT_EQ(d.pickerCalls, 3);
    EXPECT_EQ(combo->currentText(), "Red");
}

TEST(CfgDialog, FillingAHiddenDialogNeverOpensThePicker)
{
    TCfgDialog dialog(ports({}));
    int calls = 0;
    dialog.setColorPicker([&](QWidget*, TColor) {
        ++calls;
        return std::optional<TColor>(0x00FF00);
    });
    dialog.cbColorFon->setColorValue(0x654321);
    EXPECT_TRUE(dialog.cbColorFon->IsUserColorSelected());
    EXPECT_EQ(calls, 0);
}

TEST(CfgDialog, LockoutIsSecondsInTheFieldAndMillisecondsInTheProgram)
{
    EXPECT_EQ(LockoutConversion::secondsToMs(2.5), 2500);
    EXPECT_EQ(LockoutConversion::secondsToMs(0.3), 300);
    EXPECT_EQ(LockoutConversion::secondsToMs(600.0), 600000);
    // Exact halves go to the even neighbour.
    EXPECT_EQ(LockoutConversion::secondsToMs(0.0005), 0);
    EXPECT_EQ(LockoutConversion::secondsToMs(0.0015), 2);
    EXPECT_EQ(LockoutConversion::secondsToMs(0.0025), 2);
    EXPECT_EQ(LockoutConversion::secondsToMs(1.0005), 1000);
    EXPECT_EQ(LockoutConversion::secondsToMs(-0.0015), -2);

    TCfgDialog dialog(ports({1}));
    dialog.seWait->setDecimalSeparator(u',');
    dialog.seWait->setValue(LockoutConversion::msToSeconds(1500));
    EXPECT_EQ(dialog.seWait->text(), "1,5");
    dialog.seWait->setText("2,5");
    EXPECT_EQ(LockoutConversion::secondsToMs(dialog.seWait->Value()), 2500);
    // Steps of 0.1 add up to whole milliseconds.
    dialog.seWait->setValue(0.0);
    for (int i = 0; i < 3; ++i)
        dialog.seWait->UpClick();
    EXPECT_EQ(LockoutConversion::secondsToMs(dialog.seWait->Value()), 300);
}

TEST(CfgDialog, AlgorithmPicturesShowClosedAndOpenContactsUnlessDisabled)
{
    TCfgDialog dialog(ports({1}));
    EXPECT_EQ(dialog.Image1.size(), QSize(41, 16));
    EXPECT_EQ(qAlpha(dialog.Image1.pixel(0, 0)), 0) << "transparent background";
    EXPECT_GT(countPixels(dialog.Image1, reddish), 20);
    EXPECT_EQ(countPixels(dialog.Image2, reddish), 0);

    const auto draw = [&](int index, bool disabled) {
        QImage image(65, 13, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        dialog.cbAlgDrawItem(&painter, index, image.rect(), false, disabled);
        return image;
    };
    const QRgb window = colorFromRef(ColorRef::Window).rgb();
    EXPECT_GT(countPixels(draw(0, false), reddish), 20);
    EXPECT_GT(countPixels(draw(1, false), [&](QColor c) { return c.rgb() != window; }), 20);
    EXPECT_EQ(countPixels(draw(0, true), [&](QColor c) { return c.rgb() != window; }), 0);

    dialog.cbAlg->setCurrentIndex(0);
    dialog.cbAlg->setEnabled(true);
    dialog.show();
    EXPECT_GT(countPixels(dialog.cbAlg->grab().toImage(), reddish), 20);
    dialog.cbAlg->setEnabled(false);
    EXPECT_EQ(countPixels(dialog.cbAlg->grab().toImage(), reddish), 0);
}

TEST(CfgDialog, EditsKeepTheirRangesUnderTheArrowKeys)
{
    TCfgDialog dialog(ports({1}));
    dialog.seLaps->setEnabled(true);
    dialog.seWait->setEnabled(true);
    dialog.seWait->setDecimalSeparator(u'.');

    dialog.seLaps->setValue(9998);
    QTest::keyClick(dialog.seLaps, Qt::Key_Up);
    QTest::keyClick(dialog.seLaps, Qt::Key_Up);
    EXPECT_EQ(dialog.seLaps->Value(), 9999);
    dialog.seLaps->setValue(1);
    QTest::keyClick(dialog.seLaps, Qt::Key_Down);
    QTest::keyClick(dialog.seLaps, Qt::Key_Down);
    EXPECT_EQ(dialog.seLaps->Value(), 0);
    dialog.seLaps->clear();
    QTest::keyClicks(dialog.seLaps, QStringLiteral("12345"));
    EXPECT_EQ(dialog.seLaps->text(), QStringLiteral("1234"));

    dialog.seWait->setValue(599.9);
    QTest::keyClick(dialog.seWait, Qt::Key_Up);
    QTest::keyClick(dialog.seWait, Qt::Key_Up);
    EXPECT_EQ(dialog.seWait->text(), QStringLiteral("600.0"));
    dialog.seWait->setValue(0.1);
    QTest::keyClick(dialog.seWait, Qt::Key_Down);
    QTest::keyClick(dialog.seWait, Qt::Key_Down);
    EXPECT_EQ(dialog.seWait->text(), QStringLiteral("0.0"));
}

// The layout is in fixed pixels; what must give is the font, never a text.
TEST(CfgDialog, EveryTextFitsItsPlace)
{
    TCfgDialog dialog(ports({1, 12}));
    dialog.show();
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        const QString text = label->text();
        const int advance = QFontMetrics(label->font()).horizontalAdvance(text);
        EXPECT_LE(advance, label->contentsRect().width()) << text.toStdString();
        if (!(label->alignment() & Qt::AlignRight))
            continue;
        const QWidget* parent = label->parentWidget();
        const int textLeft = label->geometry().right() + 1 - advance;
        if (parent == &dialog) {
            EXPECT_EQ(label->geometry().right() + 1, 93) << text.toStdString();
            EXPECT_GE(textLeft, dialog.OKBtn->x()) << text.toStdString() << " at the edge";
        } else {
            // Inside the colour group: clear of its frame.
            EXPECT_GE(textLeft, parent->contentsRect().left() + 2) << text.toStdString();
        }
    }
    for (const QComboBox* combo : {dialog.cbLAPType, dialog.cbDigits, dialog.cbPort}) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        EXPECT_EQ(combo->width(), 65);
        for (int i = 0; i < combo->count(); ++i)
            EXPECT_LE(QFontMetrics(combo->font()).horizontalAdvance(combo->itemText(i)),
                      field.width() - 2)
                << combo->itemText(i).toStdString();
    }
}

TEST(CfgDialog, ListEntriesShowTheWholePictures)
{
    TCfgDialog dialog(ports({1}));
    // An entry of the list, with room around it to see what spills over.
    // A picture that touches the line's top or bottom row looks cut off.
    const QRect item(0, 4, 65, 13);
    const QRect clear = item.adjusted(0, 1, 0, -1);
    for (int index : {0, 1}) {
        const QImage& picture = index == 0 ? dialog.Image1 : dialog.Image2;
        const int lift = index == 0 ? 1 : 2;
        QImage canvas(65, 21, QImage::Format_ARGB32);
        canvas.fill(Qt::magenta);
        {
            QPainter painter(&canvas);
            dialog.cbAlgDrawItem(&painter, index, item, false, false);
        }
        int opaque = 0, cut = 0, covered = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                if (qAlpha(picture.pixel(x, y)) != 255)
                    continue;
                ++opaque;
                const QPoint at(item.left() + x, item.top() - lift + y);
                if (!clear.contains(at))
                    ++cut;
                else if (canvas.pixel(at) != picture.pixel(x, y))
                    ++covered;
            }
        EXPECT_EQ(cut, 0) << "entry " << index << " reaches the edge of its line";
        EXPECT_EQ(covered, 0) << "entry " << index;
        EXPECT_GT(opaque, 40);
    }
}
