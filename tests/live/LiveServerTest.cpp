// SPDX-License-Identifier: GPL-3.0-or-later
// The live results server over real sockets: what a phone gets, and what
// hostile or broken clients on an open network cannot do to it or to the
// other viewers.

#include "live/LiveServer.h"
#include "live/LiveService.h"
#include "protocol/ResultsFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;

// As the results feed hands it over: the classic entries and the table.
std::shared_ptr<const Results::Ranking> ranking(int competitors)
{
    Results::Protocol protocol;
    for (int i = 0; i < competitors; ++i) {
        const std::string name =
            i == 0 ? "=HYPERLINK(\"x\") <b>Ä</b>" : "Fahrer " + std::to_string(i + 1);
        protocol.runs.push_back({name, "9:00.00,00", {}, 60000 + i * 10});
    }
    auto result = std::make_shared<Results::Ranking>();
    result->entries = Results::rank(protocol);
    result->table = Scoring::score(protocol, {}, {});
    return result;
}

QJsonObject json(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

QStringList texts(const QJsonArray& array)
{
    QStringList all;
    for (const QJsonValue& value : array) {
        all.append(value.toString());
    }
    return all;
}

QJsonArray rows(const QJsonObject& message)
{
    return message.value("results")
        .toObject()
        .value("groups")
        .toArray()
        .first()
        .toObject()
        .value("rows")
        .toArray();
}

class LiveServerTest : public ::testing::Test
{
protected:
    void start(LiveServer::Limits limits = {})
    {
        m_server = std::make_unique<LiveServer>(QByteArray("<!doctype html><p>Seite</p>"), limits);
        QSignalSpy listening(m_server.get(), &LiveServer::listening);
        m_server->listen(0);
        ASSERT_EQ(listening.size(), 1);
        m_port = listening.front().front().value<quint16>();
    }

    // Sends `bytes` and returns everything the server answered before it
    // closed the connection.
    QByteArray exchange(const QByteArray& bytes, std::chrono::milliseconds wait = 5s)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (!socket.waitForConnected(5000)) {
            return "no connection";
        }
        socket.write(bytes);
        QByteArray answer;
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
        const bool closed =
            QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                            static_cast<int>(wait.count()));
        answer += socket.readAll();
        return closed ? answer : "still open: " + answer;
    }

    std::unique_ptr<QWebSocket> viewer(std::vector<QString>* received)
    {
        auto socket = std::make_unique<QWebSocket>();
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                         [received](const QString& text) { received->push_back(text); });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(m_port)));
        return socket;
    }

    std::unique_ptr<LiveServer> m_server;
    quint16 m_port = 0;
};

TEST_F(LiveServerTest, AnswersTheFixedPathsAndNothingElse)
{
    start();
    Live::Snapshot snapshot;
    snapshot.ranking = ranking(3);
    snapshot.title = QStringLiteral("Slalom \"Nord\"");
    snapshot.race.phase = Live::Race::Phase::Stopped;
    snapshot.race.timeMs = 61230;
    m_server->publish(snapshot);
    QTest::qWait(10);

    const QByteArray page = exchange("GET /?v=2 HTTP/1.1\r\nHost: a\r\n\r\n");
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200 OK\r\n")) << page.constData();
    EXPECT_TRUE(page.contains("Content-Security-Policy: default-src 'none'"));
    EXPECT_TRUE(page.endsWith("<p>Seite</p>"));

    const QByteArray csv = exchange("GET /ergebnisse.csv HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(csv.endsWith(ResultsFiles::csv(snapshot.ranking->entries, 2)));

    const QByteArray state = exchange("GET /ergebnisse.json HTTP/1.1\r\n\r\n");
    const QJsonObject object = json(QString::fromUtf8(state.mid(state.indexOf("\r\n\r\n") + 4)));
    EXPECT_EQ(object["title"].toString(), snapshot.title);
    EXPECT_EQ(object["race"]["state"].toString(), "gestoppt");
    EXPECT_EQ(object["race"]["timeMs"].toInt(), 61230);
    const QJsonArray rows = object.value("results")
                                .toObject()
                                .value("groups")
                                .toArray()
                                .first()
                                .toObject()
                                .value("rows")
                                .toArray();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].toArray()[1].toString(),
              QString::fromStdString(snapshot.ranking->entries[0].name));
    // The classic list as it always was: one untitled group, every cell.
    EXPECT_EQ(object["results"]["groups"].toArray().size(), 1);
    EXPECT_EQ(object["results"]["groups"][0]["title"].toString(), QString());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(
            texts(rows[i].toArray()),
            ResultsFiles::rowTexts(snapshot.ranking->entries[static_cast<std::size_t>(i)], 2));
    }

    const std::pair<const char*, const char*> refused[] = {
        {"POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "405"},
        {"GET /../../etc/passwd HTTP/1.1\r\n\r\n", "404"},
        {"GET /ergebnisse.csv%00.txt HTTP/1.1\r\n\r\n", "404"},
        {"GET /live HTTP/1.1\r\n\r\n", "400"},
        {"\x16\x03\x01\x02\xfc\x03\x03garbage\r\n\r\n", "400"},
        {"GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", "400"},
    };
    for (const auto& [request, status] : refused) {
        const QByteArray answer = exchange(request);
        EXPECT_TRUE(answer.startsWith(QByteArray("HTTP/1.1 ") + status)) << request << "\n"
                                                                         << answer.constData();
    }
    EXPECT_EQ(m_server->requestCount(), 0);
}

