// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "live/LiveState.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

// The live results server. It lives on a thread of its own (LiveService
// owns that), so no viewer, however slow or hostile, can hold up the race:
// the window's thread only ever posts it a Snapshot.
//
// HTTP is answered for a few fixed paths with GET only, one request per
// connection; `/live` is handed to the WebSocket library for the handshake
// and the framing, then every change is pushed to each viewer. Everything
// an open network can throw at it is bounded: the request head, the time a
// request may take, the connections in each state, what a viewer sends, and
// what waits for a viewer that does not read.
class LiveServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxViewers = 256;
        // Connections still sending their request; more are refused at once.
        int maxRequests = 64;
        std::chrono::milliseconds requestTimeout{10'000};
        // What a viewer may send in one message (it has nothing to say).
        quint64 maxIncomingMessage = 1024;
        // Unsent bytes beyond which a viewer counts as gone; at least this,
        // and at least twice the whole state, so a large state still goes out.
        qint64 minSendBacklog = qint64{256} * 1024;
    };

    explicit LiveServer(QByteArray page, Limits limits, QObject* parent = nullptr);
    explicit LiveServer(QByteArray page, QObject* parent = nullptr)
        : LiveServer(std::move(page), Limits{}, parent)
    {
    }
    ~LiveServer() override;

    // On the server's thread. Port 0 picks a free one (tests).
    void listen(quint16 port);
    void close();
    void publish(const Live::Snapshot& snapshot);

    int viewerCount() const { return static_cast<int>(m_viewers.size()); }
    int requestCount() const { return static_cast<int>(m_requests.size()); }

signals:
    void listening(quint16 port);
    // A German message for the operator: the port is taken, or not allowed.
    void failed(QString message);
    void viewersChanged(int count);

private:
    struct Request
    {
        QTcpSocket* socket = nullptr;
        Live::Clock::time_point deadline;
        bool answered = false;
    };

    void acceptConnections();
    void readRequest(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& type,
                const QByteArray& body, bool withBody = true);
    void refuse(QTcpSocket* socket, const QByteArray& status);
    void forget(QTcpSocket* socket);
    void sweep();
    void acceptViewer();
    void dropViewer(QWebSocket* viewer);
    void flush();
    void send(QWebSocket* viewer, const QString& message);
    QByteArray wholeState(Live::Clock::time_point now) const;
    const QByteArray& csv();

    QByteArray m_page;
    Limits m_limits;
    QTcpServer* m_tcp = nullptr;
    QWebSocketServer* m_webSockets = nullptr;
    QHash<QTcpSocket*, Request> m_requests;
    std::vector<QWebSocket*> m_viewers;
    QTimer m_sweep;
    QTimer m_flush;
    QTimer m_heartbeat;
    Live::Clock::time_point m_lastSent{};

    // What was last sent, part by part, so a change sends only its parts.
    Live::Snapshot m_state;
    bool m_haveState = false;
    Live::Snapshot m_pending;
    bool m_havePending = false;
    QByteArray m_titleJson;
    QByteArray m_resultsJson;
    QByteArray m_linesJson;
    qint64 m_stateBytes = 0;
    QByteArray m_csv; // empty until asked for after the results changed
};
