#include "ui/display/Scoreboard.h"

#include "controls/ColorRef.h"
#include "help/WindowPlacement.h"
#include "protocol/ResultsSheet.h"
#include "ui/display/DigitPanel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

const QString kGroup = QStringLiteral("Anzeigetafel");
// The board below the classic panel: the name, then three result rows.
constexpr int kNameTop = 228;
constexpr int kNameHeight = 52;
constexpr int kRowsTop = 284;
constexpr int kRowHeight = 29;
constexpr int kPlaceWidth = 330;
// Smaller than this nobody can read it across a paddock.
constexpr int kMinWidth = 248;
constexpr int kMinHeight = 186;

void setColour(QWidget* widget, QPalette::ColorRole role, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colorFromRef(color));
    widget->setPalette(palette);
}

struct Leader
{
    QString place; // "1.  12 Anna Berger"
    QString time;
};

// The first `count` with a place and a score. Classic and for one class they
// are the sheet's own places; for all classes the places among everybody, a
// class's winner being no overall winner.
std::vector<Leader> leaders(const Results::Ranking& ranking, const QString& classFilter,
                            int resolution, std::size_t count)
{
    std::vector<Leader> shown;
    auto add = [&](int place, const QString& name, const std::optional<std::int64_t>& scoreMs) {
        if (shown.size() == count || place == 0 || !scoreMs)
            return false;
        shown.push_back({QStringLiteral("%1.  %2").arg(QString::number(place), name),
                         ResultsSheet::timeText(*scoreMs, resolution)});
        return true;
    };
    const Scoring::Table& table = ranking.table;
    if (ranking.scoring && classFilter.isEmpty()) {
        for (const Scoring::OverallPlace& overall : table.overall) {
            const Scoring::Competitor& competitor =
                table.groups[overall.group].competitors[overall.competitor];
            if (!add(overall.place, ResultsSheet::displayName(competitor), competitor.scoreMs))
                break;
        }
        return shown;
    }
    const ResultsSheet::Sheet sheet =
        ResultsSheet::make(table, {resolution, ranking.scoring, ranking.rules.mode, classFilter});
    for (const ResultsSheet::Section& section : sheet.sections) {
        for (const ResultsSheet::Row& row : section.rows) {
            const Scoring::Competitor& competitor =
                table.groups[row.group].competitors[row.competitor];
            const QString name = sheet.scoring ? ResultsSheet::displayName(competitor)
                                               : row.cells[sheet.competitorColumn];
            if (!add(competitor.place, name, row.scoreMs))
                return shown;
        }
    }
    return shown;
}

QFont pixelFont(const char* family, double pixels, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

} // namespace

