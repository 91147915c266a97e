#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, compiled into kelvatron_help from
// resources/pictures/pictures.qrc. A static library's resources are only
// registered when someone asks for them, so every user calls ensureLoaded()
// (the accessors here do it themselves).
class Pictures
{
public:
    static constexpr const char* Logo = ":/pictures/logo.jpg"; // 238 x 65, JPEG
    static constexpr const char* Flag = ":/pictures/flag.jpg"; // 28 x 21, JPEG
    static constexpr const char* Icon32 = ":/pictures/kelvatron-32.png";
    static constexpr const char* Icon64 = ":/pictures/kelvatron-64.png";
    static constexpr const char* Question = ":/pictures/question.png"; // 32 x 32
    // Glyph strips: normal and disabled image side by side.
    static constexpr const char* HelpGlyph = ":/pictures/help.png";         // 2 x 28 x 28
    static constexpr const char* SettingsGlyph = ":/pictures/settings.png"; // 2 x 28 x 28
    static constexpr const char* InfoGlyph = ":/pictures/info.png";         // 2 x 28 x 28
    static constexpr const char* SaveGlyph = ":/pictures/save.png";         // 2 x 24 x 24
    static constexpr const char* OpenGlyph = ":/pictures/open.png";         // 2 x 24 x 24
    static constexpr const char* WebGlyph = ":/pictures/web.png";           // 2 x 24 x 24
    static constexpr const char* PrintGlyph = ":/pictures/print.png";       // 2 x 24 x 24
    static constexpr const char* ClearGlyph = ":/pictures/clear.png";       // 2 x 24 x 24
    static constexpr const char* OkGlyph = ":/pictures/ok.png";             // 2 x 18 x 18

    static void ensureLoaded();

    static QPixmap pixmap(const char* path);
    // An icon whose disabled mode shows the strip's second image.
    static QIcon stripIcon(const char* path);
    static QIcon applicationIcon();
};
