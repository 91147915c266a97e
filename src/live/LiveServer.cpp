// SPDX-License-Identifier: GPL-3.0-or-later
#include "live/LiveServer.h"

#include "live/HttpRequest.h"
#include "protocol/ResultsFiles.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace {

constexpr auto kSweepInterval = std::chrono::milliseconds(250);
constexpr int kViewerSendBuffer = 64 * 1024;
// A phone whose Wi-Fi went away without a word keeps its socket "open";
// a page that hears nothing for a few of these knows to reconnect.
constexpr auto kHeartbeatInterval = std::chrono::seconds(5);

QByteArray message(std::initializer_list<std::pair<const char*, const QByteArray*>> parts)
{
    QByteArray text = "{\"version\":1";
    for (const auto& [key, json] : parts) {
        if (json != nullptr) {
            text += ",\"";
            text += key;
            text += "\":";
            text += *json;
        }
    }
    text += '}';
    return text;
}

} // namespace

LiveServer::LiveServer(QByteArray page, Limits limits, QObject* parent)
    : QObject(parent), m_page(std::move(page)), m_limits(limits), m_sweep(this), m_flush(this),
      m_heartbeat(this)
{
    m_sweep.setInterval(kSweepInterval);
    connect(&m_sweep, &QTimer::timeout, this, &LiveServer::sweep);
    m_heartbeat.setInterval(kHeartbeatInterval);
    connect(&m_heartbeat, &QTimer::timeout, this, [this] {
        // A race sends often enough on its own; only a quiet spell needs it.
        if (Live::Clock::now() - m_lastSent < kHeartbeatInterval) {
            return;
        }
        m_lastSent = Live::Clock::now();
        const QString beat = QString::fromLatin1(message({}));
        for (QWebSocket* viewer : std::vector<QWebSocket*>(m_viewers)) {
            send(viewer, beat);
        }
    });
    // Changes posted in one burst (a reset writes a line and steps the start
    // number) leave as one message. Not longer: a STOPP goes out at once,
    // and the ranking the feed makes of it a moment later follows.
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    connect(&m_flush, &QTimer::timeout, this, &LiveServer::flush);
    // An empty race, so a viewer who comes first sees a whole state too.
    m_havePending = true;
    flush();
}

LiveServer::~LiveServer()
{
    close();
}

void LiveServer::listen(quint16 port)
{
    close();
    m_tcp = new QTcpServer(this);
    m_tcp->setMaxPendingConnections(m_limits.maxRequests);
    connect(m_tcp, &QTcpServer::newConnection, this, &LiveServer::acceptConnections);
    m_webSockets =
        new QWebSocketServer(QStringLiteral("Kelvatron"), QWebSocketServer::NonSecureMode, this);
    m_webSockets->setHandshakeTimeout(static_cast<int>(m_limits.requestTimeout.count()));
    connect(m_webSockets, &QWebSocketServer::newConnection, this, &LiveServer::acceptViewer);
    if (!m_tcp->listen(QHostAddress::Any, port)) {
        QString text;
        switch (m_tcp->serverError()) {
        case QAbstractSocket::AddressInUseError:
            text = QStringLiteral("Port %1 ist schon belegt. Bitte einen anderen Port wählen.")
                       .arg(port);
            break;
        case QAbstractSocket::SocketAccessError:
            text = QStringLiteral("Port %1 darf dieses Programm nicht benutzen. Bitte einen Port "
                                  "ab 1024 wählen.")
                       .arg(port);
            break;
        default:
            text = QStringLiteral("Die Live-Ergebnisse konnten nicht starten: %1")
                       .arg(m_tcp->errorString());
            break;
        }
        close();
        emit failed(text);
        return;
    }
    m_sweep.start();
    m_heartbeat.start();
    emit listening(m_tcp->serverPort());
}

void LiveServer::close()
{
    m_sweep.stop();
    m_heartbeat.stop();
    const auto requests = m_requests.keys();
    for (QTcpSocket* socket : requests) {
        socket->abort();
        forget(socket);
    }
    const bool hadViewers = !m_viewers.empty();
    for (QWebSocket* viewer : std::exchange(m_viewers, {})) {
        viewer->disconnect(this);
        viewer->abort();
        viewer->deleteLater();
    }
    delete m_webSockets;
    m_webSockets = nullptr;
    delete m_tcp;
    m_tcp = nullptr;
    if (hadViewers) {
        emit viewersChanged(0);
    }
}