Scoreboard::Scoreboard(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Anzeigetafel"));
    setMinimumSize(kMinWidth, kMinHeight);
    resize(2 * kBoardWidth, 2 * kBoardHeight);
    setAutoFillBackground(true);
    setColour(this, QPalette::Window, 0x000000);
    setColour(this, QPalette::WindowText, 0x00FF00);
    // The race is run from the main window: the board appearing, at start or
    // with F8, must not take the keyboard from it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_panel = new DigitPanel(this);
    m_panel->setColours(0x000000, 0x00FF00);
    // The best times are shown at the resolution of the digits.
    connect(m_panel, &DigitPanel::resolutionLayoutChanged, this, &Scoreboard::showRanking);
    m_name = new QLabel(this);
    m_name->setAlignment(Qt::AlignCenter);
    m_name->setTextFormat(Qt::PlainText);
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        m_places[i] = new QLabel(this);
        m_places[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_times[i] = new QLabel(this);
        m_times[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    for (QWidget* w : findChildren<QWidget*>())
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
    layoutBoard();
}

TDigit* Scoreboard::digit(DisplayControl control) const
{
    return m_panel->digit(control);
}

QLabel* Scoreboard::label(DisplayControl control) const
{
    return m_panel->label(control);
}

int Scoreboard::resolution() const
{
    const std::optional<ResolutionLayout>& layout = m_panel->resolutionLayout();
    if (!layout || layout->hundredthsVisible)
        return 2;
    return layout->tenthsVisible ? 1 : 0;
}

void Scoreboard::setBoardColours(TColor background, TColor text)
{
    setColour(this, QPalette::Window, background);
    setColour(this, QPalette::WindowText, text);
    m_panel->setColours(background, text);
    for (QLabel* l :
         {m_name, m_places[0], m_places[1], m_places[2], m_times[0], m_times[1], m_times[2]})
        setColour(l, QPalette::WindowText, text);
}

void Scoreboard::setStartName(const QString& text)
{
    m_startName = text;
    showStartName();
}

void Scoreboard::showStartName()
{
    // Centred, a name too long for the board would lose both ends, and with
    // the front its start number: cut it at the end instead.
    const QFontMetrics metrics(m_name->font());
    const int room = m_name->contentsRect().width();
    m_name->setText(metrics.horizontalAdvance(m_startName) <= room
                        ? m_startName
                        : metrics.elidedText(m_startName, Qt::ElideRight, room));
}

void Scoreboard::setRanking(std::shared_ptr<const Results::Ranking> ranking)
{
    m_ranking = std::move(ranking);
    showRanking();
}

void Scoreboard::setClassFilter(const QString& klass)
{
    if (klass == m_classFilter)
        return;
    m_classFilter = klass;
    showRanking();
}

void Scoreboard::showRanking()
{
    const std::vector<Leader> shown =
        m_ranking ? leaders(*m_ranking, m_classFilter, resolution(), m_places.size())
                  : std::vector<Leader>();
    for (std::size_t row = 0; row < m_places.size(); ++row) {
        m_places[row]->setText(row < shown.size() ? shown[row].place : QString());
        m_times[row]->setText(row < shown.size() ? shown[row].time : QString());
    }
}

QStringList Scoreboard::resultRows() const
{
    QStringList rows;
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        if (!m_places[i]->text().isEmpty())
            rows << m_places[i]->text() + QStringLiteral("  ") + m_times[i]->text();
    }
    return rows;
}

void Scoreboard::layoutBoard()
{
    // The board keeps its proportions: scaled to the smaller of the two
    // ratios and centred, the rest stays in the background colour.
    const double scale = std::min(static_cast<double>(width()) / kBoardWidth,
                                  static_cast<double>(height()) / kBoardHeight);
    const QPointF origin((width() - kBoardWidth * scale) / 2,
                         (height() - kBoardHeight * scale) / 2);
    auto onBoard = [&](double x, double y, double w, double h) {
        return DigitPanel::scaledRect(origin, scale, x, y, w, h);
    };
    m_panel->place(scale, origin);

    m_name->setGeometry(onBoard(0, kNameTop, kBoardWidth, kNameHeight));
    m_name->setFont(pixelFont("Liberation Sans", 40 * scale, true));
    showStartName();
    const QFont rowFont = pixelFont("Liberation Sans", 22 * scale, true);
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        const int top = kRowsTop + static_cast<int>(i) * kRowHeight;
        m_places[i]->setGeometry(onBoard(8, top, kPlaceWidth, kRowHeight));
        m_times[i]->setGeometry(
            onBoard(8 + kPlaceWidth, top, kBoardWidth - 16 - kPlaceWidth, kRowHeight));
        m_places[i]->setFont(rowFont);
        m_times[i]->setFont(rowFont);
    }
}

void Scoreboard::toggleFullScreen()
{
    if (isFullScreen())
        leaveFullScreen();
    else
        enterFullScreen();
}

void Scoreboard::enterFullScreen()
{
    if (isFullScreen())
        return;
    m_normalFrame = geometry();
    showFullScreen();
}

void Scoreboard::leaveFullScreen()
{
    if (!isFullScreen())
        return;
    showNormal();
    if (m_normalFrame.isValid())
        setGeometry(m_normalFrame);
}

void Scoreboard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutBoard();
}

void Scoreboard::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F11:
        toggleFullScreen();
        return;
    case Qt::Key_Escape:
        leaveFullScreen();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void Scoreboard::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        toggleFullScreen();
}

void Scoreboard::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closedByOperator();
}