TEST_F(LiveServerTest, ViewersGetTheWholeStateThenOnlyWhatChanged)
{
    start();
    std::vector<QString> received;
    auto socket = viewer(&received);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 5000));
    const QJsonObject first = json(received.front());
    for (const char* key : {"version", "title", "resolution", "race", "results", "lines"}) {
        EXPECT_TRUE(first.contains(key)) << key;
    }
    EXPECT_EQ(m_server->viewerCount(), 1);

    Live::Snapshot running;
    running.race.phase = Live::Race::Phase::Running;
    running.race.name = QStringLiteral("12");
    running.race.elapsedMs = 5000;
    running.race.measured = Live::Clock::now() - 200ms;
    running.lines = QStringList{QStringLiteral("     Nr.: 12")};
    m_server->publish(running);
    running.lines.append(QStringLiteral("H  Start: 00:00.00,00  10:15.03,25"));
    m_server->publish(running); // the same burst: one message
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 2; }, 5000));
    QTest::qWait(50);
    ASSERT_EQ(received.size(), 2u);
    const QJsonObject change = json(received[1]);
    EXPECT_FALSE(change.contains("results"));
    EXPECT_FALSE(change.contains("title"));
    EXPECT_EQ(change["lines"].toArray().size(), 2);
    // The phone's clock starts from the start instant, not from the snapshot.
    EXPECT_GE(change["race"]["elapsedMs"].toInteger(), 5200);

    // Nothing changed, nothing sent.
    m_server->publish(running);
    QTest::qWait(50);
    EXPECT_EQ(received.size(), 2u);
}

// With scoring the page has a table per class, and the class chosen is a
// change of its own: with the ranking unchanged, the page and the CSV show
// that class alone.
TEST_F(LiveServerTest, ScoringGroupsByClassAndFollowsTheClassShown)
{
    start();
    std::vector<QString> received;
    auto socket = viewer(&received);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 5000));

    Results::Protocol protocol;
    protocol.runs = {{"12", "9:00.00,00", {}, 61000},
                     {"7", "9:01.00,00", {}, 62000},
                     {"Gast", "9:02.00,00", {}, 60000}};
    auto scored = std::make_shared<Results::Ranking>();
    scored->entries = Results::rank(protocol);
    scored->table = Scoring::score(
        protocol, EntryList::List({{12, "Anna Berger", "A", ""}, {7, "Otto Kranz", "B", ""}}), {});
    scored->scoring = true;
    Live::Snapshot snapshot;
    snapshot.ranking = scored;
    m_server->publish(snapshot);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 2; }, 5000));
    const QJsonObject whole = json(received.back());
    const QJsonObject all = whole["results"].toObject();
    EXPECT_EQ(all["columns"].toArray().size(), 9);
    QStringList titles;
    for (const QJsonValue& group : all["groups"].toArray()) {
        titles.append(group["title"].toString());
    }
    EXPECT_EQ(titles, QStringList({QStringLiteral("A"), QStringLiteral("B"),
                                   QStringLiteral("ohne Klasse")}));
    EXPECT_TRUE(exchange("GET /ergebnisse.csv HTTP/1.0\r\n\r\n").contains("Anna Berger"));

    snapshot.classFilter = QStringLiteral("B");
    m_server->publish(snapshot);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 3; }, 5000));
    const QJsonObject change = json(received.back());
    const QJsonArray groups = change["results"]["groups"].toArray();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]["title"].toString(), QStringLiteral("B"));
    ASSERT_EQ(groups[0]["rows"].toArray().size(), 1);
    EXPECT_EQ(groups[0]["rows"][0][2].toString(), QStringLiteral("Otto Kranz"));
    const QByteArray csv = exchange("GET /ergebnisse.csv HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(csv.endsWith(ResultsFiles::csv(
        ResultsSheet::make(scored->table, {2, true, Scoring::Mode::BestTime, QStringLiteral("B")}),
        2)))
        << csv.constData();
    EXPECT_FALSE(csv.contains("Anna Berger"));
}

