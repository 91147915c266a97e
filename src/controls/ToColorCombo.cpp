#include "controls/ToColorCombo.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <array>

namespace {

struct NamedColor
{
    const char* name;
    TColor value;
};

constexpr std::array<NamedColor, 16> PureColors = {{
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
}};

// Indexed by system colour number.
constexpr std::array<const char*, 21> ControlColors = {
    "ScrollBar",    "Background",     "ActiveCaption", "InactiveCaption", "Menu",
    "Window",       "WindowFrame",    "MenuText",      "WindowText",      "CaptionText",
    "ActiveBorder", "InactiveBorder", "AppWorkSpace",  "Highlight",       "HighlightText",
    "BtnFace",      "BtnShadow",      "GrayText",      "BtnText",         "InactiveCaptionText",
    "BtnHighlight",
};

constexpr TColor UserDefault = 0xFFFFFF;

class SwatchDelegate : public QStyledItemDelegate
{
public:
    explicit SwatchDelegate(ToColorCombo* combo) : QStyledItemDelegate(combo), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        m_combo->DrawItem(painter, index.row(), option.rect,
                          option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), m_combo->ItemHeight()};
    }

private:
    ToColorCombo* m_combo;
};

} // namespace

ToColorCombo::ToColorCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new SwatchDelegate(this));
    updateItemHeight();
    buildList();
    connect(this, &QComboBox::activated, this, &ToColorCombo::userSelected);
}

ToColorCombo::~ToColorCombo() = default;

void ToColorCombo::buildList()
{
    if (m_colorSet & bit(clrPure))
        for (const NamedColor& c : PureColors)
            addItem(QString::fromLatin1(c.name), QVariant::fromValue<uint>(c.value));
    if (m_colorSet & bit(clrCtrl))
        for (std::size_t i = 0; i < ControlColors.size(); ++i)
            addItem(QString::fromLatin1(ControlColors[i]),
                    QVariant::fromValue<uint>(ColorRef::SystemFlag | TColor(i)));
    if (m_colorSet & bit(clrUser))
        addItem(QStringLiteral("Other..."), QVariant::fromValue<uint>(UserDefault));
    setCurrentIndex(0);
}

TColor ToColorCombo::itemColor(int index) const
{
    return itemData(index).value<uint>();
}

TColor ToColorCombo::ColorUser() const
{
    if (!(m_colorSet & bit(clrUser)) || count() == 0)
        return ColorRef::NoColor;
    return itemColor(count() - 1);
}

bool ToColorCombo::IsUserColorSelected() const
{
    return (m_colorSet & bit(clrUser)) && count() > 0 && currentIndex() == count() - 1;
}

void ToColorCombo::setColorSet(ToColorCombo::ToColorSet set)
{
    set &= bit(clrPure) | bit(clrCtrl) | bit(clrUser);
    if (set == m_colorSet)
        return;
    m_colorSet = set == 0 ? bit(clrUser) : set;
    clear();
    buildList();
    update();
}

void ToColorCombo::setColorValue(TColor color)
{
    if (color == m_colorValue)
        return;
    for (int i = 0; i < count(); ++i) {
        if (itemColor(i) == color) {
            setCurrentIndex(i);
            m_colorValue = color;
            emit OnChange();
            return;
        }
    }
    if (!(m_colorSet & bit(clrUser)))
        return;
    m_colorValue = color;
    setCurrentIndex(count() - 1);
    setItemData(count() - 1, QVariant::fromValue<uint>(color));
    emit OnChange();
    update();
}

void ToColorCombo::setColorUser(TColor color)
{
    if (m_colorSet & bit(clrUser))
        setColorValue(color);
}

void ToColorCombo::setDrawColorName(bool draw)
{
    if (draw == m_drawColorName)
        return;
    m_drawColorName = draw;
    update();
    view()->viewport()->update();
}

void ToColorCombo::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void ToColorCombo::userSelected(int index)
{
    if (index >= 0 && index < count())
        m_colorValue = itemColor(index);
    emit OnClick();
    emit OnChange();
}

void ToColorCombo::updateItemHeight()
{
    const int charHeight = QFontMetrics(font()).height();
    m_itemHeight = std::max(10, (charHeight * 12 + 5) / 10);
    updateGeometry();
}

void ToColorCombo::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateItemHeight();
}

QSize ToColorCombo::sizeHint() const
{
    QSize hint = QComboBox::sizeHint();
    hint.setHeight(std::max(hint.height(), m_itemHeight + 6));
    return hint;
}

QSize ToColorCombo::minimumSizeHint() const
{
    QSize hint = QComboBox::minimumSizeHint();
    hint.setHeight(std::max(hint.height(), m_itemHeight + 6));
    return hint;
}

void ToColorCombo::DrawItem(QPainter* painter, int index, const QRect& rect, bool selected) const
{
    if (index < 0 || index >= count())
        return;
    // Edges as exclusive coordinates, so the arithmetic reads like the layout
    // rules: swatch 2 pixels in, 24 pixels wide with a name beside it.
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.right() + 1;
    const int bottom = rect.bottom() + 1;
    const QColor background = colorFromRef(selected ? ColorRef::Highlight : m_color);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(rect, background);

    const int sLeft = left + 2;
    const int sTop = top + 2;
    const int sRight = m_drawColorName ? left + 24 : right - 2;
    const int sBottom = bottom - 2;
    if (sRight > sLeft && sBottom > sTop) {
        painter->setPen(QPen(Qt::black, 1));
        painter->setBrush(background);
        painter->drawRect(sLeft, sTop, sRight - sLeft - 1, sBottom - sTop - 1);
        if (sRight - sLeft > 2 && sBottom - sTop > 2)
            painter->fillRect(sLeft + 1, sTop + 1, sRight - sLeft - 2, sBottom - sTop - 2,
                              colorFromRef(itemColor(index)));
    }
    if (m_drawColorName) {
        painter->setPen(colorFromRef(selected ? ColorRef::HighlightText : ColorRef::WindowText));
        painter->setFont(font());
        painter->drawText(QRect(left + 28, top, std::max(0, right - left - 28), bottom - top),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, itemText(index));
    }
    painter->restore();
}

void ToColorCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(&painter, currentIndex(), field, hasFocus());
}
