#include "support/TestSupport.h"

#include "controls/ToColorCombo.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr ToColorCombo::ToColorSet PureAndUser =
    ToColorCombo::bit(ToColorCombo::clrPure) | ToColorCombo::bit(ToColorCombo::clrUser);

// A combo as the settings dialog has them: pure colours, a user entry, no
// names.
struct DialogCombo
{
    ToColorCombo combo;
    QSignalSpy changes{&combo, &ToColorCombo::OnChange};

    DialogCombo()
    {
        combo.setColorSet(PureAndUser);
        combo.setDrawColorName(false);
        changes.clear();
    }
};

QImage drawEntry(const ToColorCombo& combo, int index, QSize size = {120, 16})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    combo.DrawItem(&painter, index, image.rect(), false);
    return image;
}

} // namespace

TEST(ColorCombo, GroupsBuildTheListInOrderWithTheUserEntryLast)
{
    ToColorCombo plain;
    ASSERT_EQ(plain.count(), 16 + 21);
    EXPECT_EQ(plain.itemText(16), "ScrollBar");
    EXPECT_EQ(plain.itemColor(16 + 15), 0xFF00000Fu) << "BtnFace names system colour 15";

    DialogCombo d;
    ASSERT_EQ(d.combo.count(), 17);
    EXPECT_EQ(d.combo.itemText(9), "Red");
    EXPECT_EQ(d.combo.itemColor(9), 0x0000FFu);
    EXPECT_EQ(d.combo.itemText(16), "Other...");
    EXPECT_EQ(d.combo.ColorUser(), 0xFFFFFFu);

    d.combo.setColorSet(0);
    ASSERT_EQ(d.combo.count(), 1);
    EXPECT_EQ(d.combo.itemText(0), "Other...");
    EXPECT_EQ(d.combo.ColorSet(), ToColorCombo::bit(ToColorCombo::clrUser));
}

TEST(ColorCombo, WritingAColourSelectsTheFirstMatchOrTheUserEntry)
{
    DialogCombo d;
    d.combo.setColorValue(0xFFFFFF);
    EXPECT_EQ(d.combo.currentText(), "White");
    EXPECT_FALSE(d.combo.IsUserColorSelected());
    EXPECT_EQ(d.changes.count(), 1);

    d.combo.setColorValue(0xFFFFFF);
    EXPECT_EQ(d.changes.count(), 1) << "an equal write changes nothing";

    d.combo.setColorValue(0x123456);
    EXPECT_TRUE(d.combo.IsUserColorSelected());
    EXPECT_EQ(d.combo.ColorValue(), 0x123456u);
    EXPECT_EQ(d.combo.ColorUser(), 0x123456u);
    EXPECT_EQ(d.changes.count(), 2);
    // The swatch shows it: 0x00BBGGRR is red 0x56, green 0x34, blue 0x12.
    EXPECT_EQ(drawEntry(d.combo, 16).pixel(60, 8), qRgb(0x56, 0x34, 0x12));

    // Putting a listed colour into the user entry selects it in the list.
    d.combo.setColorUser(0x0000FF);
    EXPECT_EQ(d.combo.currentText(), "Red");
    EXPECT_EQ(d.combo.ColorUser(), 0x123456u);
}

TEST(ColorCombo, WithoutUserEntryAnUnlistedColourIsIgnored)
{
    ToColorCombo combo;
    combo.setColorValue(0x008000);
    QSignalSpy changes(&combo, &ToColorCombo::OnChange);
    combo.setColorValue(0x123456);
    combo.setColorUser(0x654321);
    EXPECT_EQ(combo.ColorValue(), 0x008000u);
    EXPECT_EQ(combo.currentText(), "Green");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(combo.IsUserColorSelected());
}

TEST(ColorCombo, BlackIntoTheUserEntryOfABlackComboChangesNothing)
{
    DialogCombo d;
    d.combo.setColorUser(0x000000);
    EXPECT_EQ(d.changes.count(), 0);
    EXPECT_EQ(d.combo.ColorUser(), 0xFFFFFFu);
    EXPECT_EQ(d.combo.currentText(), "Black");
}

TEST(ColorCombo, ChoosingByKeyRaisesClickThenChange)
{
    DialogCombo d;
    QStringList order;
    QObject::connect(&d.combo, &ToColorCombo::OnClick, [&] { order << "click"; });
    QObject::connect(&d.combo, &ToColorCombo::OnChange,
                     [&] { order << QString::number(d.combo.ColorValue(), 16); });
    d.combo.show();
    QTest::keyClick(&d.combo, Qt::Key_Down);
    EXPECT_EQ(order, (QStringList{"click", "80"})) << "Maroon is 0x000080";

    d.combo.setCurrentIndex(15);
    order.clear();
    QTest::keyClick(&d.combo, Qt::Key_Down);
    EXPECT_TRUE(d.combo.IsUserColorSelected());
    EXPECT_EQ(order, (QStringList{"click", "ffffff"}));
}

TEST(ColorCombo, EntriesAreFramedSwatchesWithOptionalNames)
{
    DialogCombo d;
    const QRgb background = colorFromRef(ColorRef::Window).rgb();
    const QImage noName = drawEntry(d.combo, 9);
    EXPECT_EQ(noName.pixel(1, 8), background);
    EXPECT_EQ(noName.pixel(2, 8), qRgb(0, 0, 0)) << "frame";
    EXPECT_EQ(noName.pixel(3, 8), qRgb(255, 0, 0)) << "Red";
    EXPECT_EQ(noName.pixel(116, 8), qRgb(255, 0, 0));
    EXPECT_EQ(noName.pixel(117, 8), qRgb(0, 0, 0)) << "2 pixels in from the right";
    EXPECT_EQ(noName.pixel(118, 8), background);
    EXPECT_EQ(noName.pixel(60, 2), qRgb(0, 0, 0));
    EXPECT_EQ(noName.pixel(60, 13), qRgb(0, 0, 0));

    d.combo.setDrawColorName(true);
    const QImage named = drawEntry(d.combo, 9);
    EXPECT_EQ(named.pixel(22, 8), qRgb(255, 0, 0));
    EXPECT_EQ(named.pixel(23, 8), qRgb(0, 0, 0)) << "swatch ends 24 pixels in";
    int ink = 0;
    for (int x = 28; x < 120; ++x)
        for (int y = 0; y < 16; ++y)
            ink += named.pixel(x, y) != background;
    EXPECT_GT(ink, 10) << "the name is drawn from x = 28";

    ToColorCombo system;
    EXPECT_EQ(drawEntry(system, 16 + 15).pixel(10, 8), colorFromRef(ColorRef::BtnFace).rgb());
}

TEST(ColorCombo, ItemHeightFollowsTheFont)
{
    ToColorCombo combo;
    QFont font = combo.font();
    font.setPixelSize(40);
    combo.setFont(font);
    const int charHeight = QFontMetrics(font).height();
    EXPECT_EQ(combo.ItemHeight(), (charHeight * 12 + 5) / 10);
    font.setPixelSize(2);
    combo.setFont(font);
    EXPECT_EQ(combo.ItemHeight(), 10);
}
