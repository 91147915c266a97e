// SPDX-License-Identifier: GPL-3.0-or-later
// The live results as a spectator gets them: the operator switches them on in
// the real dialog, a real browser (headless Chromium) opens the page, and a
// race run by keys in the main window shows up on it. The page is read
// through the browser's debugging protocol, as its script left it.

#include "FormMainFixture.h"
#include "support/TestSupport.h"

#include "live/LiveService.h"
#include "ui/live/LiveController.h"
#include "ui/live/LiveDialog.h"
#include "ui/results/ResultsWindow.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStyle>
#include <QTcpServer>
#include <QWebSocket>

#include <csignal>
#include <functional>
#include <map>
#include <sys/types.h>
#include <unistd.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
// A cold browser on a busy machine under the sanitizers.
constexpr int kStartMs = 30'000;

// Headless Chromium with one tab, read through its debugging socket.
class Browser
{
public:
    Browser()
    {
        QObject::connect(
            &m_devtools, &QWebSocket::textMessageReceived, [this](const QString& text) {
                const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
                // Events carry no id; only answers to our own calls count.
                if (message.contains(QStringLiteral("id")))
                    m_answers[message.value(QStringLiteral("id")).toInt()] = message;
            });
    }

    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    ~Browser() { stop(); }

    // Opens `page` in a fresh profile; returns why that failed, or nothing.
    QString open(const QUrl& page)
    {
        m_process.setProgram(kChromium);
        m_process.setArguments({QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                                QStringLiteral("--disable-gpu"),
                                QStringLiteral("--user-data-dir=") + m_profile.path(),
                                QStringLiteral("--remote-debugging-port=0"), page.toString()});
        // A group of its own, so its renderers and helpers go with it.
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
        m_process.setStandardOutputFile(QProcess::nullDevice());
        // Its crash reports and caches go with the profile, not into the home.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            environment.insert(QString::fromLatin1(name), m_profile.path());
        m_process.setProcessEnvironment(environment);
        m_process.start();
        if (!m_process.waitForStarted(kStartMs))
            return QStringLiteral("Chromium does not start: ") + m_process.errorString();
        m_group = static_cast<pid_t>(m_process.processId());

        const QRegularExpression listening(
            QStringLiteral("DevTools listening on ws://[^:/]+:(\\d+)/"));
        QString output;
        QRegularExpressionMatch found;
        const bool ended = QTest::qWaitFor(
            [&] {
                output += QString::fromUtf8(m_process.readAllStandardError());
                found = listening.match(output);
                return found.hasMatch() || m_process.state() == QProcess::NotRunning;
            },
            kStartMs);
        if (!ended || !found.hasMatch())
            return QStringLiteral("no debugging port in: ") + output.right(2000);

        const QUrl list(QStringLiteral("http://127.0.0.1:%1/json/list").arg(found.captured(1)));
        QUrl target;
        const bool listed = QTest::qWaitFor(
            [&] {
                target = debuggerOf(list, page);
                return !target.isEmpty();
            },
            kStartMs);
        if (!listed)
            return QStringLiteral("no tab shows ") + page.toString();
        m_devtools.open(target);
        if (!QTest::qWaitFor([&] { return m_devtools.state() == QAbstractSocket::ConnectedState; },
                             kWaitMs))
            return QStringLiteral("debugging socket: ") + m_devtools.errorString();
        return {};
    }

