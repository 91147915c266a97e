// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/ResultsFeed.h"

#include "protocol/ProtocolMemo.h"

#include <QPlainTextEdit>

namespace {

// How long one turn of the event loop may read; the window answers keys in
// between. Checked every few hundred lines.
constexpr qint64 kSliceNs = 4'000'000;
constexpr int kLinesPerCheck = 256;

} // namespace

ResultsFeed::ResultsFeed(ProtocolMemo& memo, QObject* parent)
    : QObject(parent), m_memo(memo), m_serial(memo.changeSerial()),
      m_entries(std::make_shared<const EntryList::List>()),
      m_ranking(std::make_shared<const Results::Ranking>())
{
    // A race writes a line at a time and a replaced "Nr." line is two edits:
    // read once per burst, after the event loop has delivered it.
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &ResultsFeed::step);
    // For the area's own document, for a load still being built and for the
    // document that replaces it.
    connect(&m_memo, &ProtocolMemo::linesChanged, this, &ResultsFeed::protocolChanged);
}

ResultsFeed::~ResultsFeed() = default;

void ResultsFeed::acquire()
{
    // A window being opened shows a protocol of a few thousand lines at
    // once; a longer one follows slice by slice.
    if (m_holders++ == 0)
        step();
}

void ResultsFeed::release()
{
    if (m_holders > 0 && --m_holders == 0)
        m_next.stop();
}

bool ResultsFeed::isCurrent() const
{
    return !m_readerChanged && !m_memo.changesSince(m_serial) &&
           m_reader.linesRead() == static_cast<std::size_t>(m_memo.lineCount());
}

void ResultsFeed::catchUp()
{
    m_next.stop();
    readSlice(-1);
    publish();
}

void ResultsFeed::setEvent(std::shared_ptr<const EntryList::List> entries, Scoring::Rules rules)
{
    m_entries = entries ? std::move(entries) : std::make_shared<const EntryList::List>();
    m_rules = rules;
    // Nothing to read again: the same runs, scored anew.
    m_readerChanged = true;
    if (m_holders > 0 && !m_next.isActive())
        m_next.start();
}

void ResultsFeed::protocolChanged()
{
    if (m_holders > 0 && !m_next.isActive())
        m_next.start();
}

void ResultsFeed::step()
{
    if (m_holders == 0)
        return;
    if (readSlice(kSliceNs))
        publish();
    else
        m_next.start();
}

bool ResultsFeed::readSlice(qint64 budgetNs)
{
    if (const auto change = m_memo.changesSince(m_serial)) {
        m_serial = m_memo.changeSerial();
        if (static_cast<std::size_t>(change->firstLine) < m_reader.linesRead()) {
            m_reader.rewind(static_cast<std::size_t>(change->firstLine));
            m_readerChanged = true;
        }
    }
    const auto count = static_cast<std::size_t>(m_memo.lineCount());
    if (m_reader.linesRead() > count) {
        m_reader.rewind(count);
        m_readerChanged = true;
    }
    QElapsedTimer clock;
    clock.start();
    while (m_reader.linesRead() < count) {
        for (int i = 0; i < kLinesPerCheck && m_reader.linesRead() < count; ++i)
            m_reader.line(m_memo.line(static_cast<int>(m_reader.linesRead())).toStdString());
        m_readerChanged = true;
        if (budgetNs >= 0 && clock.nsecsElapsed() > budgetNs)
            break;
    }
    return m_reader.linesRead() == count;
}

void ResultsFeed::publish()
{
    if (!m_readerChanged)
        return;
    m_readerChanged = false;
    auto ranking = std::make_shared<Results::Ranking>();
    ranking->entries = Results::rank(m_reader);
    ranking->skippedLines = m_reader.skippedLines();
    ranking->rules = m_rules;
    ranking->scoring = !m_entries->empty() || !m_reader.corrections().empty() ||
                       m_rules.mode == Scoring::Mode::Sum;
    ranking->table = Scoring::score(m_reader, *m_entries, m_rules);
    m_ranking = std::move(ranking);
    emit rankingChanged(m_ranking);
}
