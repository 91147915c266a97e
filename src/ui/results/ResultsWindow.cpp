#include "ui/results/ResultsWindow.h"

#include "help/WindowPlacement.h"
#include "protocol/AtomicFile.h"
#include "protocol/ProtocolAccess.h"
#include "protocol/ProtocolPrinter.h"
#include "protocol/ResultsFiles.h"
#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsModel.h"
#include "ui/results/ResultsTable.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace {

const QString kGroup = QStringLiteral("Ergebnisliste");
const QString kGeometry = QStringLiteral("Geometrie");
const QString kPageName = QStringLiteral("Ergebnisse.html");

} // namespace

ResultsWindow::ResultsWindow(ProtocolAccess& protocol, ResultsFeed& feed,
                             std::function<int()> resolution, QWidget* parent)
    : ResultsWindow(protocol, &feed, std::move(resolution), parent)
{
}

ResultsWindow::ResultsWindow(ProtocolAccess& protocol, std::function<int()> resolution,
                             QWidget* parent)
    : ResultsWindow(protocol, nullptr, std::move(resolution), parent)
{
}

ResultsWindow::ResultsWindow(ProtocolAccess& protocol, ResultsFeed* feed,
                             std::function<int()> resolution, QWidget* parent)
    : QWidget(parent, Qt::Window), m_protocol(protocol),
      m_feed(feed ? *feed : *new ResultsFeed(protocol.memo(), this)),
      m_resolution(std::move(resolution))
{
    setWindowTitle(QStringLiteral("Ergebnisliste"));
    resize(560, 360);

    m_model = new ResultsModel(this);
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    // Measuring the columns' contents would visit every row on every change;
    // the widths come from the longest texts instead (fitColumns).
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(0, Qt::AscendingOrder);

    m_status = new QLabel(this);
    m_status->hide();
    m_web = new QPushButton(QStringLiteral("Webseite"), this);
    m_web->setAutoDefault(false);
    connect(m_web, &QPushButton::clicked, this, &ResultsWindow::writeWebPage);
    m_live = new QPushButton(QStringLiteral("Live im Netz…"), this);
    m_live->setAutoDefault(false);
    connect(m_live, &QPushButton::clicked, this, &ResultsWindow::liveRequested);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addStretch();
    bottom->addWidget(m_live);
    bottom->addWidget(m_web);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);

    m_save = new QAction(QStringLiteral("Speichern"), this);
    m_save->setShortcut(Qt::CTRL | Qt::Key_S);
    connect(m_save, &QAction::triggered, this, &ResultsWindow::saveCsv);
    m_print = new QAction(QStringLiteral("Drucken"), this);
    m_print->setShortcut(Qt::CTRL | Qt::Key_P);
    connect(m_print, &QAction::triggered, this, &ResultsWindow::print);
    for (QAction* action : {m_save, m_print}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    connect(&m_feed, &ResultsFeed::rankingChanged, this,
            [this](std::shared_ptr<const Results::Ranking> ranking) {
                if (isVisible())
                    show(std::move(ranking));
            });
    fitColumns();
}

ResultsWindow::~ResultsWindow() = default;

const std::vector<Results::Entry>& ResultsWindow::entries() const
{
    return m_model->entries();
}

int ResultsWindow::rowCount() const
{
    return m_model->rowCount();
}

QString ResultsWindow::cellText(int row, int column) const
{
    return m_model->index(row, column).data().toString();
}

void ResultsWindow::showAndRaise()
{
    QWidget::show();
    raise();
    activateWindow();
}

void ResultsWindow::scheduleRefresh()
{
    // A closed window catches up when it is opened.
    if (isVisible())
        show(m_feed.ranking());
}

void ResultsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_placed = true;
    // A closed window reads nothing: a long race day is read once it is
    // opened. What the feed has meanwhile is shown at once.
    if (!event->spontaneous()) {
        m_feed.acquire();
        show(m_feed.ranking());
    }
}

void ResultsWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_feed.release();
}

void ResultsWindow::show(std::shared_ptr<const Results::Ranking> ranking)
{
    const int skipped = ranking->skippedLines;
    const bool sortable = !ranking->scoring;
    m_model->setRanking(std::move(ranking), m_resolution());
    if (m_table->isSortingEnabled() != sortable)
        m_table->setSortingEnabled(sortable);
    m_table->clearSpans();
    for (int row = 0; m_model->isScoring() && row < m_model->rowCount(); ++row)
        if (m_model->isHeading(row))
            m_table->setSpan(row, 0, 1, m_model->columnCount());
    if (m_event != nullptr) {
        fillClasses();
        // The same competitor stays chosen whatever the new ranking moved.
        const int row = m_model->rowOf(m_chosenCompetitor);
        if (row >= 0)
            m_table->setCurrentIndex(m_model->index(row, 0));
        showRuns();
    }
    m_status->setText(QStringLiteral("%1 Zeilen übersprungen").arg(skipped));
    m_status->setVisible(skipped > 0);
    fitColumns();
}

