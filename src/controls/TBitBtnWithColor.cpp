#include "controls/TBitBtnWithColor.h"

#include "controls/GlyphStrip.h"

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPolygon>
#include <QShortcut>

#include <algorithm>

namespace {

struct KindDefaults
{
    bool isDefault;
    bool cancel;
    int modalResult;
    const char* caption;
};

// Indexed by TBitBtnWithColorKind.
constexpr std::array<KindDefaults, 11> kKinds = {{
    {false, false, 0, ""},
    {true, false, 1, "OK"},
    {false, true, 2, "Cancel"},
    {false, false, 0, "&Help"},
    {true, false, 6, "&Yes"},
    {false, true, 7, "&No"},
    {false, false, 0, "&Close"},
    {false, false, 3, "&Abort"},
    {false, false, 4, "&Retry"},
    {false, false, 5, "&Ignore"},
    {false, false, 8, "&All"},
}};

const KindDefaults& kindDefaults(TBitBtnWithColor::TBitBtnWithColorKind kind)
{
    return kKinds[static_cast<std::size_t>(kind)];
}

// The colour that marks the transparent parts of the kind glyphs.
const QColor kKindTransparent(128, 128, 0);

void drawCheck(QPainter& p, QPoint at, const QColor& colour)
{
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const QPoint points[] = {at + QPoint(0, 6), at + QPoint(4, 10), at + QPoint(12, 2)};
    p.drawPolyline(points, 3);
}

void drawKindPicture(QPainter& p, TBitBtnWithColor::TBitBtnWithColorKind kind)
{
    using B = TBitBtnWithColor;
    const QColor green(0, 128, 0);
    const QColor red(192, 0, 0);
    const QColor blue(0, 0, 192);
    switch (kind) {
    case B::bkOK:
    case B::bkYes:
        drawCheck(p, QPoint(3, 3), green);
        break;
    case B::bkAll:
        drawCheck(p, QPoint(1, 0), green);
        drawCheck(p, QPoint(4, 5), green);
        break;
    case B::bkCancel:
        p.setPen(QPen(red, 3));
        p.drawLine(4, 4, 13, 13);
        p.drawLine(13, 4, 4, 13);
        break;
    case B::bkNo:
        p.setPen(QPen(red, 2));
        p.drawEllipse(QRect(3, 3, 11, 11));
        p.drawLine(5, 5, 12, 12);
        break;
    case B::bkHelp: {
        p.setPen(QPen(blue, 2));
        const QPoint hook[] = {{5, 5},  {6, 3},  {8, 2}, {10, 2}, {12, 3},
                               {13, 5}, {12, 7}, {9, 9}, {9, 11}};
        p.drawPolyline(hook, 9);
        p.fillRect(QRect(8, 13, 3, 3), blue);
        break;
    }
    case B::bkClose:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(128, 64, 0));
        p.drawRect(QRect(4, 1, 9, 15));
        p.fillRect(QRect(10, 8, 2, 2), QColor(255, 255, 0));
        break;
    case B::bkAbort:
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawEllipse(QRect(2, 2, 14, 14));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(6, 6, 11, 11);
        p.drawLine(11, 6, 6, 11);
        break;
    case B::bkRetry:
        p.setPen(QPen(green, 2));
        p.drawArc(QRect(3, 3, 11, 11), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygon({QPoint(8, 0), QPoint(12, 3), QPoint(8, 6)}));
        break;
    case B::bkIgnore:
        p.setPen(QPen(blue, 2));
        p.drawLine(2, 12, 12, 12);
        p.drawLine(2, 5, 10, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPolygon(QPolygon({QPoint(10, 1), QPoint(15, 5), QPoint(10, 9)}));
        break;
    case B::bkCustom:
        break;
    }
}

// Up image and engraved image side by side, drawn once per kind and shared
// by every button of that kind.
const QImage& kindGlyph(TBitBtnWithColor::TBitBtnWithColorKind kind)
{
    static std::array<QImage, 11> strips;
    QImage& strip = strips[static_cast<std::size_t>(kind)];
    if (!strip.isNull() || kind == TBitBtnWithColor::bkCustom)
        return strip;
    QImage up(18, 18, QImage::Format_ARGB32);
    up.fill(Qt::transparent);
    {
        QPainter p(&up);
        drawKindPicture(p, kind);
    }
    strip = QImage(36, 18, QImage::Format_RGB32);
    strip.fill(kKindTransparent);
    QPainter p(&strip);
    p.drawImage(0, 0, up);
    p.drawImage(18, 0, GlyphStrip::engraved(up));
    return strip;
}

void frame(QPainter& p, const QRect& r, const QColor& colour)
{
    if (r.isEmpty())
        return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
}

// Two rings, lit from the top left; the dark sides run the full length.
void raisedEdge(QPainter& p, const QRect& r)
{
    const auto ring = [&](const QRect& q, TColor light, TColor dark) {
        if (q.isEmpty())
            return;
        p.fillRect(QRect(q.left(), q.top(), q.width(), 1), colorFromRef(light));
        p.fillRect(QRect(q.left(), q.top(), 1, q.height()), colorFromRef(light));
        p.fillRect(QRect(q.right(), q.top(), 1, q.height()), colorFromRef(dark));
        p.fillRect(QRect(q.left(), q.bottom(), q.width(), 1), colorFromRef(dark));
    };
    ring(r, ColorRef::Light3D, ColorRef::DkShadow3D);
    ring(r.adjusted(1, 1, -1, -1), ColorRef::BtnHighlight, ColorRef::BtnShadow);
}

// Every other pixel of the outline inverted, so it shows on any face colour.
void focusRect(QPainter& p, const QRect& r)
{
    if (r.isEmpty())
        return;
    QPolygon dots;
    const auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            dots << QPoint(x, y);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        dot(r.right(), y);
    }
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Difference);
    p.setPen(QPen(Qt::white, 0));
    p.drawPoints(dots);
    p.restore();
}

} // namespace