void Scoreboard::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit shownChanged(true);
}

void Scoreboard::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit shownChanged(false);
}

void Scoreboard::saveState(QSettings& settings, bool open) const
{
    // Full screen, the window's own place is the one it goes back to.
    const QRect frame = isFullScreen() && m_normalFrame.isValid() ? m_normalFrame : geometry();
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Offen"), open ? 1 : 0);
    settings.setValue(QStringLiteral("Vollbild"), isFullScreen() ? 1 : 0);
    settings.setValue(QStringLiteral("Bildschirm"), screen() ? screen()->name() : QString());
    settings.setValue(QStringLiteral("Left"), frame.x());
    settings.setValue(QStringLiteral("Top"), frame.y());
    settings.setValue(QStringLiteral("Width"), frame.width());
    settings.setValue(QStringLiteral("Height"), frame.height());
    settings.endGroup();
}

bool Scoreboard::restoreState(QSettings& settings)
{
    settings.beginGroup(kGroup);
    auto number = [&settings](const char* name, int fallback) {
        bool ok = false;
        const int value = settings.value(QLatin1String(name)).toInt(&ok);
        return ok ? value : fallback;
    };
    const bool open = number("Offen", 0) != 0;
    const bool fullScreen = number("Vollbild", 0) != 0;
    // Some platforms leave screens unnamed: a stored empty name still means
    // that screen, a missing one none at all.
    const QVariant screenName = settings.value(QStringLiteral("Bildschirm"));
    // X11 places and sizes windows in 16 bits; the screen limits them further
    // below, before anything of that size is built.
    constexpr int reach = 32000;
    const QRect frame = WindowPlacement::withinReach(
        number("Left", x()), number("Top", y()), number("Width", width()),
        number("Height", height()), QSize(kMinWidth, kMinHeight), reach);
    settings.endGroup();

    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* named = nullptr;
    for (QScreen* s : screens) {
        if (screenName.isValid() && s->name() == screenName.toString())
            named = s;
    }
    // Full screen only where it was left so: on a screen that is gone it would
    // cover the operator's own screen and hide the main window.
    m_storedFullScreen = fullScreen && named;
    setGeometry(placeOnScreen(frame, m_storedFullScreen ? named : nullptr, named));
    return open;
}

QMargins Scoreboard::frameEstimate() const
{
    // The window system tells the frame only once it has framed the window;
    // before the first showing, a title bar as the style draws one is the
    // best guess, and a real one is seldom smaller.
    const QWindow* handle = windowHandle();
    const QMargins known = handle ? handle->frameMargins() : QMargins();
    const int border = std::max(style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth), 1);
    const int title = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight), 24);
    return QMargins(std::max(known.left(), border), std::max(known.top(), title + border),
                    std::max(known.right(), border), std::max(known.bottom(), border));
}

QRect Scoreboard::placeOnScreen(QRect frame, QScreen* target, QScreen* named) const
{
    // Stored places come from other setups: a monitor unplugged, a smaller
    // resolution, a hand-edited file. The window has to open wholly on one
    // screen with its title bar in reach, or the operator cannot move it.
    const QMargins margins = frameEstimate();
    QScreen* home = target;
    if (!home) {
        for (QScreen* s : QGuiApplication::screens()) {
            if (s->availableGeometry().contains(frame.marginsAdded(margins)))
                return frame;
        }
        home = named;
    }
    if (!home) {
        qint64 most = -1;
        for (QScreen* s : QGuiApplication::screens()) {
            const QRect common = s->availableGeometry() & frame;
            const qint64 area = common.isEmpty() ? 0 : qint64{common.width()} * common.height();
            if (area > most) {
                most = area;
                home = s;
            }
        }
    }
    if (!home)
        return frame;
    // As near to the stored place as the screen allows.
    return WindowPlacement::fitInto(frame, home->availableGeometry().marginsRemoved(margins),
                                    minimumSize());
}

void Scoreboard::showAsStored()
{
    // Shown normal first, so leaving full screen comes back to the stored
    // place and not to the whole screen.
    show();
    if (m_storedFullScreen)
        enterFullScreen();
}
