#pragma once

#include "controls/ColorRef.h"

#include <QFont>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <memory>

class QFontMetrics;
class QPainter;
class QShortcut;
class TLbButtonThread;

// A toolbar button that lights up under the mouse. It paints itself in one
// of six frame styles from a handful of colours, shows one image of a glyph
// strip per state, can stay down as part of a group, can fade its hot colour
// out slowly, and never takes the keyboard focus.
class TLbSpeedButton : public QWidget
{
    Q_OBJECT

public:
    enum TLbSpeedButtonStyle
    {
        bsNormal,
        bsEncarta,
        bsModern,
        bsOld,
        bsShape,
        bsQuicken
    };
    enum TLbSpeedButtonLayout
    {
        blGlyphLeft,
        blGlyphRight,
        blGlyphTop,
        blGlyphBottom
    };
    enum TAlignment
    {
        taLeftJustify,
        taRightJustify,
        taCenter
    };
    enum TLbColorStyle
    {
        lcsCustom,
        lcsGold,
        lcsChrome,
        lcsBlue,
        lcsRed,
        lcsUltraFlat1,
        lcsUltraFlat2,
        lcsUltraFlatXP,
        lcsAqua,
        lcsDefault,
        lcsQuicken
    };

    static constexpr int FadeSteps = 8;
    // Painted as transparent by the styles that leave parts of the button out.
    static constexpr TColor Magenta = 0xFF00FF;

    explicit TLbSpeedButton(QWidget* parent = nullptr);
    ~TLbSpeedButton() override;

    TAlignment Alignment() const { return m_alignment; }
    bool AllowAllUp() const { return m_allowAllUp; }
    QString Caption() const { return m_caption; }
    TColor Color() const { return m_color; }
    TColor ColorWhenDown() const { return m_colorWhenDown; }
    // Presets are write-only: reading always says custom.
    TLbColorStyle ColorStyle() const { return lcsCustom; }
    bool Down() const { return m_down; }
    bool Flat() const { return m_flat; }
    TColor FontColor() const { return m_fontColor; }
    QImage Glyph() const { return m_glyph; }
    int GroupIndex() const { return m_groupIndex; }
    TColor HotTrackColor() const { return m_hotTrackColor; }
    QFont HotTrackFont() const { return m_hotTrackFont; }
    TLbSpeedButtonLayout Layout() const { return m_layout; }
    TColor LightColor() const { return m_lightColor; }
    int NumGlyphs() const { return m_numGlyphs; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    TColor ShadowColor() const { return m_shadowColor; }
    bool SlowDecease() const { return m_slowDecease; }
    TLbSpeedButtonStyle Style() const { return m_style; }
    bool Transparent() const { return m_transparent; }
    bool UseHotTrackFont() const { return m_useHotTrackFont; }
    bool WordWrap() const { return m_wordWrap; }

    bool Hot() const { return m_hot; }
    int FadeLevel() const { return m_fadeLevel; }
    TLbButtonThread* FadeThread() const { return m_thread.get(); }

    // The face colour as painted now: the hot colour blended in by the fade
    // level, or the down colour.
    QColor faceColor() const;
    // The button as painted, transparent where the parent shows through.
    QImage renderImage() const;

    // One step of the slow fade; the fade thread runs it on the GUI thread.
    void FadeStep();
    // Pops up the menu, if any, under the button and raises OnClick.
    void Click();

public slots:
    void setAlignment(TLbSpeedButton::TAlignment alignment);
    void setAllowAllUp(bool allow) { m_allowAllUp = allow; }
    void setCaption(const QString& caption);
    void setColor(TColor color);
    void setColorWhenDown(TColor color);
    void setColorStyle(TLbSpeedButton::TLbColorStyle style);
    void setDown(bool down);
    void setFlat(bool flat);
    void setFontColor(TColor color);
    // Also sets NumGlyphs to the number of square images in the strip.
    void setGlyph(const QImage& glyph);
    void setGroupIndex(int index);
    void setHotTrackColor(TColor color) { m_hotTrackColor = color; }
    void setHotTrackFont(const QFont& font) { m_hotTrackFont = font; }
    void setLayout(TLbSpeedButton::TLbSpeedButtonLayout layout);
    void setLightColor(TColor color);
    void setNumGlyphs(int count);
    void setPopupMenu(QMenu* menu);
    void setShadowColor(TColor color);
    void setSlowDecease(bool slow);
    void setStyle(TLbSpeedButton::TLbSpeedButtonStyle style);
    void setTransparent(bool transparent);
    void setUseHotTrackFont(bool use) { m_useHotTrackFont = use; }
    void setWordWrap(bool wrap);

signals:
    void OnClick();
    void OnMouseEnter();
    void OnMouseExit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Repaints at once, or later when the parent must show through.
    void changed();
    bool reachable() const;
    void accelerate();
    void stopThread();
    // The image of the glyph strip for the current state.
    QImage glyphImage(bool down) const;
    void paintBackground(QPainter& painter, const QColor& face, int shift) const;
    void paintFrame(QPainter& painter, const QColor& face, bool down) const;
    struct Placement
    {
        QString caption; // cut to the width it may take unless it wraps
        int textFlags = 0;
        QRect textRect;
        QPoint glyphAt;
    };
    Placement place(const QFontMetrics& metrics, const QImage& glyph, int shift) const;

    QString m_caption;
    QImage m_glyph;
    QFont m_hotTrackFont;
    QPointer<QMenu> m_popupMenu;
    QShortcut* m_shortcut = nullptr;
    std::unique_ptr<TLbButtonThread> m_thread;
    TColor m_color = ColorRef::BtnFace;
    TColor m_colorWhenDown = ColorRef::NoColor;
    TColor m_hotTrackColor = ColorRef::NoColor;
    TColor m_lightColor = 0xFFFFFF;
    TColor m_shadowColor = 0x000000;
    TColor m_fontColor = ColorRef::WindowText;
    int m_groupIndex = 0;
    int m_numGlyphs = 0;
    int m_fadeLevel = 0;
    TAlignment m_alignment = taLeftJustify;
    TLbSpeedButtonLayout m_layout = blGlyphLeft;
    TLbSpeedButtonStyle m_style = bsNormal;
    bool m_allowAllUp = false;
    bool m_down = false;
    bool m_flat = false;
    bool m_slowDecease = false;
    bool m_transparent = false;
    bool m_useHotTrackFont = false;
    bool m_wordWrap = false;
    bool m_hot = false;
    bool m_pressed = false;
    bool m_destroying = false;
};
