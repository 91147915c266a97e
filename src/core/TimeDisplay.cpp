#include "core/TimeDisplay.h"

#include "core/TimeBase.h"

namespace {

TColor pick(const TimeDisplay::ColourPair& pair, std::int32_t condition)
{
    return condition > 0 ? pair.active : pair.passive;
}

} // namespace

TimeDisplay::TimeDisplay(IDigitDisplay& sink) : m_sink(sink) {}

TimeDisplay::ColourPair TimeDisplay::rowColours(DisplayRow row) const
{
    return row == DisplayRow::First ? m_firstRow : m_secondRow;
}

void TimeDisplay::ShowTimeDigits(DisplayRow row, std::int32_t h, std::int32_t m, std::int32_t s,
                                 std::int32_t c)
{
    if (row == DisplayRow::First) {
        showFirstRow(h, m, s, c);
    } else {
        showSecondRow(h, m, s, c);
    }
    m_sink.showPending();
}

void TimeDisplay::showFirstRow(std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t c)
{
    using D = DisplayControl;
    const ColourPair& p = m_firstRow;

    m_sink.setDigitValue(D::Digit1, h / 10);
    m_sink.setDigitColorOn(D::Digit1, pick(p, h / 10));
    m_sink.setDigitValue(D::Digit2, h % 10);
    const TColor hourUnits = pick(p, h);
    m_sink.setDigitColorOn(D::Digit2, hourUnits);
    m_sink.setLabelFontColor(D::LabHour, hourUnits);
    m_sink.setLabelFontColor(D::Lab_Hour, hourUnits);

    m_sink.setDigitValue(D::Digit3, m / 10);
    m_sink.setDigitColorOn(D::Digit3, pick(p, m / 10 + h));
    m_sink.setDigitValue(D::Digit4, m % 10);
    const TColor minuteUnits = pick(p, m + h);
    m_sink.setDigitColorOn(D::Digit4, minuteUnits);
    m_sink.setLabelFontColor(D::LabMin, minuteUnits);
    m_sink.setLabelFontColor(D::Lab_Min, minuteUnits);

    m_sink.setDigitValue(D::Digit5, s / 10);
    m_sink.setDigitColorOn(D::Digit5, pick(p, m + h + s / 10));
    // The seconds units and the fraction always show the active colour that
    // ApplyDigitColours gave them, so they are not recoloured here.
    m_sink.setDigitValue(D::Digit6, s % 10);
    m_sink.setDigitValue(D::Digit7, c / 10);
    m_sink.setDigitValue(D::Digit8, c % 10);
}

void TimeDisplay::showSecondRow(std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t c)
{
    using D = DisplayControl;
    const ColourPair& p = m_secondRow;

    m_sink.setDigitValue(D::Digit12, h / 10);
    m_sink.setDigitColorOn(D::Digit12, pick(p, h / 10));
    m_sink.setDigitValue(D::Digit13, h % 10);
    const TColor hourUnits = pick(p, h);
    m_sink.setDigitColorOn(D::Digit13, hourUnits);
    m_sink.setLabelFontColor(D::LabHour2, hourUnits);

    m_sink.setDigitValue(D::Digit15, m / 10);
    m_sink.setDigitColorOn(D::Digit15, pick(p, m / 10 + h));
    m_sink.setDigitValue(D::Digit16, m % 10);
    const TColor minuteUnits = pick(p, m + h);
    m_sink.setDigitColorOn(D::Digit16, minuteUnits);
    m_sink.setLabelFontColor(D::LabMin2, minuteUnits);

    m_sink.setDigitValue(D::Digit18, s / 10);
    m_sink.setDigitColorOn(D::Digit18, pick(p, m + h + s / 10));
    // Unlike the first row, a lap time of zero greys out the whole second row.
    const TColor anyTime = pick(p, h + m + s + c);
    m_sink.setDigitValue(D::Digit19, s % 10);
    m_sink.setDigitColorOn(D::Digit19, anyTime);
    m_sink.setDigitValue(D::Digit21, c / 10);
    m_sink.setDigitColorOn(D::Digit21, anyTime);
    m_sink.setLabelFontColor(D::LabSec2, anyTime);
    m_sink.setDigitValue(D::Digit22, c % 10);
    m_sink.setDigitColorOn(D::Digit22, anyTime);
}

void TimeDisplay::ApplyDigitColours(TColor c1, TColor c2, TColor c3)
{
    using D = DisplayControl;
    m_firstRow = ColourPair{c3, c2};
    static constexpr D digits[] = {D::Digit1,  D::Digit2,  D::Digit3,  D::Digit4,
                                   D::Digit5,  D::Digit6,  D::Digit7,  D::Digit8,
                                   D::Digit12, D::Digit13, D::Digit15, D::Digit16,
                                   D::Digit18, D::Digit19, D::Digit21, D::Digit22};
    for (const D digit : digits) {
        m_sink.setDigitColorOn(digit, c2);
        m_sink.setDigitColorOff(digit, c1);
        m_sink.setDigitBackground(digit, c1);
    }
    static constexpr D labels[] = {D::LabHour, D::LabMin,  D::LabSec,   D::Lab_Hour, D::Lab_Min,
                                   D::Lab_sek, D::Lab_100, D::LabHour2, D::LabMin2,  D::LabSec2};
    for (const D label : labels) {
        m_sink.setLabelFontColor(label, c2);
    }
}

void TimeDisplay::ApplyResolution(int resolution)
{
    m_sink.applyResolutionLayout(TimeBase::computeResolutionLayout(resolution));
}