// Floods, a head that never ends, a huge head, a viewer that never reads and
// one that talks too much: each goes, and an honest viewer keeps getting
// every change throughout.
TEST_F(LiveServerTest, HostileClientsAreDroppedAndTheOthersCarryOn)
{
    LiveServer::Limits limits;
    limits.maxViewers = 3;
    limits.maxRequests = 8;
    limits.requestTimeout = 300ms;
    limits.minSendBacklog = 64 * 1024;
    start(limits);
    std::vector<QString> received;
    auto honest = viewer(&received);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 5000));

    // Half a request, then silence: closed at the deadline.
    EXPECT_EQ(exchange("GET / HTTP/1.1\r\nHost:", 3s), QByteArray());
    // A megabyte of head: refused once the limit is passed, never buffered whole.
    const QByteArray huge = exchange("GET / HTTP/1.1\r\nX: " + QByteArray(1 << 20, 'a'));
    EXPECT_TRUE(huge.startsWith("HTTP/1.1 431") || huge.isEmpty()) << huge.left(40).constData();

    // A thousand connections at once: most are cut off, and afterwards the
    // server answers again.
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 1000; ++i) {
        flood.push_back(std::make_unique<QTcpSocket>());
        flood.back()->connectToHost(QHostAddress::LocalHost, m_port);
    }
    QTest::qWait(200);
    EXPECT_LE(m_server->requestCount(), limits.maxRequests);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->requestCount() == 0; }, 5000));
    flood.clear();
    EXPECT_TRUE(exchange("GET / HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 200"));

    // A viewer that never reads: its socket takes a few bytes, then nothing.
    QTcpSocket stuck;
    stuck.setReadBufferSize(16);
    stuck.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    stuck.connectToHost(QHostAddress::LocalHost, m_port);
    ASSERT_TRUE(stuck.waitForConnected(5000));
    stuck.write("GET /live HTTP/1.1\r\nHost: a\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->viewerCount() == 2; }, 5000));

    // One that sends more than a viewer ever needs to.
    std::vector<QString> chatterReceived;
    auto chatter = viewer(&chatterReceived);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chatterReceived.empty(); }, 5000));
    // Full: the next one is turned away.
    EXPECT_TRUE(
        exchange("GET /live HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                 "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n")
            .startsWith("HTTP/1.1 503"));
    chatter->sendTextMessage(QString(4096, u'x'));

    // Large changes, one after another, until the one that does not read is gone.
    for (int i = 0; i < 200 && m_server->viewerCount() > 1; ++i) {
        Live::Snapshot snapshot;
        snapshot.ranking = ranking(500);
        snapshot.lines = QStringList{QString::number(i)};
        m_server->publish(snapshot);
        QTest::qWait(50);
    }
    EXPECT_EQ(m_server->viewerCount(), 1);
    EXPECT_EQ(chatter->state(), QAbstractSocket::UnconnectedState);
    const QJsonObject last = json(received.back());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return json(received.back())["lines"].toArray().size() == 1; }, 5000));
    EXPECT_EQ(rows(json(received.back())).size(), 500);
    EXPECT_EQ(honest->state(), QAbstractSocket::ConnectedState);
    Q_UNUSED(last);
}

// The service runs the server on its own thread: a port already taken is a
// German message, not a stop, and a viewer on the thread gets what the
// window publishes.
TEST(LiveServiceTest, RunsOnItsOwnThreadAndReportsATakenPort)
{
    QTcpServer occupier;
    ASSERT_TRUE(occupier.listen(QHostAddress::Any, 0));
    LiveService service;
    QSignalSpy state(&service, &LiveService::stateChanged);
    service.start(occupier.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.isEmpty(); }, 5000));
    EXPECT_FALSE(service.isRunning());
    EXPECT_TRUE(service.error().contains(QStringLiteral("schon belegt")))
        << service.error().toStdString();

    state.clear();
    service.start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.isRunning(); }, 5000));
    std::vector<QString> received;
    QWebSocket socket;
    QObject::connect(&socket, &QWebSocket::textMessageReceived,
                     [&](const QString& text) { received.push_back(text); });
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(service.port())));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.viewers() == 1 && !received.empty(); }, 5000));
    Live::Snapshot snapshot;
    snapshot.title = QStringLiteral("Bergrennen");
    service.publish(snapshot);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 2; }, 5000));
    EXPECT_EQ(json(received.back())["title"].toString(), snapshot.title);
    service.stop();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000));
}

} // namespace
