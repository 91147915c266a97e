#include "help/Pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>

namespace {

QImage load(const char* path, QByteArray* format = nullptr)
{
    Pictures::ensureLoaded();
    QImageReader reader{QString::fromLatin1(path)};
    if (format) {
        *format = reader.format();
    }
    return reader.read();
}

TEST(Pictures, JpegPicturesAreDecodedByTheJpegPlugin)
{
    const struct
    {
        const char* path;
        QSize size;
    } jpegs[] = {{Pictures::Logo, {238, 65}}, {Pictures::Flag, {28, 21}}};
    for (const auto& jpeg : jpegs) {
        SCOPED_TRACE(jpeg.path);
        QByteArray format;
        const QImage img = load(jpeg.path, &format);
        ASSERT_FALSE(img.isNull()) << "is Qt's JPEG plugin installed?";
        EXPECT_EQ(format, "jpeg");
        EXPECT_EQ(img.size(), jpeg.size);
    }
}

TEST(Pictures, IconsHaveTheirSizesAndTransparency)
{
    const struct
    {
        const char* path;
        QSize size;
    } icons[] = {
        {Pictures::Icon32, {32, 32}}, {Pictures::Icon64, {64, 64}}, {Pictures::Question, {32, 32}}};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.path);
        const QImage img = load(icon.path);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), icon.size);
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << "the corner shows the background";
    }
    EXPECT_FALSE(Pictures::applicationIcon().isNull());
}

// The speed buttons take each image's bottom-left pixel as the transparent
// colour, so it must be clear in both halves, and the two halves must differ.
// Pixmaps hold their pixels premultiplied. Taking the alpha back out loses
// bits and rounds with an approximate reciprocal whose last bits depend on the
// processor, so the halves are compared premultiplied, which is exact integer
// arithmetic on any machine.
TEST(Pictures, GlyphStripsHoldANormalAndADisabledImage)
{
    constexpr QImage::Format kExact = QImage::Format_ARGB32_Premultiplied;
    const struct
    {
        const char* path;
        int side;
    } strips[] = {
        {Pictures::HelpGlyph, 28},  {Pictures::SettingsGlyph, 28}, {Pictures::InfoGlyph, 28},
        {Pictures::SaveGlyph, 24},  {Pictures::OpenGlyph, 24},     {Pictures::WebGlyph, 24},
        {Pictures::PrintGlyph, 24}, {Pictures::ClearGlyph, 24},    {Pictures::OkGlyph, 18}};
    for (const auto& strip : strips) {
        SCOPED_TRACE(strip.path);
        const QImage img = load(strip.path).convertToFormat(kExact);
        ASSERT_FALSE(img.isNull());
        ASSERT_EQ(img.size(), QSize(2 * strip.side, strip.side));
        const QImage normal = img.copy(0, 0, strip.side, strip.side);
        const QImage disabled = img.copy(strip.side, 0, strip.side, strip.side);
        EXPECT_EQ(normal.pixel(0, strip.side - 1), 0u);
        EXPECT_EQ(disabled.pixel(0, strip.side - 1), 0u);
        EXPECT_NE(normal, disabled);

        const QIcon icon = Pictures::stripIcon(strip.path);
        const QSize side(strip.side, strip.side);
        EXPECT_EQ(icon.pixmap(side, QIcon::Normal).toImage().convertToFormat(kExact), normal);
        EXPECT_EQ(icon.pixmap(side, QIcon::Disabled).toImage().convertToFormat(kExact), disabled);
    }
}

} // namespace
