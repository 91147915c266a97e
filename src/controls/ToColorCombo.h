#pragma once

#include "controls/ColorRef.h"

#include <QComboBox>

#include <cstdint>

// A drop-down list of colours drawn as framed swatches, optionally with
// their names. The list is made of up to three groups: the sixteen pure
// colours, the system colours and one user entry whose colour the owner
// sets. The selected colour is ColorValue; a colour that is not in the list
// goes into the user entry.
class ToColorCombo : public QComboBox
{
    Q_OBJECT

public:
    enum ToColor
    {
        clrPure,
        clrCtrl,
        clrUser
    };
    // Bit n stands for group n.
    using ToColorSet = std::uint8_t;
    static constexpr ToColorSet bit(ToColor group) { return ToColorSet(1u << group); }

    explicit ToColorCombo(QWidget* parent = nullptr);
    ~ToColorCombo() override;

    ToColorSet ColorSet() const { return m_colorSet; }
    TColor ColorValue() const { return m_colorValue; }
    // The colour of the user entry, or no colour when there is none.
    TColor ColorUser() const;
    bool DrawColorName() const { return m_drawColorName; }
    // Background of the entries that are not selected.
    TColor Color() const { return m_color; }
    int ItemHeight() const { return m_itemHeight; }

    // True when the user entry exists and is the selected one.
    bool IsUserColorSelected() const;

    // The colour stored with an entry.
    TColor itemColor(int index) const;

    // Draws one entry: background, black-framed swatch, and the name when
    // DrawColorName is set. The drop-down list and the closed box both use it.
    void DrawItem(QPainter* painter, int index, const QRect& rect, bool selected) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setColorSet(ToColorCombo::ToColorSet set);
    // The first entry holding the colour is selected; without one the colour
    // goes into the user entry, and without a user entry nothing changes.
    void setColorValue(TColor color);
    // Ignored unless the list has a user entry.
    void setColorUser(TColor color);
    void setDrawColorName(bool draw);
    void setColor(TColor color);

signals:
    void OnChange();
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildList();
    void userSelected(int index);
    void updateItemHeight();

    ToColorSet m_colorSet = bit(clrPure) | bit(clrCtrl);
    TColor m_colorValue = 0x000000;
    TColor m_color = ColorRef::Window;
    int m_itemHeight = 10;
    bool m_drawColorName = true;
};