TBitBtnWithColor::TBitBtnWithColor(QWidget* parent) : QPushButton(parent)
{
    resize(75, 25);
    connect(this, &QAbstractButton::clicked, this, &TBitBtnWithColor::afterClick);
    // A default button loses or regains its frame when the focus moves
    // between other controls of the window.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_default)
            update();
    });
}

TBitBtnWithColor::~TBitBtnWithColor() = default;

QString TBitBtnWithColor::kindCaption(TBitBtnWithColorKind kind)
{
    return QString::fromLatin1(kindDefaults(kind).caption);
}

QImage TBitBtnWithColor::Glyph() const
{
    if (m_glyphAssigned)
        return m_glyph;
    return kindGlyph(m_kind);
}

TBitBtnWithColor::TBitBtnWithColorKind TBitBtnWithColor::Kind() const
{
    if (m_kind == bkCustom || m_glyphAssigned)
        return bkCustom;
    const KindDefaults& d = kindDefaults(m_kind);
    if (m_default != d.isDefault || m_cancel != d.cancel || m_modalResult != d.modalResult)
        return bkCustom;
    return m_kind;
}

void TBitBtnWithColor::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TBitBtnWithColor::setGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    m_glyphAssigned = true;
    glyphChanged();
}

void TBitBtnWithColor::setKind(TBitBtnWithColorKind kind)
{
    if (kind == Kind())
        return;
    if (kind != bkCustom) {
        const KindDefaults& d = kindDefaults(kind);
        setDefault(d.isDefault);
        setCancel(d.cancel);
        setModalResult(d.modalResult);
        m_glyph = QImage();
        m_glyphAssigned = false;
        m_numGlyphs = 2;
        setText(kindCaption(kind));
    }
    m_kind = kind;
    glyphChanged();
}

void TBitBtnWithColor::setLayout(TButtonLayout layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    update();
}

void TBitBtnWithColor::setMargin(int margin)
{
    if (margin < -1 || margin == m_margin)
        return;
    m_margin = margin;
    update();
}

void TBitBtnWithColor::setNumGlyphs(int count)
{
    count = std::clamp(count, 1, 4);
    if (count == m_numGlyphs)
        return;
    m_numGlyphs = count;
    glyphChanged();
}

void TBitBtnWithColor::setSpacing(int spacing)
{
    if (spacing == m_spacing)
        return;
    m_spacing = spacing;
    update();
}

void TBitBtnWithColor::setStyle(TButtonStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    update();
}

void TBitBtnWithColor::setDefault(bool value)
{
    m_default = value;
    QPushButton::setDefault(value);
    update();
}

void TBitBtnWithColor::setCancel(bool value)
{
    if (value == m_cancel)
        return;
    m_cancel = value;
    delete m_cancelShortcut;
    m_cancelShortcut = nullptr;
    if (!value)
        return;
    m_cancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_cancelShortcut, &QShortcut::activated, this, [this] {
        if (isEnabled() && isVisible())
            click();
    });
}

void TBitBtnWithColor::setModalResult(int result)
{
    m_modalResult = result;
}

void TBitBtnWithColor::afterClick()
{
    QWidget* form = window();
    if (Kind() == bkClose && form != this) {
        form->close();
        return;
    }
    if (m_modalResult == 0)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(form))
        dialog->done(m_modalResult);
}

void TBitBtnWithColor::mousePressEvent(QMouseEvent* event)
{
    QPointer<TBitBtnWithColor> self(this);
    emit mouseDown(event->button());
    // The press may have started a command that disabled or removed this
    // button; pushing it down now would leave it stuck, since a disabled
    // button never sees the release.
    if (!self || !isEnabled())
        return;
    QPushButton::mousePressEvent(event);
}

void TBitBtnWithColor::glyphChanged()
{
    m_stateImageReady = {};
    update();
}

const QImage& TBitBtnWithColor::stateImage(GlyphState state)
{
    const auto at = static_cast<std::size_t>(state);
    QImage& image = m_stateImages[at];
    if (m_stateImageReady[at])
        return image;
    m_stateImageReady[at] = true;
    const QImage strip = Glyph();
    if (static_cast<int>(state) < m_numGlyphs)
        image = GlyphStrip::cell(strip, m_numGlyphs, static_cast<int>(state));
    else if (state == gsDisabled)
        image = GlyphStrip::engraved(stateImage(gsUp));
    else
        image = stateImage(gsUp);
    return image;
}