    // The whole browser, helpers and all, even after a failed check.
    void stop()
    {
        m_devtools.abort();
        if (m_group > 0)
            ::kill(-m_group, SIGKILL);
        m_group = 0;
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kStartMs);
        }
    }

    // The value of a script expression in the page; undefined when it threw
    // or the browser did not answer.
    QJsonValue evaluate(const QString& expression)
    {
        const int id = ++m_lastId;
        const QJsonObject params{{QStringLiteral("expression"), expression},
                                 {QStringLiteral("returnByValue"), true}};
        const QJsonObject call{{QStringLiteral("id"), id},
                               {QStringLiteral("method"), QStringLiteral("Runtime.evaluate")},
                               {QStringLiteral("params"), params}};
        m_devtools.sendTextMessage(
            QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
        if (!QTest::qWaitFor([&] { return m_answers.count(id) > 0; }, kWaitMs))
            return QJsonValue(QJsonValue::Undefined);
        const QJsonObject answer = m_answers[id];
        m_answers.erase(id);
        return answer[QStringLiteral("result")][QStringLiteral("result")][QStringLiteral("value")];
    }

    // Evaluates `expression` until `accept` takes its value; the last value
    // either way, for the check that follows to show.
    QJsonValue until(const QString& expression,
                     const std::function<bool(const QJsonValue&)>& accept)
    {
        QJsonValue value;
        // Whether it came in time, the caller's check of the value tells.
        static_cast<void>(QTest::qWaitFor(
            [&] {
                value = evaluate(expression);
                return accept(value);
            },
            kWaitMs));
        return value;
    }

private:
    // The debugging socket of the tab that shows `page`, once it is listed.
    static QUrl debuggerOf(const QUrl& list, const QUrl& page)
    {
        QNetworkAccessManager network;
        std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(list)));
        if (!QTest::qWaitFor([&] { return reply->isFinished(); }, kWaitMs))
            return {};
        const QJsonArray targets = QJsonDocument::fromJson(reply->readAll()).array();
        for (const QJsonValue& target : targets) {
            if (target[QStringLiteral("type")].toString() == QStringLiteral("page") &&
                QUrl(target[QStringLiteral("url")].toString()) == page)
                return QUrl(target[QStringLiteral("webSocketDebuggerUrl")].toString());
        }
        return {};
    }

    QTemporaryDir m_profile;
    QProcess m_process;
    pid_t m_group = 0;
    QWebSocket m_devtools;
    int m_lastId = 0;
    std::map<int, QJsonObject> m_answers;
};

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::Any, 0) ? probe.serverPort() : 0;
}

// The page's texts the spectator reads on the track, in one call.
const QString kTrack = QStringLiteral("['track-state', 'track-name', 'track-time', 'track-last']"
                                      ".map((id) => document.getElementById(id).textContent)");
const QString kTable = QStringLiteral("Array.from(document.querySelectorAll('#results tr'),"
                                      " (tr) => Array.from(tr.cells, (c) => c.textContent))");

QString at(const QJsonValue& list, int index)
{
    return list.toArray().at(index).toString();
}

} // namespace

class FormMainLive : public FormMainFixture
{
protected:
    // Characters as a keyboard layout produces them, one key each.
    static void type(QWidget* target, const QString& text)
    {
        for (const char32_t c : text.toUcs4())
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                                Qt::NoModifier);
    }
};

