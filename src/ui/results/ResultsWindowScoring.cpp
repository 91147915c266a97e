// SPDX-License-Identifier: GPL-3.0-or-later
// The results list's part in scoring an event: its controls, the runs of the
// chosen competitor and the corrections written from them.
#include "ui/results/ResultsWindow.h"

#include "protocol/ProtocolAccess.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolServices.h"
#include "protocol/ProtocolText.h"
#include "protocol/ResultsSheet.h"
#include "ui/results/EventScoring.h"
#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

using CorrectionLines::Correction;
using CorrectionLines::RunStatus;

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// What the protocol file can hold: it is written in Windows-1252.
bool fitsProtocol(const QString& value)
{
    return ProtocolText::decodeCp1252(ProtocolText::encodeCp1252(value)) == value &&
           !value.contains(u'\n') && !value.contains(u'\r');
}

} // namespace

void ResultsWindow::attachEvent(EventScoring& event)
{
    if (m_event != nullptr)
        return;
    m_event = &event;
    buildScoring();
    // Room for the list above the runs; a stored place still wins.
    resize(std::max(width(), 680), std::max(height(), 560));
    connect(&event, &EventScoring::classFilterChanged, this, [this](const QString& klass) {
        m_model->setClassFilter(klass);
        fillClasses();
        scheduleRefresh();
    });
    m_model->setClassFilter(event.classFilter());
}

