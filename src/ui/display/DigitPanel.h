// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/DigitPresenter.h"
#include "core/IDigitDisplay.h"

#include <QFrame>
#include <QPointF>

#include <array>
#include <optional>

class QLabel;
class TDigit;

// The two digit rows with their separators and units: the main window shows
// the panel at its classic pixels, the scoreboard shows it scaled. Each panel
// shows the digits a tick changed through its own presenter.
class DigitPanel : public QFrame, public IDigitDisplay
{
    Q_OBJECT

public:
    explicit DigitPanel(QWidget* parent = nullptr);

    // IDigitDisplay
    void setDigitValue(DisplayControl digit, int value) override;
    void setDigitColorOn(DisplayControl digit, TColor color) override;
    void setDigitColorOff(DisplayControl digit, TColor color) override;
    void setDigitBackground(DisplayControl digit, TColor color) override;
    void setLabelFontColor(DisplayControl label, TColor color) override;
    void applyResolutionLayout(const ResolutionLayout& layout) override;
    void showPending() override;

    // Puts the panel into its parent at `scale` times the classic pixels,
    // the classic origin at `origin`; it narrows with the resolution there.
    void place(double scale, QPointF origin = {});
    // C1 behind the digits, C2 for the texts whose colour the race never set.
    void setColours(TColor background, TColor text);

    TDigit* digit(DisplayControl control) const;
    QLabel* label(DisplayControl control) const;
    QWidget* control(DisplayControl control) const;
    const std::optional<ResolutionLayout>& resolutionLayout() const { return m_layout; }

    // A rectangle of classic pixels at `scale`, the classic origin at
    // `origin`. Both edges are rounded, not the size, so neighbours meet
    // without a gap or an overlap.
    static QRect scaledRect(QPointF origin, double scale, double x, double y, double w, double h);

signals:
    // Another resolution: whatever is shown beside the digits follows it.
    void resolutionLayoutChanged();

private:
    DigitPresenter m_presenter;
    std::array<TDigit*, 16> m_digits{};
    std::array<QLabel*, kDisplayControlCount> m_labels{};
    std::optional<ResolutionLayout> m_layout;
    double m_scale = 1.0;
    QPointF m_origin;
};