TEST_F(FormMainLive, ABrowserFollowsARaceRunByKeys)
{
    if (!QFileInfo(kChromium).isExecutable())
        GTEST_SKIP() << "no " << kChromium.toStdString() << " (setup.sh installs it)";
    create();

    // The operator opens the results list and from there the live dialog.
    press(Qt::Key_F6);
    ResultsWindow* results = form->resultsWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(results));
    QTest::mouseClick(results->liveButton(), Qt::LeftButton);
    LiveDialog* dialog = form->liveDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QApplication::setActiveWindow(dialog);

    const quint16 port = freePort();
    ASSERT_NE(port, 0);
    QTest::mouseClick(dialog->portBox(), Qt::LeftButton);
    ASSERT_TRUE(dialog->portBox()->hasFocus());
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QString::number(port));
    // Leaving the field is what takes the port; Enter would close the dialog.
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), dialog->titleEdit());
    EXPECT_EQ(form->live().config().port, port);
    const QString title = QStringLiteral("Bergpreis Süd");
    type(dialog->titleEdit(), title);

    QCheckBox* active = dialog->activeBox();
    const int indicator = active->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, active);
    QTest::mouseClick(active, Qt::LeftButton, {}, QPoint(indicator / 2 + 1, active->height() / 2));
    ASSERT_TRUE(active->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->live().service().isRunning(); }, kWaitMs))
        << form->live().service().error().toStdString();
    EXPECT_EQ(form->live().service().port(), port);
    const QString addresses = dialog->addressLabel()->text();
    if (!addresses.startsWith(QStringLiteral("Kein Netzwerk"))) {
        const QRegularExpression address(
            QStringLiteral("http://\\d+\\.\\d+\\.\\d+\\.\\d+:%1/").arg(port));
        for (const QString& line : addresses.split(u'\n'))
            EXPECT_TRUE(address.match(line).hasMatch()) << line.toStdString();
    }
    EXPECT_EQ(dialog->viewersLabel()->text(), QStringLiteral("Zuschauer verbunden: 0"));

    Browser browser;
    const QUrl page(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    const QString why = browser.open(page);
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    EXPECT_TRUE(browser
                    .until(QStringLiteral("document.getElementById('status').hidden"),
                           [](const QJsonValue& v) { return v.toBool(); })
                    .toBool())
        << "the page never connected";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dialog->viewersLabel()->text() == QStringLiteral("Zuschauer verbunden: 1"); },
        kWaitMs))
        << dialog->viewersLabel()->text().toStdString();
    EXPECT_EQ(browser
                  .until(QStringLiteral("document.getElementById('title').textContent"),
                         [&](const QJsonValue& v) { return v.toString() == title; })
                  .toString(),
              title);

    // Back in the main window: a name into the start number, and the race.
    QApplication::setActiveWindow(form.get());
    QTest::mouseClick(form->ui().editStartN, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), form->ui().editStartN);
    press(Qt::Key_A, Qt::ControlModifier);
    const QString name = QStringLiteral("Jürgen Weiß");
    type(form->ui().editStartN, name);
    press(Qt::Key_F5);
    QJsonValue track = browser.until(kTrack, [&](const QJsonValue& v) {
        return at(v, 0) == QStringLiteral("Läuft") && at(v, 1) == name;
    });
    EXPECT_EQ(at(track, 0), QStringLiteral("Läuft"));
    EXPECT_EQ(at(track, 1), name);
    const QString started = at(track, 2);
    EXPECT_FALSE(started.isEmpty());
    // The window sends no time while the car runs; the page's own clock ticks.
    track = browser.until(kTrack, [&](const QJsonValue& v) { return at(v, 2) != started; });
    EXPECT_NE(at(track, 2), started) << "the time stands still";

    advanceMs(12'340);
    press(Qt::Key_F4);
    track = browser.until(kTrack, [](const QJsonValue& v) { return !at(v, 3).isEmpty(); });
    EXPECT_EQ(at(track, 3), QStringLiteral("Runde 1: 12,34"));

    advanceMs(50'230);
    press(Qt::Key_F9);
    track = browser.until(kTrack,
                          [](const QJsonValue& v) { return at(v, 0) == QStringLiteral("Ziel"); });
    ASSERT_EQ(at(track, 0), QStringLiteral("Ziel"));
    const QString stopTime = at(track, 2);
    EXPECT_EQ(stopTime, QStringLiteral("1.02,57"));
    EXPECT_TRUE(lines().last().startsWith(QStringLiteral("H  Stopp:     ") + stopTime + u' '))
        << lines().last().toStdString();

    // The table on the phone is the results list's, row for row.
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->rowCount() == 1; }, kWaitMs));
    QStringList listed;
    for (int column = 0; column < 6; ++column)
        listed << results->cellText(0, column);
    EXPECT_EQ(listed.value(1), name);
    EXPECT_EQ(listed.value(3), stopTime);
    const QJsonValue table = browser.until(kTable, [&](const QJsonValue& v) {
        return v.toArray().size() == 2 && at(v.toArray().at(1), 1) == name;
    });
    ASSERT_EQ(table.toArray().size(), 2) << QJsonDocument(table.toArray()).toJson().toStdString();
    EXPECT_EQ(at(table.toArray().at(0), 3), QStringLiteral("Bestzeit"));
    EXPECT_EQ(table.toArray().at(1).toVariant().toStringList(), listed);

    // A browser that is gone is no viewer, though it said no goodbye.
    browser.stop();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dialog->viewersLabel()->text() == QStringLiteral("Zuschauer verbunden: 0"); },
        kWaitMs));
}