void ResultsWindow::fitColumns()
{
    // Only when a longest text changes, so a race's every line does not lay
    // the table out anew.
    const QStringList widest = m_model->widestTexts();
    if (widest == m_fittedTo)
        return;
    m_fittedTo = widest;
    QHeaderView* header = m_table->horizontalHeader();
    const QFontMetrics metrics(m_table->font());
    // What a cell adds around its text: the focus frame's margin on each side.
    const int margin =
        2 * (m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 1);
    for (int column = 0; column < widest.size(); ++column) {
        if (header->sectionResizeMode(column) == QHeaderView::Stretch)
            continue;
        const int text = metrics.horizontalAdvance(widest[column]) + margin;
        header->resizeSection(column, std::max(header->sectionSizeHint(column), text));
    }
}

void ResultsWindow::showWriteError(const QString& path) const
{
    if (const auto& errorBox = m_protocol.services().errorBox)
        errorBox(QStringLiteral("Error"), QStringLiteral("Der Schreibfehler der Datei: ") + path);
}

ResultsSheet::Sheet ResultsWindow::shownSheet() const
{
    // The files hold what the list shows: its class, its rule, its resolution.
    const Results::Ranking& ranking = m_model->ranking();
    ResultsSheet::Options options;
    options.resolution = m_model->resolution();
    options.scoring = ranking.scoring;
    options.mode = ranking.rules.mode;
    options.classFilter = m_model->classFilter();
    return ResultsSheet::make(ranking.table, options);
}

void ResultsWindow::saveCsv()
{
    const ProtocolServices& services = m_protocol.services();
    if (!services.saveDialog)
        return;
    SaveDialogRequest request;
    request.folder = m_protocol.dialogFolder();
    request.fileName = QStringLiteral("Ergebnisse");
    request.filters = {QStringLiteral("CSV-Datei (*.csv)")};
    const auto choice = services.saveDialog(request);
    if (!choice)
        return;
    const QString path = m_protocol.resolve(choice->fileName);
    if (!AtomicFile::write(path, ResultsFiles::csv(shownSheet(), m_model->resolution()),
                           services.fileWriter)
             .ok())
        showWriteError(path);
}

void ResultsWindow::print()
{
    if (ProtocolPrinter::printHtml(m_protocol.printer(), ResultsTable::printDocument(shownSheet())))
        return;
    if (const auto& errorBox = m_protocol.services().errorBox)
        errorBox(m_protocol.services().title, QStringLiteral("Es ist kein Drucker eingerichtet."));
}

void ResultsWindow::writeWebPage()
{
    // Beside the protocol's own page, wherever that lands.
    const QFileInfo protocolPage(m_protocol.resolve(m_protocol.pageFileName()));
    const QString path = protocolPage.absoluteDir().filePath(kPageName);
    const ProtocolServices& services = m_protocol.services();
    if (!AtomicFile::write(path, ResultsFiles::webPage(shownSheet(), m_model->resolution()),
                           services.fileWriter)
             .ok()) {
        showWriteError(path);
        return;
    }
    if (services.openUrl)
        services.openUrl(QUrl::fromLocalFile(path));
}

void ResultsWindow::restoreSettings(QSettings& settings)
{
    settings.beginGroup(kGroup);
    const QByteArray geometry = settings.value(kGeometry).toByteArray();
    settings.endGroup();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        return;
    m_placed = true;
    // restoreGeometry brings a window whose screen is gone back onto one, but
    // keeps a size no screen has, whose surface would cost gigabytes and many
    // seconds when shown: the window gets the screen's size at most, and a
    // place on it.
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frameExtra = frameGeometry().size() - size();
    const QSize room = available.size() - frameExtra;
    if (size().boundedTo(room) != size())
        resize(
            WindowPlacement::fitted(size(), room, minimumSizeHint()).boundedTo(available.size()));
    const QRect placed = frameGeometry();
    const QPoint topLeft = WindowPlacement::keptInside(placed, available).topLeft();
    if (topLeft != placed.topLeft())
        move(topLeft);
}

void ResultsWindow::saveSettings(QSettings& settings) const
{
    if (!m_placed)
        return;
    settings.beginGroup(kGroup);
    settings.setValue(kGeometry, saveGeometry());
    settings.endGroup();
    settings.sync();
}