void LiveServer::acceptConnections()
{
    while (m_tcp != nullptr && m_tcp->hasPendingConnections()) {
        QTcpSocket* socket = m_tcp->nextPendingConnection();
        if (m_requests.size() >= m_limits.maxRequests) {
            // A flood: cut it off without a word rather than queue answers.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt stops reading from the network at this size, so a head that
        // never ends costs no more memory than one that is too large.
        socket->setReadBufferSize(static_cast<qint64>(HttpRequest::kMaxHeadBytes) + 1);
        m_requests.insert(socket,
                          Request{socket, Live::Clock::now() + m_limits.requestTimeout, false});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        readRequest(socket);
    }
}

void LiveServer::readRequest(QTcpSocket* socket)
{
    const auto found = m_requests.find(socket);
    if (found == m_requests.end()) {
        return;
    }
    if (found->answered) {
        // One request per connection; whatever follows is not read.
        socket->skip(socket->bytesAvailable());
        return;
    }
    const QByteArray bytes = socket->peek(static_cast<qint64>(HttpRequest::kMaxHeadBytes) + 1);
    const HttpRequest::Result request =
        HttpRequest::parse(std::string_view(bytes.constData(), bytes.size()));
    switch (request.status) {
    case HttpRequest::Status::Incomplete:
        return;
    case HttpRequest::Status::TooLarge:
        refuse(socket, "431 Request Header Fields Too Large");
        return;
    case HttpRequest::Status::Bad:
        refuse(socket, "400 Bad Request");
        return;
    case HttpRequest::Status::Complete:
        break;
    }
    const HttpRequest::Head& head = request.head;
    if (head.method != "GET") {
        refuse(socket, "405 Method Not Allowed");
        return;
    }
    if (head.hasBody) {
        refuse(socket, "400 Bad Request");
        return;
    }
    if (head.path == "/live") {
        if (!head.upgradeToWebSocket || !head.hasWebSocketKey || head.webSocketVersion != "13") {
            refuse(socket, "400 Bad Request");
            return;
        }
        if (viewerCount() >= m_limits.maxViewers) {
            refuse(socket, "503 Service Unavailable");
            return;
        }
        // The head was only peeked at: the library reads the handshake itself.
        m_requests.remove(socket);
        // What the system holds for a viewer that does not read stays small,
        // and such a viewer shows up soon in what is left to send.
        socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kViewerSendBuffer);
        socket->disconnect(this);
        m_webSockets->handleConnection(socket);
        return;
    }
    const Live::Clock::time_point now = Live::Clock::now();
    if (head.path == "/" || head.path == "/index.html") {
        answer(socket, "200 OK", "text/html; charset=utf-8", m_page);
    } else if (head.path == "/ergebnisse.json") {
        answer(socket, "200 OK", "application/json; charset=utf-8", wholeState(now));
    } else if (head.path == "/ergebnisse.csv") {
        answer(socket, "200 OK", "text/csv; charset=utf-8", csv());
    } else {
        refuse(socket, "404 Not Found");
    }
}

void LiveServer::answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& type,
                        const QByteArray& body, bool withBody)
{
    QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                      "Referrer-Policy: no-referrer\r\nConnection: close\r\n";
    if (status.startsWith("405")) {
        head += "Allow: GET\r\n";
    }
    if (type.startsWith("text/html")) {
        head += "Content-Security-Policy: default-src 'none'; style-src 'unsafe-inline'; "
                "script-src 'unsafe-inline'; connect-src 'self'; img-src data:\r\n";
    }
    head += "\r\n";
    m_requests[socket].answered = true;
    socket->skip(socket->bytesAvailable());
    socket->write(head);
    if (withBody) {
        socket->write(body);
    }
    // Closes once written; the request's deadline still stands, so a client
    // that never reads its answer is cut off all the same.
    socket->disconnectFromHost();
}

void LiveServer::refuse(QTcpSocket* socket, const QByteArray& status)
{
    answer(socket, status, "text/plain; charset=utf-8", status + '\n');
}

void LiveServer::forget(QTcpSocket* socket)
{
    if (m_requests.remove(socket) > 0) {
        socket->disconnect(this);
        socket->deleteLater();
    }
}

void LiveServer::sweep()
{
    const Live::Clock::time_point now = Live::Clock::now();
    std::vector<QTcpSocket*> late;
    for (const Request& request : std::as_const(m_requests)) {
        if (request.deadline <= now) {
            late.push_back(request.socket);
        }
    }
    for (QTcpSocket* socket : late) {
        socket->abort();
        forget(socket);
    }
}

