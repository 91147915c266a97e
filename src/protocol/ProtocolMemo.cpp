#include "protocol/ProtocolMemo.h"

#include "protocol/ProtocolJournal.h"
#include "protocol/ProtocolText.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <algorithm>

namespace {

// The document splits inserted text at every kind of break itself; handing it
// "\n" only keeps the block structure identical to the pure text model.
QString unified(const QString& lineText)
{
    QString copy = lineText;
    copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    copy.replace(u'\r', u'\n');
    copy.replace(QChar::ParagraphSeparator, u'\n');
    copy.replace(QChar::LineSeparator, u'\n');
    return copy;
}

int documentLineCount(const QTextDocument* doc)
{
    const int blocks = doc->blockCount();
    return doc->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

QTextCursor appendTo(QTextDocument* doc, const QString& lineText)
{
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    // For a change that ends in a line break the area's layout has all it
    // shows repainted, and a line of megabytes in view is drawn anew, whole,
    // for every line appended. Only the lines that changed are repainted.
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const int first = cursor.blockNumber();
    {
        const QSignalBlocker quiet(layout);
        cursor.beginEditBlock();
        if (cursor.block().length() > 1)
            cursor.insertText(QStringLiteral("\n"));
        cursor.insertText(unified(lineText) + u'\n');
        cursor.endEditBlock();
    }
    emit layout->documentSizeChanged(layout->documentSize());
    for (QTextBlock block = doc->findBlockByNumber(first); block.isValid(); block = block.next())
        emit layout->updateBlock(block);
    return cursor;
}

void replaceIn(QTextDocument* doc, int index, const QString& lineText)
{
    if (index < 0 || index >= documentLineCount(doc))
        return;
    // STOPP usually writes its "Nr." line back unchanged; an unchanged line
    // is no change, and the crash copy need not be touched for it.
    const QTextBlock block = doc->findBlockByNumber(index);
    const QString text = unified(lineText);
    if (block.text() == text)
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

} // namespace

// A load whose document is still being built: its text with the changes made
// since, each also kept to be applied to the document once it arrives.
struct ProtocolMemo::Pending
{
    struct Change
    {
        int index; // -1 appends
        QString text;
    };

    QString text;
    // Where each line starts, so that START and STOPP find their lines in a
    // text of many megabytes without scanning it.
    std::vector<qsizetype> starts;
    std::vector<Change> changes;

    // The first `keep` lines still start where they did.
    void index(std::size_t keep)
    {
        starts.resize(std::min(keep, starts.size()));
        qsizetype pos = starts.empty() ? 0 : starts.back();
        if (starts.empty() && !text.isEmpty())
            starts.push_back(0);
        while ((pos = text.indexOf(u'\n', pos)) >= 0) {
            if (++pos < text.size())
                starts.push_back(pos);
        }
    }
    int lineCount() const { return static_cast<int>(starts.size()); }
    qsizetype lineEnd(int i) const
    {
        const auto next = static_cast<std::size_t>(i) + 1;
        if (next < starts.size())
            return starts[next] - 1;
        return text.endsWith(u'\n') ? text.size() - 1 : text.size();
    }
    QString line(int i) const
    {
        const qsizetype start = starts[static_cast<std::size_t>(i)];
        return text.mid(start, lineEnd(i) - start);
    }
};

// A finished document on its way to the window; one that never gets there
// (a newer load, the window gone) is freed with its last reference.
struct ProtocolMemo::Built
{
    std::unique_ptr<QTextDocument> document;
};

ProtocolMemo::ProtocolMemo(QPlainTextEdit* memo) : m_memo(memo), m_receiver(new QObject)
{
    followDocument();
    // The area says so for every document it shows, whoever changed it.
    connect(m_memo, &QPlainTextEdit::textChanged, this, &ProtocolMemo::linesChanged);
}

void ProtocolMemo::followDocument()
{
    QObject::disconnect(m_documentChanges);
    m_documentChanges =
        QObject::connect(m_memo->document(), &QTextDocument::contentsChange, m_receiver.get(),
                         [this](int position, int removed, int added) {
                             documentChanged(position, removed, added);
                         });
}

void ProtocolMemo::documentChanged(int position, int charsRemoved, int charsAdded)
{
    // While a load is built, the lines are the loaded text's, not the area's.
    if (m_pending || !m_memo)
        return;
    Q_UNUSED(charsRemoved);
    const QTextDocument* doc = m_memo->document();
    const int firstLine = std::max(0, doc->findBlock(position).blockNumber());
    noteChange(firstLine, position == 0 && charsAdded >= doc->characterCount() - 1);
}

void ProtocolMemo::noteChange(int firstLine, bool whole)
{
    // Enough for every reader that follows the area's signals; one that
    // falls further behind reads everything again.
    constexpr std::size_t kKept = 256;
    m_changes.emplace_back(++m_serial, LineChange{firstLine, whole});
    if (m_changes.size() > kKept)
        m_changes.pop_front();
}

std::optional<ProtocolMemo::LineChange> ProtocolMemo::changesSince(quint64 serial) const
{
    if (serial >= m_serial)
        return std::nullopt;
    if (m_changes.empty() || serial + 1 < m_changes.front().first)
        return LineChange{0, true};
    LineChange since{lineCount(), false};
    for (auto it = m_changes.rbegin(); it != m_changes.rend() && it->first > serial; ++it) {
        since.firstLine = std::min(since.firstLine, it->second.firstLine);
        since.whole = since.whole || it->second.whole;
    }
    return since;
}

ProtocolMemo::~ProtocolMemo()
{
    waitForWorkers();
}

void ProtocolMemo::waitForWorkers()
{
    for (const QPointer<QThread>& worker : m_workers) {
        if (worker) {
            worker->wait();
            delete worker.data();
        }
    }
    m_workers.clear();
}

bool ProtocolMemo::isSettled() const
{
    // A worker is gone only after its document has been delivered.
    return !m_pending && std::all_of(m_workers.begin(), m_workers.end(),
                                     [](const QPointer<QThread>& w) { return w.isNull(); });
}

QString ProtocolMemo::text() const
{
    if (m_pending)
        return m_pending->text;
    // toPlainText() would turn no-break spaces into blanks and change the
    // bytes of a loaded file on the next save.
    QString raw = m_memo->document()->toRawText();
    for (QChar& c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return raw;
}

QByteArray ProtocolMemo::fileBytes() const
{
    // The encoder takes the document's own separators as breaks.
    return ProtocolText::toFileBytes(m_pending ? m_pending->text : m_memo->document()->toRawText());
}

bool ProtocolMemo::isEmpty() const
{
    if (m_pending)
        return m_pending->text.isEmpty();
    return m_memo->document()->characterCount() <= 1;
}

void ProtocolMemo::setText(const QString& text)
{
    loadText(ProtocolText::normaliseBreaks(text), false);
}

void ProtocolMemo::loadText(const QString& text, bool inBackground)
{
    if (inBackground) {
        startBuilding(text);
        return;
    }
    if (m_pending) {
        // Whatever is still being built is older than this text. The crash
        // copy sees the protocol emptied first, as with every replacement,
        // and then follows the area's document again.
        ++m_generation;
        const auto length = static_cast<int>(m_pending->text.size());
        m_pending->text.clear();
        m_pending->starts.clear();
        if (m_journal) {
            m_journal->contentsChange(0, length, 0);
            m_journal->followDocument();
        }
        m_pending.reset();
    }
    m_memo->setPlainText(text);
    noteChange(0, true);
    m_memo->moveCursor(QTextCursor::End);
    m_memo->ensureCursorVisible();
}

void ProtocolMemo::startBuilding(const QString& text)
{
    const int oldLength = m_pending ? static_cast<int>(m_pending->text.size())
                                    : m_memo->document()->characterCount() - 1;
    if (!m_pending) {
        m_pending = std::make_unique<Pending>();
        if (m_journal)
            m_journal->followText(&m_pending->text);
    }
    // Emptied first, so the crash copy of what was there stays as it is and
    // the loaded text goes to a fresh one, as when it is set at once.
    m_pending->text.clear();
    m_pending->starts.clear();
    m_pending->changes.clear();
    if (oldLength > 0)
        changed(0, oldLength, 0);
    m_pending->text = text;
    m_pending->index(0);
    changed(0, 0, static_cast<int>(text.size()));

    // A document that no window shows yet is plain data, so it can be filled
    // away from the window and handed over complete; the window then only
    // swaps it in.
    const int generation = ++m_generation;
    QObject* receiver = m_receiver.get();
    QThread* window = receiver->thread();
    const qreal margin = m_memo->document()->documentMargin();
    // The worker gets data of its own: a copy shared with this thread would be
    // freed by whichever side lets go of it last.
    QThread* worker =
        QThread::create([this, copy = QString(text.constData(), text.size()),
                         font = m_memo->font().toString(), generation, receiver, window, margin] {
            auto built = std::make_shared<Built>();
            QTextDocument* doc = new QTextDocument;
            built->document.reset(doc);
            doc->setUndoRedoEnabled(false);
            QFont defaultFont;
            defaultFont.fromString(font);
            doc->setDefaultFont(defaultFont);
            doc->setDocumentMargin(margin);
            QTextCursor(doc).insertText(copy);
            // The area lays out its document anew when it gets it and creates a
            // layout for every line then, unless the line has one already.
            doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
            for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
                block.layout();
            doc->moveToThread(window);
            QMetaObject::invokeMethod(
                receiver,
                [this, built, generation] {
                    if (generation == m_generation)
                        show(std::move(built->document));
                    else
                        dispose(built->document.release());
                },
                Qt::QueuedConnection);
        });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    std::erase_if(m_workers, [](const QPointer<QThread>& w) { return w.isNull(); });
    m_workers.emplace_back(worker);
    worker->start();
}

void ProtocolMemo::show(std::unique_ptr<QTextDocument> document)
{
    if (!m_memo || !m_pending) {
        dispose(document.release());
        return;
    }
    QTextDocument* old = m_memo->document();
    for (const Pending::Change& change : m_pending->changes) {
        if (change.index < 0)
            appendTo(document.get(), change.text);
        else
            replaceIn(document.get(), change.index, change.text);
    }
    // What the area set on its document carries over (set while it was built
    // unless it changed since: on a laid-out document each is a pass over all
    // of it); wrapping and read-only state are the area's own.
    if (document->defaultFont() != m_memo->font())
        document->setDefaultFont(m_memo->font());
    if (document->documentMargin() != old->documentMargin())
        document->setDocumentMargin(old->documentMargin());
    document->setUndoRedoEnabled(old->isUndoRedoEnabled());
    document->setParent(m_memo);
    // The area would delete a document it owns right away, which takes as
    // long as building it; that is done away from the window instead.
    old->setParent(nullptr);
    m_memo->setDocument(document.release());
    m_pending.reset();
    followDocument();
    if (m_journal)
        m_journal->followDocument();
    m_memo->moveCursor(QTextCursor::End);
    m_memo->ensureCursorVisible();
    // Swapping in a document changes no text of the area's own.
    emit linesChanged();
    dispose(old);
}

void ProtocolMemo::dispose(QTextDocument* document)
{
    document->setParent(nullptr);
    QThread* worker = QThread::create([document] { delete document; });
    document->moveToThread(worker);
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    std::erase_if(m_workers, [](const QPointer<QThread>& w) { return w.isNull(); });
    m_workers.emplace_back(worker);
    worker->start();
}

void ProtocolMemo::changed(int position, int charsRemoved, int charsAdded)
{
    const auto& starts = m_pending->starts;
    const auto after = std::upper_bound(starts.begin(), starts.end(), qsizetype{position});
    noteChange(static_cast<int>(std::max<std::ptrdiff_t>(0, after - starts.begin() - 1)),
               position == 0 && charsAdded >= m_pending->text.size());
    if (m_journal)
        m_journal->contentsChange(position, charsRemoved, charsAdded);
    // The area's document does not change until the load is shown.
    emit linesChanged();
}

int ProtocolMemo::lineCount() const
{
    if (m_pending)
        return m_pending->lineCount();
    return documentLineCount(m_memo->document());
}

QString ProtocolMemo::line(int index) const
{
    if (index < 0 || index >= lineCount())
        return {};
    if (m_pending)
        return m_pending->line(index);
    return m_memo->document()->findBlockByNumber(index).text();
}

void ProtocolMemo::appendLine(const QString& lineText)
{
    if (m_pending) {
        const qsizetype before = m_pending->text.size();
        const auto lines = static_cast<std::size_t>(m_pending->lineCount());
        ProtocolText::appendLine(m_pending->text, lineText);
        m_pending->index(lines);
        m_pending->changes.push_back({-1, lineText});
        changed(static_cast<int>(before), 0, static_cast<int>(m_pending->text.size() - before));
        return;
    }
    m_memo->setTextCursor(appendTo(m_memo->document(), lineText));
    m_memo->ensureCursorVisible();
    // The caret sits at the start of the new empty line; keep the lines'
    // beginnings in view, a narrow window would otherwise show only their tails.
    m_memo->horizontalScrollBar()->setValue(0);
}

void ProtocolMemo::replaceLine(int index, const QString& lineText)
{
    if (!m_pending) {
        replaceIn(m_memo->document(), index, lineText);
        return;
    }
    if (index < 0 || index >= lineCount())
        return;
    const QString text = unified(lineText);
    const qsizetype start = m_pending->starts[static_cast<std::size_t>(index)];
    const qsizetype oldLength = m_pending->lineEnd(index) - start;
    if (QStringView(m_pending->text).mid(start, oldLength) == text)
        return;
    ProtocolText::replaceLine(m_pending->text, index, text);
    m_pending->index(static_cast<std::size_t>(index) + 1);
    m_pending->changes.push_back({index, lineText});
    changed(static_cast<int>(start), static_cast<int>(oldLength), static_cast<int>(text.size()));
}
