#pragma once

#include "controls/ColorRef.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

// A 16 x 16 light-emitting diode drawn pixel by pixel from fixed patterns,
// which can mirror its state into a text label. Around the pattern the parent
// shows through, so the LED always sits on its parent's colour.
class TLed : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Value READ Value WRITE setValue)
    Q_PROPERTY(QString LabelOnText READ LabelOnText WRITE setLabelOnText)
    Q_PROPERTY(QString LabelOffText READ LabelOffText WRITE setLabelOffText)

public:
    enum TLedKind
    {
        lkRed,
        lkGreen,
        lkYellow,
        lkCyan,
        lkMagenta,
        lkBlue,
        lkWhite,
    };
    Q_ENUM(TLedKind)

    enum TLedShape
    {
        lsCircle,
        lsRectangle,
    };
    Q_ENUM(TLedShape)

    explicit TLed(QWidget* parent = nullptr);

    TLedKind Kind() const { return m_kind; }
    TLedShape Shape() const { return m_shape; }
    bool Value() const { return m_value; }
    // Empty once the label has been destroyed.
    QLabel* LabelLinked() const { return m_labelLinked.data(); }
    QString LabelOnText() const { return m_labelOnText; }
    QString LabelOffText() const { return m_labelOffText; }

public slots:
    void setKind(TLed::TLedKind kind);
    void setShape(TLed::TLedShape shape);
    void setValue(bool value);
    void setLabelLinked(QLabel* label);
    void setLabelOnText(const QString& text);
    void setLabelOffText(const QString& text);

signals:
    void OnChange(TLed* Sender);
    void OnClick(TLed* Sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateLabel();
    const QImage& pattern();

    TLedKind m_kind = lkRed;
    TLedShape m_shape = lsCircle;
    bool m_value = false;
    QPointer<QLabel> m_labelLinked;
    QString m_labelOnText;
    QString m_labelOffText;
    bool m_pressed = false;
    // The pattern in the current kind, rebuilt only after a change.
    QImage m_pattern;
    bool m_patternDirty = true;
};
