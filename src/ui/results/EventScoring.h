// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/EntryList.h"
#include "core/Scoring.h"

#include <QObject>
#include <QString>

#include <memory>

class QSettings;

// The event the results are scored for: its entry list ("Nennliste"), its
// rules and the class the views show. The entry list is kept as
// `Nennliste.csv` in the program's data folder, written atomically at every
// change and read at start; rules and class live in the settings group
// `[Wertung]`.
class EventScoring : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kFileName = "Nennliste.csv";

    // An empty folder keeps the list in memory only.
    explicit EventScoring(QString dataFolder, QObject* parent = nullptr);

    std::shared_ptr<const EntryList::List> entries() const { return m_entries; }
    QString filePath() const;
    // Reads the stored file, if any. A file with problems (one put there by
    // hand) gives what it could take; the problems are returned for showing.
    EntryList::Import loadStored();
    // Replaces the list and writes the file; on failure the message is the
    // system's reason and the list is replaced all the same, so nothing the
    // operator typed is lost while the program runs.
    bool setEntries(std::vector<EntryList::Entrant> entrants, QString* error = nullptr);

    const Scoring::Rules& rules() const { return m_rules; }
    void setRules(const Scoring::Rules& rules);

    // The start-number field's text as the public sees it: "12 Anna Berger
    // (Serie)" when it is an entrant's number, the text as typed otherwise.
    QString shownName(const QString& typed) const;

    // "" for "Alle Klassen".
    QString classFilter() const { return m_classFilter; }
    void setClassFilter(const QString& klass);

    void load(QSettings& settings);
    void save(QSettings& settings) const;

signals:
    // The entry list or the rules changed: the results must be scored anew.
    void changed();
    void classFilterChanged(const QString& klass);

private:
    QString m_folder;
    std::shared_ptr<const EntryList::List> m_entries;
    Scoring::Rules m_rules;
    QString m_classFilter;
};
