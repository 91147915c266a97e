// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "live/LiveState.h"

#include <QObject>
#include <QString>
#include <QThread>

class LiveServer;

// The live results as the window's thread sees them: switched on and off,
// fed with snapshots, reporting its state. The server itself runs on a
// thread of its own at a lower priority than the window, so viewers never
// take a core from the race.
class LiveService : public QObject
{
    Q_OBJECT

public:
    explicit LiveService(QObject* parent = nullptr);
    ~LiveService() override;

    // Listens on `port` of every address; `listening` or `failed` follows.
    void start(quint16 port);
    void stop();

    bool isRunning() const { return m_running; }
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }
    int viewers() const { return m_viewers; }

    // Posts the state; the server sends what changed. Cheap on this thread.
    void publish(const Live::Snapshot& snapshot);

signals:
    void stateChanged();
    void viewersChanged(int count);

private:
    QThread m_thread;
    LiveServer* m_server = nullptr;
    bool m_running = false;
    quint16 m_port = 0;
    QString m_error;
    int m_viewers = 0;
};
