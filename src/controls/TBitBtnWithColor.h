#pragma once

#include "controls/ColorRef.h"

#include <QImage>
#include <QPushButton>

#include <array>

class QShortcut;

// A push button that paints its own face in Color, with an optional glyph
// strip. The race buttons act on the press rather than the click, so every
// press of any mouse button is announced through mouseDown.
class TBitBtnWithColor : public QPushButton
{
    Q_OBJECT

public:
    enum TBitBtnWithColorKind
    {
        bkCustom,
        bkOK,
        bkCancel,
        bkHelp,
        bkYes,
        bkNo,
        bkClose,
        bkAbort,
        bkRetry,
        bkIgnore,
        bkAll,
    };
    Q_ENUM(TBitBtnWithColorKind)

    enum TButtonLayout
    {
        blGlyphLeft,
        blGlyphRight,
        blGlyphTop,
        blGlyphBottom,
    };
    Q_ENUM(TButtonLayout)

    enum TButtonStyle
    {
        bsAutoDetect,
        bsWin31,
        bsNew,
    };
    Q_ENUM(TButtonStyle)

    explicit TBitBtnWithColor(QWidget* parent = nullptr);
    ~TBitBtnWithColor() override;

    TColor Color() const { return m_color; }
    // The strip in use: the assigned one, else the kind's own.
    QImage Glyph() const;
    // bkCustom as soon as Default, Cancel or ModalResult differ from the
    // kind's or a glyph was assigned.
    TBitBtnWithColorKind Kind() const;
    TButtonLayout Layout() const { return m_layout; }
    int Margin() const { return m_margin; }
    int NumGlyphs() const { return m_numGlyphs; }
    int Spacing() const { return m_spacing; }
    TButtonStyle Style() const { return m_style; }
    // What was asked for, unlike isDefault(), which a dialog lends to
    // whichever button holds the focus.
    bool Default() const { return m_default; }
    bool Cancel() const { return m_cancel; }
    int ModalResult() const { return m_modalResult; }

    QSize sizeHint() const override;

    // The standard caption of a kind, empty for bkCustom.
    static QString kindCaption(TBitBtnWithColorKind kind);

    using QPushButton::setDefault;
    using QWidget::setLayout;
    using QWidget::setStyle;

public slots:
    void setColor(TColor color);
    void setGlyph(const QImage& glyph);
    void setKind(TBitBtnWithColor::TBitBtnWithColorKind kind);
    void setLayout(TBitBtnWithColor::TButtonLayout layout);
    // Below -1 is ignored; -1 centres glyph and caption together.
    void setMargin(int margin);
    // Capped to 1..4.
    void setNumGlyphs(int count);
    // -1 spreads the free space evenly.
    void setSpacing(int spacing);
    void setStyle(TBitBtnWithColor::TButtonStyle style);
    void setDefault(bool value);
    // Escape clicks a cancel button from anywhere in its window.
    void setCancel(bool value);
    // Clicking ends an enclosing dialog with this result unless it is 0.
    void setModalResult(int result);

signals:
    void mouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    enum GlyphState
    {
        gsUp,
        gsDisabled,
        gsDown,
        gsExclusive,
    };

    void afterClick();
    bool isActiveButton() const;
    const QImage& stateImage(GlyphState state);
    void glyphChanged();
    void paintGlyphAndCaption(QPainter& painter, const QRect& area, GlyphState state);

    TColor m_color = ColorRef::BtnFace;
    QImage m_glyph;
    bool m_glyphAssigned = false;
    TBitBtnWithColorKind m_kind = bkCustom;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_numGlyphs = 1;
    int m_spacing = 4;
    TButtonStyle m_style = bsAutoDetect;
    bool m_default = false;
    bool m_cancel = false;
    int m_modalResult = 0;
    QShortcut* m_cancelShortcut = nullptr;
    // One prepared image per state, built when first painted.
    std::array<QImage, 4> m_stateImages;
    std::array<bool, 4> m_stateImageReady = {};
};
