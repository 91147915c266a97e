// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/EventScoring.h"

#include "protocol/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("Wertung");

} // namespace

EventScoring::EventScoring(QString dataFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(dataFolder)),
      m_entries(std::make_shared<const EntryList::List>())
{
}

QString EventScoring::filePath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(QString::fromLatin1(kFileName));
}

EntryList::Import EventScoring::loadStored()
{
    QFile file(filePath());
    if (filePath().isEmpty() || !file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        EntryList::Import failed;
        failed.refused = true;
        failed.problems.push_back({0, file.errorString().toStdString()});
        return failed;
    }
    // One byte past the limit is enough to know it is too large.
    const QByteArray bytes = file.read(static_cast<qint64>(EntryList::kMaxFileBytes) + 1);
    EntryList::Import result = EntryList::parse(std::string_view(bytes.constData(), bytes.size()));
    if (!result.refused) {
        m_entries = std::make_shared<const EntryList::List>(result.list);
        emit changed();
    }
    return result;
}

bool EventScoring::setEntries(std::vector<EntryList::Entrant> entrants, QString* error)
{
    const std::string bytes = EntryList::write(entrants);
    m_entries = std::make_shared<const EntryList::List>(std::move(entrants));
    emit changed();
    if (filePath().isEmpty()) {
        return true;
    }
    QDir().mkpath(m_folder);
    const AtomicFile::Result written = AtomicFile::write(
        filePath(), QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!written.ok() && error != nullptr) {
        *error = written.reason;
    }
    return written.ok();
}

QString EventScoring::shownName(const QString& typed) const
{
    const EntryList::Entrant* entrant = m_entries->find(typed.toStdString());
    if (entrant == nullptr)
        return typed;
    QString text = QString::number(entrant->number);
    if (!entrant->name.empty())
        text += u' ' + QString::fromStdString(entrant->name);
    if (!entrant->klass.empty())
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(entrant->klass));
    return text;
}

void EventScoring::setRules(const Scoring::Rules& rules)
{
    Scoring::Rules kept = rules;
    kept.runsCounted = std::clamp(kept.runsCounted, 1, Scoring::kMaxRunsCounted);
    kept.penaltyMs = std::max(0, kept.penaltyMs);
    if (kept.mode == m_rules.mode && kept.runsCounted == m_rules.runsCounted &&
        kept.penaltyMs == m_rules.penaltyMs) {
        return;
    }
    m_rules = kept;
    emit changed();
}

void EventScoring::setClassFilter(const QString& klass)
{
    if (klass == m_classFilter) {
        return;
    }
    m_classFilter = klass;
    emit classFilterChanged(klass);
}

void EventScoring::load(QSettings& settings)
{
    settings.beginGroup(kGroup);
    Scoring::Rules rules;
    rules.mode = settings.value(QStringLiteral("Modus"), 0).toInt() == 1 ? Scoring::Mode::Sum
                                                                         : Scoring::Mode::BestTime;
    rules.runsCounted = settings.value(QStringLiteral("Laeufe"), 2).toInt();
    // Hundredths of a second, as the operator types them.
    rules.penaltyMs =
        std::clamp(settings.value(QStringLiteral("Strafe"), 200).toInt(), 0, 99999) * 10;
    const QString klass = settings.value(QStringLiteral("Klasse")).toString();
    settings.endGroup();
    setRules(rules);
    setClassFilter(klass);
}

void EventScoring::save(QSettings& settings) const
{
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Modus"), m_rules.mode == Scoring::Mode::Sum ? 1 : 0);
    settings.setValue(QStringLiteral("Laeufe"), m_rules.runsCounted);
    settings.setValue(QStringLiteral("Strafe"), m_rules.penaltyMs / 10);
    settings.setValue(QStringLiteral("Klasse"), m_classFilter);
    settings.endGroup();
}