void TBitBtnWithColor::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    const QRect client = rect();
    QRect r = client;
    const GlyphState state = !isEnabled() ? gsDisabled : isDown() ? gsDown : gsUp;
    const bool active = isActiveButton();
    const QColor face = colorFromRef(m_color);

    if (active) {
        frame(p, r, colorFromRef(ColorRef::WindowFrame));
        r.adjust(1, 1, -1, -1);
    }
    QColor pen = colorFromRef(ColorRef::BtnShadow);
    if (state != gsDown) {
        raisedEdge(p, r);
        r.adjust(2, 2, -2, -2);
        pen = face;
    }
    if (!r.isEmpty())
        p.fillRect(r, face);
    frame(p, r, pen);
    r.adjust(1, 1, -1, -1);
    if (active)
        r = client.adjusted(1, 1, -1, -1);
    if (state == gsDown)
        r.translate(1, 1);
    paintGlyphAndCaption(p, r, state);
    if (active)
        focusRect(p, client.adjusted(4, 4, -4, -4));
}

void TBitBtnWithColor::paintGlyphAndCaption(QPainter& p, const QRect& area, GlyphState state)
{
    const QImage& glyph = stateImage(state);
    const QString caption = text();
    constexpr int textFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QSize g = glyph.size().expandedTo(QSize(0, 0));
    const QSize t = caption.isEmpty() ? QSize(0, 0) : fontMetrics().size(textFlags, caption);

    const bool horizontal = m_layout == blGlyphLeft || m_layout == blGlyphRight;
    const int client = horizontal ? area.width() : area.height();
    const int gAxis = horizontal ? g.width() : g.height();
    const int tAxis = horizontal ? t.width() : t.height();
    int margin = m_margin;
    int spacing = (gAxis == 0 || tAxis == 0) ? 0 : m_spacing;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (client - gAxis - tAxis) / 3;
            spacing = margin;
        } else {
            margin = (client - (gAxis + spacing + tAxis) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (client - margin - gAxis - tAxis) / 2;
    }
    const bool leading = m_layout == blGlyphLeft || m_layout == blGlyphTop;
    const int gAt = leading ? margin : client - margin - gAxis;
    const int tAt = leading ? gAt + gAxis + spacing : gAt - spacing - tAxis;

    // Across the axis each of the two is centred on its own.
    const int across = horizontal ? area.height() : area.width();
    const int gAcross = (across - (horizontal ? g.height() : g.width()) + 1) / 2;
    const int tAcross = (across - (horizontal ? t.height() : t.width()) + 1) / 2;
    const QPoint glyphAt =
        area.topLeft() + (horizontal ? QPoint(gAt, gAcross) : QPoint(gAcross, gAt));
    const QPoint textAt =
        area.topLeft() + (horizontal ? QPoint(tAt, tAcross) : QPoint(tAcross, tAt));

    if (!glyph.isNull())
        p.drawImage(glyphAt, glyph);
    if (caption.isEmpty())
        return;
    const QRect textRect(textAt, t);
    p.setFont(font());
    if (state == gsDisabled) {
        p.setPen(QColor(0xFF, 0xFF, 0xFF));
        p.drawText(textRect.translated(1, 1), Qt::AlignCenter | textFlags, caption);
        p.setPen(QColor(0x80, 0x80, 0x80));
    } else {
        p.setPen(palette().color(QPalette::ButtonText));
    }
    p.drawText(textRect, Qt::AlignCenter | textFlags, caption);
}

bool TBitBtnWithColor::isActiveButton() const
{
    // As in a dialog: the button with the focus, else the default button as
    // long as no other push button holds the focus.
    const QWidget* focus = window()->focusWidget();
    if (focus == this)
        return true;
    if (qobject_cast<const QPushButton*>(focus))
        return false;
    return QPushButton::isDefault();
}

QSize TBitBtnWithColor::sizeHint() const
{
    const QImage strip = Glyph();
    const QSize g =
        strip.isNull() ? QSize(0, 0) : QSize(strip.width() / m_numGlyphs, strip.height());
    const QString caption = text();
    const QSize t = caption.isEmpty()
                        ? QSize(0, 0)
                        : fontMetrics().size(Qt::TextSingleLine | Qt::TextShowMnemonic, caption);
    const int gap = (g.isEmpty() || t.isEmpty()) ? 0 : std::max(m_spacing, 4);
    const bool horizontal = m_layout == blGlyphLeft || m_layout == blGlyphRight;
    const QSize content =
        horizontal ? QSize(g.width() + gap + t.width(), std::max(g.height(), t.height()))
                   : QSize(std::max(g.width(), t.width()), g.height() + gap + t.height());
    return QSize(std::max(75, content.width() + 16), std::max(25, content.height() + 10));
}