void LiveServer::acceptViewer()
{
    while (m_webSockets != nullptr && m_webSockets->hasPendingConnections()) {
        QWebSocket* viewer = m_webSockets->nextPendingConnection();
        viewer->setParent(this);
        viewer->setMaxAllowedIncomingFrameSize(m_limits.maxIncomingMessage);
        viewer->setMaxAllowedIncomingMessageSize(m_limits.maxIncomingMessage);
        if (viewerCount() >= m_limits.maxViewers) {
            viewer->close(QWebSocketProtocol::CloseCodeGoingAway);
            viewer->deleteLater();
            continue;
        }
        connect(viewer, &QWebSocket::disconnected, this, [this, viewer] { dropViewer(viewer); });
        // A viewer has nothing to say; one that talks anyway is cut off
        // before it has said much.
        const auto heard = [this, viewer](const QByteArray& frame) {
            const qint64 total = viewer->property("heard").toLongLong() + frame.size();
            viewer->setProperty("heard", total);
            if (static_cast<quint64>(total) > m_limits.maxIncomingMessage) {
                viewer->abort();
            }
        };
        connect(viewer, &QWebSocket::binaryFrameReceived, this, heard);
        connect(viewer, &QWebSocket::textFrameReceived, this,
                [heard](const QString& frame) { heard(frame.toUtf8()); });
        m_viewers.push_back(viewer);
        emit viewersChanged(viewerCount());
        send(viewer, QString::fromUtf8(wholeState(Live::Clock::now())));
    }
}

void LiveServer::dropViewer(QWebSocket* viewer)
{
    const auto found = std::find(m_viewers.begin(), m_viewers.end(), viewer);
    if (found == m_viewers.end()) {
        return;
    }
    m_viewers.erase(found);
    viewer->disconnect(this);
    viewer->deleteLater();
    emit viewersChanged(viewerCount());
}

void LiveServer::send(QWebSocket* viewer, const QString& message)
{
    if (viewer->bytesToWrite() > std::max(m_limits.minSendBacklog, 2 * m_stateBytes)) {
        // It stopped reading: let it reconnect for the whole state later
        // rather than hold every change for it.
        viewer->abort();
        dropViewer(viewer);
        return;
    }
    viewer->sendTextMessage(message);
}

void LiveServer::publish(const Live::Snapshot& snapshot)
{
    m_pending = snapshot;
    m_havePending = true;
    if (!m_flush.isActive()) {
        m_flush.start();
    }
}

void LiveServer::flush()
{
    if (!m_havePending) {
        return;
    }
    m_havePending = false;
    const Live::Snapshot next = std::exchange(m_pending, {});
    const bool first = !m_haveState;
    const bool resolution = first || next.resolution != m_state.resolution;
    const bool title = first || next.title != m_state.title;
    const bool race = resolution || !next.race.sameAs(m_state.race);
    const bool results =
        resolution || next.ranking != m_state.ranking || next.classFilter != m_state.classFilter;
    const bool lines = first || next.lines != m_state.lines;
    m_state = next;
    m_haveState = true;
    if (title) {
        m_titleJson = Live::titleJson(m_state);
    }
    if (results) {
        m_resultsJson = Live::resultsJson(m_state);
        m_csv.clear();
    }
    if (lines) {
        m_linesJson = Live::linesJson(m_state);
    }
    m_stateBytes = m_titleJson.size() + m_resultsJson.size() + m_linesJson.size() + 256;
    if (!(title || race || results || lines) || m_viewers.empty()) {
        return;
    }
    const QByteArray resolutionJson = QByteArray::number(m_state.resolution);
    const QByteArray raceJson = Live::raceJson(m_state.race, Live::Clock::now());
    const QByteArray text = message({{"title", title ? &m_titleJson : nullptr},
                                     {"resolution", resolution ? &resolutionJson : nullptr},
                                     {"race", race ? &raceJson : nullptr},
                                     {"results", results ? &m_resultsJson : nullptr},
                                     {"lines", lines ? &m_linesJson : nullptr}});
    // Made text once for all; dropViewer() may shorten the list on the way.
    const QString shared = QString::fromUtf8(text);
    m_lastSent = Live::Clock::now();
    for (QWebSocket* viewer : std::vector<QWebSocket*>(m_viewers)) {
        send(viewer, shared);
    }
}

QByteArray LiveServer::wholeState(Live::Clock::time_point now) const
{
    const QByteArray resolutionJson = QByteArray::number(m_state.resolution);
    const QByteArray raceJson = Live::raceJson(m_state.race, now);
    return message({{"title", &m_titleJson},
                    {"resolution", &resolutionJson},
                    {"race", &raceJson},
                    {"results", &m_resultsJson},
                    {"lines", &m_linesJson}});
}

const QByteArray& LiveServer::csv()
{
    // Made when first asked for after a change: a viewer seldom wants it.
    if (m_csv.isEmpty()) {
        m_csv = ResultsFiles::csv(Live::resultsSheet(m_state), m_state.resolution);
    }
    return m_csv;
}
