#include "ui/results/ResultsWindow.h"

#include "protocol/AtomicFile.h"
#include "protocol/ProtocolController.h"
#include "protocol/ProtocolPrinter.h"
#include "protocol/ResultsFiles.h"
#include "ui/results/ResultsTable.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include <string>

namespace {

const QString kGroup = QStringLiteral("Ergebnisliste");
const QString kGeometry = QStringLiteral("Geometrie");
const QString kPageName = QStringLiteral("Ergebnisse.html");

} // namespace

ResultsWindow::ResultsWindow(ProtocolController& protocol, std::function<int()> resolution,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_protocol(protocol), m_resolution(std::move(resolution))
{
    setWindowTitle(QStringLiteral("Ergebnisliste"));
    resize(560, 360);

    m_table = new QTableWidget(0, static_cast<int>(ResultsTable::headers().size()), this);
    m_table->setHorizontalHeaderLabels(ResultsTable::headers());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(0, Qt::AscendingOrder);

    m_status = new QLabel(this);
    m_status->hide();
    m_web = new QPushButton(QStringLiteral("Webseite"), this);
    m_web->setAutoDefault(false);
    connect(m_web, &QPushButton::clicked, this, &ResultsWindow::writeWebPage);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addStretch();
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

    // A loaded protocol arrives as one change, but a race writes a line at a
    // time and a replaced "Nr." line is two edits: read once per burst, after
    // the event loop has delivered it.
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &ResultsWindow::refresh);
    // The area's own signal: a large load gives it a new document.
    connect(m_protocol.memo().widget(), &QPlainTextEdit::textChanged, this,
            &ResultsWindow::scheduleRefresh);
}

ResultsWindow::~ResultsWindow() = default;

void ResultsWindow::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

void ResultsWindow::scheduleRefresh()
{
    m_stale = true;
    // A closed window reads nothing: a long race day is read once, when it
    // is opened.
    if (isVisible())
        m_refresh.start();
}

void ResultsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_placed = true;
    // The resolution may have changed while the window was closed.
    if (m_stale || m_shownResolution != m_resolution())
        refresh();
}

void ResultsWindow::refresh()
{
    m_refresh.stop();
    m_stale = false;
    const ProtocolMemo& memo = m_protocol.memo();
    const int count = memo.lineCount();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        lines.push_back(memo.line(i).toStdString());
    const Results::Protocol read = Results::read(lines);
    m_entries = Results::rank(read);
    m_shownResolution = m_resolution();
    ResultsTable::fill(*m_table, m_entries, m_shownResolution);
    m_status->setText(QStringLiteral("%1 Zeilen übersprungen").arg(read.skippedLines));
    m_status->setVisible(read.skippedLines > 0);
}

void ResultsWindow::showWriteError(const QString& path) const
{
    if (const auto& errorBox = m_protocol.services().errorBox)
        errorBox(QStringLiteral("Error"), QStringLiteral("Der Schreibfehler der Datei: ") + path);
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
    if (!AtomicFile::write(path, ResultsFiles::csv(m_entries, m_shownResolution),
                           services.fileWriter)
             .ok())
        showWriteError(path);
}

void ResultsWindow::print()
{
    if (ProtocolPrinter::printHtml(m_protocol.printer(),
                                   ResultsTable::printDocument(m_entries, m_shownResolution)))
        return;
    if (const auto& errorBox = m_protocol.services().errorBox)
        errorBox(m_protocol.services().title,
                 QStringLiteral("There is no default printer currently selected"));
}

void ResultsWindow::writeWebPage()
{
    // Beside the protocol's own page, wherever that lands.
    const QFileInfo protocolPage(m_protocol.resolve(m_protocol.pageFileName()));
    const QString path = protocolPage.absoluteDir().filePath(kPageName);
    const ProtocolServices& services = m_protocol.services();
    if (!AtomicFile::write(path, ResultsFiles::webPage(m_entries, m_shownResolution),
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
    // restoreGeometry brings a window whose screen is gone back onto one.
    if (!geometry.isEmpty() && restoreGeometry(geometry))
        m_placed = true;
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
