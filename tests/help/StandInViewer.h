#pragma once

#include "help/THelpSystem.h"

#include <QFile>

// A harmless help viewer: a shell script that starts a child of its own and
// waits, as a real viewer waits for its window. Each start writes one line,
// "<script pid> <child pid> <help file>", to a log beside it.
class StandInViewer
{
public:
    explicit StandInViewer(const QString& folder)
        : m_script(folder + QStringLiteral("/viewer.sh")), m_log(m_script + QStringLiteral(".log"))
    {
        QFile file(m_script);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("#!/bin/sh\n"
                       "sleep 600 &\n"
                       "echo \"$$ $! $1\" >> \"$0.log\"\n"
                       "wait\n");
            file.close();
        }
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }

    THelpSystem::ViewerCommand command() const
    {
        return [script = m_script](const QString& helpFile) {
            return QStringList{script, helpFile};
        };
    }

    // One entry per start, in order.
    QStringList starts() const
    {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return lines;
    }

    // How many of the processes the starts reported are still running: the
    // scripts and their children.
    int alive() const
    {
        int count = 0;
        for (const QString& line : starts()) {
            const QStringList fields = line.split(QLatin1Char(' '));
            for (int i = 0; i < 2 && i < fields.size(); ++i)
                count += running(fields[i]) ? 1 : 0;
        }
        return count;
    }

private:
    // A process that has ended but is not yet waited for is no longer running.
    static bool running(const QString& pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray text = stat.readAll();
        const qsizetype paren = text.lastIndexOf(')');
        return paren >= 0 && paren + 2 < text.size() && text[paren + 2] != 'Z';
    }

    QString m_script;
    QString m_log;
};