void ResultsWindow::buildScoring()
{
    m_scoringBar = new QWidget(this);
    // Two short rows rather than one long one: the list stays as narrow as
    // the operator had it before there was anything to score.
    auto* rows = new QVBoxLayout(m_scoringBar);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);
    m_classBox = new QComboBox(m_scoringBar);
    m_classBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_modeBox = new QComboBox(m_scoringBar);
    m_modeBox->addItems({QStringLiteral("Bestzeit"), QStringLiteral("Summe")});
    m_runsCountedBox = new QSpinBox(m_scoringBar);
    m_runsCountedBox->setRange(1, Scoring::kMaxRunsCounted);
    m_penaltyBox = new QDoubleSpinBox(m_scoringBar);
    m_penaltyBox->setLocale(QLocale(QLocale::German, QLocale::Germany));
    m_penaltyBox->setRange(0.0, 999.99);
    m_penaltyBox->setDecimals(2);
    m_penaltyBox->setSuffix(QStringLiteral(" s"));
    m_entryListButton = new QPushButton(QStringLiteral("Nennliste…"), m_scoringBar);
    m_entryListButton->setAutoDefault(false);
    first->addWidget(new QLabel(QStringLiteral("Klasse:"), m_scoringBar));
    first->addWidget(m_classBox);
    first->addStretch();
    first->addWidget(m_entryListButton);
    second->addWidget(new QLabel(QStringLiteral("Wertung:"), m_scoringBar));
    second->addWidget(m_modeBox);
    second->addWidget(new QLabel(QStringLiteral("Läufe:"), m_scoringBar));
    second->addWidget(m_runsCountedBox);
    second->addSpacing(8);
    second->addWidget(new QLabel(QStringLiteral("Strafe je Einheit:"), m_scoringBar));
    second->addWidget(m_penaltyBox);
    second->addStretch();

    const Scoring::Rules& rules = m_event->rules();
    m_modeBox->setCurrentIndex(rules.mode == Scoring::Mode::Sum ? 1 : 0);
    m_runsCountedBox->setValue(rules.runsCounted);
    m_runsCountedBox->setEnabled(rules.mode == Scoring::Mode::Sum);
    m_penaltyBox->setValue(rules.penaltyMs / 1000.0);
    connect(m_modeBox, &QComboBox::currentIndexChanged, this, &ResultsWindow::rulesEdited);
    connect(m_runsCountedBox, &QSpinBox::valueChanged, this, &ResultsWindow::rulesEdited);
    connect(m_penaltyBox, &QDoubleSpinBox::valueChanged, this, &ResultsWindow::rulesEdited);
    connect(m_classBox, &QComboBox::activated, this, [this](int index) {
        m_event->setClassFilter(index <= 0 ? QString() : m_classBox->itemText(index));
    });
    connect(m_entryListButton, &QPushButton::clicked, this, &ResultsWindow::entryListRequested);

    m_runsTitle = new QLabel(this);
    m_runsTable = new QTableWidget(0, 6, this);
    m_runsTable->setHorizontalHeaderLabels({QStringLiteral("Lauf"), QStringLiteral("Start"),
                                            QStringLiteral("Zeit"), QStringLiteral("Strafe"),
                                            QStringLiteral("Gesamt"), QStringLiteral("Wertung")});
    m_runsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_runsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_runsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_runsTable->verticalHeader()->hide();
    m_runsTable->horizontalHeader()->setStretchLastSection(true);
    m_runsTable->setMaximumHeight(130);
    m_runsTable->setMinimumHeight(60);
    connect(m_runsTable, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (m_showingRuns)
            return;
        const Scoring::Competitor* competitor = selectedCompetitor();
        if (competitor != nullptr && row >= 0 && row < static_cast<int>(competitor->runs.size())) {
            const Scoring::RunScore& run = competitor->runs[static_cast<std::size_t>(row)];
            m_chosenRun = {run.name, run.startOfDay};
        }
    });

    auto* layout = qobject_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(0, m_scoringBar);
    layout->insertWidget(2, m_runsTitle);
    layout->insertWidget(3, m_runsTable);

    const auto add = [this](const QString& label, const QKeySequence& key, auto slot) {
        auto* action = new QAction(label, this);
        // Shown in the menu; the tables take the key themselves (eventFilter),
        // as a table would otherwise keep it for its keyboard search.
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        m_corrections.append(action);
        return action;
    };
    add(QStringLiteral("+1 Strafe"), QKeySequence(Qt::Key_Plus),
        [this] { correct(Correction::penalty(+1)); });
    add(QStringLiteral("−1 Strafe"), QKeySequence(Qt::Key_Minus),
        [this] { correct(Correction::penalty(-1)); });
    for (const RunStatus status :
         {RunStatus::Rated, RunStatus::Retired, RunStatus::Disqualified, RunStatus::NotStarted}) {
        QString label = QString::fromUtf8(CorrectionLines::statusText(status));
        label[0] = label[0].toUpper();
        add(label, {}, [this, status] { correct(Correction::setStatus(status)); });
    }
    m_strike = add(QStringLiteral("Lauf streichen"), {}, [this] {
        const Scoring::RunScore* run = targetRun();
        correct(Correction::strike(run == nullptr || !run->struck));
    });
    add(QStringLiteral("Lauf zuordnen …"), {}, [this] { assignRun(); });

    for (QWidget* table : {static_cast<QWidget*>(m_table), static_cast<QWidget*>(m_runsTable)}) {
        table->installEventFilter(this);
        qobject_cast<QAbstractScrollArea*>(table)->viewport()->installEventFilter(this);
        table->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(table, &QWidget::customContextMenuRequested, this,
                [this, table](const QPoint& position) { openCorrectionMenu(table, position); });
    }
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ResultsWindow::competitorChosen);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        // The model reset dropped the selection model's connection target.
        connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &ResultsWindow::competitorChosen, Qt::UniqueConnection);
    });
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu && m_runsTable != nullptr &&
        (watched == m_table->viewport() || watched == m_runsTable->viewport())) {
        m_menuByMouse =
            static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse;
    }
    const bool table = m_runsTable != nullptr && (watched == m_table || watched == m_runsTable);
    if (table && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // "+" needs Shift on many keyboards; Ctrl and Alt are other commands.
        const bool plain = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
        if (plain && (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus)) {
            correct(Correction::penalty(key->key() == Qt::Key_Plus ? +1 : -1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ResultsWindow::rulesEdited()
{
    const bool sum = m_modeBox->currentIndex() == 1;
    m_runsCountedBox->setEnabled(sum);
    Scoring::Rules rules;
    rules.mode = sum ? Scoring::Mode::Sum : Scoring::Mode::BestTime;
    rules.runsCounted = m_runsCountedBox->value();
    rules.penaltyMs = static_cast<std::int32_t>(std::lround(m_penaltyBox->value() * 1000.0));
    m_event->setRules(rules);
}

void ResultsWindow::fillClasses()
{
    if (m_classBox == nullptr)
        return;
    QStringList classes{QStringLiteral("Alle Klassen")};
    for (const Scoring::Group& group : m_model->ranking().table.groups)
        if (!group.title.empty())
            classes.append(text(group.title));
    const QString chosen = m_event->classFilter();
    if (!chosen.isEmpty() && !classes.contains(chosen))
        classes.append(chosen);
    QStringList shown;
    for (int i = 0; i < m_classBox->count(); ++i)
        shown.append(m_classBox->itemText(i));
    if (shown != classes) {
        m_classBox->clear();
        m_classBox->addItems(classes);
    }
    m_classBox->setCurrentIndex(chosen.isEmpty() ? 0 : static_cast<int>(classes.indexOf(chosen)));
}

const Scoring::Competitor* ResultsWindow::selectedCompetitor() const
{
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? m_model->competitorAt(current.row()) : nullptr;
}

void ResultsWindow::competitorChosen()
{
    const Scoring::Competitor* competitor = selectedCompetitor();
    const std::string chosen = competitor != nullptr ? competitor->text : std::string();
    if (chosen != m_chosenCompetitor) {
        m_chosenCompetitor = chosen;
        m_chosenRun = {};
    }
    showRuns();
}

void ResultsWindow::showRuns()
{
    if (m_runsTable == nullptr)
        return;
    m_showingRuns = true;
    const Scoring::Competitor* competitor = selectedCompetitor();
    m_runsTable->setRowCount(0);
    if (competitor == nullptr) {
        m_runsTitle->setText(QStringLiteral("Läufe: bitte einen Teilnehmer wählen"));
        m_showingRuns = false;
        return;
    }
    m_runsTitle->setText(
        QStringLiteral("Läufe von %1").arg(ResultsSheet::displayName(*competitor)));
    const int resolution = m_model->resolution();
    int chosen = -1;
    int latestFinished = -1;
    m_runsTable->setRowCount(static_cast<int>(competitor->runs.size()));
    for (int row = 0; row < static_cast<int>(competitor->runs.size()); ++row) {
        const Scoring::RunScore& run = competitor->runs[static_cast<std::size_t>(row)];
        QString status = run.struck ? QStringLiteral("gestrichen")
                                    : QString::fromUtf8(CorrectionLines::statusText(run.status));
        if (run.name != competitor->text)
            status += QStringLiteral(" (von %1)").arg(text(run.name));
        const QStringList cells = {
            QString::number(row + 1),
            text(run.startOfDay),
            run.rawMs ? ResultsSheet::timeText(*run.rawMs, resolution) : QStringLiteral("–"),
            run.penaltyMs > 0 ? ResultsSheet::gapText(run.penaltyMs, resolution) : QString(),
            run.timeMs ? ResultsSheet::timeText(*run.timeMs, resolution) : QString(),
            status};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (run.struck) {
                // The time stays readable, struck through: it counts for nothing.
                QFont font = item->font();
                font.setStrikeOut(true);
                item->setFont(font);
            }
            m_runsTable->setItem(row, column, item);
        }
        if (run.rawMs)
            latestFinished = row;
        if (run.name == m_chosenRun.first && run.startOfDay == m_chosenRun.second)
            chosen = row;
    }
    if (chosen < 0)
        chosen = latestFinished >= 0 ? latestFinished : m_runsTable->rowCount() - 1;
    if (chosen >= 0)
        m_runsTable->selectRow(chosen);
    m_showingRuns = false;
}

const Scoring::RunScore* ResultsWindow::targetRun() const
{
    const Scoring::Competitor* competitor = selectedCompetitor();
    if (competitor == nullptr || m_runsTable == nullptr)
        return nullptr;
    const int row = m_runsTable->currentRow();
    if (row < 0 || row >= static_cast<int>(competitor->runs.size()))
        return nullptr;
    return &competitor->runs[static_cast<std::size_t>(row)];
}

void ResultsWindow::correct(const Correction& correction)
{
    const Scoring::RunScore* run = targetRun();
    if (run == nullptr) {
        QApplication::beep();
        return;
    }
    m_chosenRun = {run->name, run->startOfDay};
    const auto line = CorrectionLines::line(correction, run->startOfDay, run->name);
    if (!line) {
        QApplication::beep();
        return;
    }
    // Through the protocol like a race's own lines: the crash copy, the
    // files and the printout all keep it, and the feed reads it back.
    m_protocol.memo().appendLine(text(*line));
    if (correction.op == CorrectionLines::Op::Assign)
        m_chosenCompetitor = correction.target;
}

void ResultsWindow::assignRun()
{
    const Scoring::RunScore* run = targetRun();
    const Scoring::Competitor* competitor = selectedCompetitor();
    if (run == nullptr || competitor == nullptr) {
        QApplication::beep();
        return;
    }
    const QString current = text(competitor->text);
    std::optional<QString> answer;
    if (m_askCompetitor) {
        answer = m_askCompetitor(current);
    } else {
        bool ok = false;
        const QString typed =
            QInputDialog::getText(this, QStringLiteral("Lauf zuordnen"),
                                  QStringLiteral("Nr./Name:"), QLineEdit::Normal, current, &ok);
        if (ok)
            answer = typed;
    }
    if (!answer)
        return;
    const QString target = answer->trimmed();
    if (target.isEmpty() || target == current)
        return;
    if (!fitsProtocol(target)) {
        if (const auto& errorBox = m_protocol.services().errorBox)
            errorBox(QStringLiteral("Lauf zuordnen"),
                     QStringLiteral("Nr./Name darf nur Zeichen enthalten, die das Protokoll "
                                    "speichern kann."));
        return;
    }
    correct(Correction::assign(target.toStdString()));
}

void ResultsWindow::openCorrectionMenu(QWidget* from, const QPoint& requested)
{
    // A right click chooses the row under the mouse; the menu key keeps the
    // chosen one and opens the menu beside it.
    QPoint position = requested;
    const bool byMouse = m_menuByMouse;
    auto* view = qobject_cast<QAbstractItemView*>(from);
    if (byMouse) {
        const QModelIndex at = view->indexAt(position);
        if (at.isValid() && from == m_table)
            m_table->setCurrentIndex(at);
        else if (at.isValid())
            m_runsTable->selectRow(at.row());
    } else if (view->currentIndex().isValid()) {
        position = view->visualRect(view->currentIndex()).center();
    }
    const Scoring::RunScore* run = targetRun();
    if (run == nullptr)
        return;
    m_strike->setText(run->struck ? QStringLiteral("Streichung aufheben")
                                  : QStringLiteral("Lauf streichen"));
    QMenu menu(this);
    QAction* title = menu.addAction(QStringLiteral("Lauf %1, Start %2")
                                        .arg(m_runsTable->currentRow() + 1)
                                        .arg(text(run->startOfDay)));
    title->setEnabled(false);
    menu.addSeparator();
    for (qsizetype i = 0; i < m_corrections.size(); ++i) {
        if (i == 2 || i == 6)
            menu.addSeparator();
        menu.addAction(m_corrections[i]);
    }
    menu.exec(view->viewport()->mapToGlobal(position));
}
