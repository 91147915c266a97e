#include "controls/TSpinEditCommon.h"

#include "controls/TSpinButton.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

int TSpinEditCommon::minimumHeight(const QFont& font)
{
    const int own = QFontMetrics(font).height();
    const int system = QFontMetrics(QApplication::font()).height();
    constexpr int borderLine = 1;
    return own + std::min(system, own) / 4 + 4 * borderLine + 2;
}

QRect TSpinEditCommon::buttonGeometry(const QSize& editSize, int buttonWidth, bool framed)
{
    if (framed)
        return {editSize.width() - buttonWidth - 5 + FrameWidth, FrameWidth, buttonWidth,
                editSize.height() - 5};
    return {editSize.width() - buttonWidth, 1, buttonWidth, editSize.height() - 3};
}

TSpinButton* TSpinEditCommon::createButton(QLineEdit* edit)
{
    auto* button = new TSpinButton(edit);
    button->resize(ButtonWidth, ButtonHeight);
    button->setFocusControl(edit);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

void TSpinEditCommon::layout(QLineEdit* edit, TSpinButton* button)
{
    const int minHeight = minimumHeight(edit->font());
    if (edit->minimumHeight() != minHeight)
        edit->setMinimumHeight(minHeight);
    if (!button)
        return;
    edit->setTextMargins(0, 0, button->width() + 2, 0);
    if (edit->height() < minHeight)
        return;
    button->setGeometry(buttonGeometry(edit->size(), button->width(), edit->hasFrame()));
}

bool TSpinEditCommon::dialogTakesKey(const QWidget* edit, const QKeyEvent* event)
{
    const auto* dialog = qobject_cast<const QDialog*>(edit->window());
    if (!dialog)
        return false;
    if (event->key() == Qt::Key_Escape)
        return event->modifiers() == Qt::NoModifier;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    const auto buttons = dialog->findChildren<QPushButton*>();
    return std::any_of(buttons.begin(), buttons.end(), [](const QPushButton* b) {
        return b->isDefault() && b->isVisible() && b->isEnabled();
    });
}

QChar TSpinEditCommon::typedChar(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Insert:
        return {};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(u'\r');
    case Qt::Key_Escape:
        return QChar(0x1B);
    case Qt::Key_Backspace:
        return QChar(0x08);
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() != 1 || text.at(0) == QChar(0x7F))
        return {};
    return text.at(0);
}

bool TSpinEditCommon::isCutOrPaste(const QKeyEvent* event)
{
    return event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste);
}

void TSpinEditCommon::popupMenu(QLineEdit* edit, const QContextMenuEvent* event, bool editable)
{
    QMenu* menu = edit->createStandardContextMenu();
    if (!editable) {
        // The standard menu's actions carry no names; QLineEdit's own texts,
        // translated in its context, identify them in any language.
        const QString texts[] = {QLineEdit::tr("Cu&t"), QLineEdit::tr("&Paste"),
                                 QLineEdit::tr("Delete")};
        for (QAction* action : menu->actions()) {
            const QString text = action->text().section(u'\t', 0, 0);
            if (std::find(std::begin(texts), std::end(texts), text) != std::end(texts))
                action->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool TSpinEditCommon::swallowsPaste(QMouseEvent* event, bool editable)
{
    if (event->button() != Qt::MiddleButton || editable)
        return false;
    event->accept();
    return true;
}
