// SPDX-License-Identifier: GPL-3.0-or-later
#include "live/LiveService.h"

#include "live/BackgroundPriority.h"
#include "live/LiveServer.h"

#include <QFile>

#include <future>
#include <memory>

// Q_INIT_RESOURCE must not be used inside a namespace.
static void initLiveResources()
{
    Q_INIT_RESOURCE(live);
}

namespace {

QByteArray pageBytes()
{
    initLiveResources();
    QFile file(QStringLiteral(":/live/index.html"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

LiveService::LiveService(QObject* parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("live results"));
    m_server = new LiveServer(pageBytes());
    m_server->moveToThread(&m_thread);
    auto ready = std::make_shared<std::promise<void>>();
    std::future<void> started = ready->get_future();
    connect(&m_thread, &QThread::started, [ready] {
        BackgroundPriority::lowerCurrentThread();
        ready->set_value();
    });
    connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    connect(m_server, &LiveServer::listening, this, [this](quint16 port) {
        m_running = true;
        m_port = port;
        m_error.clear();
        emit stateChanged();
    });
    connect(m_server, &LiveServer::failed, this, [this](const QString& message) {
        m_running = false;
        m_error = message;
        emit stateChanged();
    });
    connect(m_server, &LiveServer::viewersChanged, this, [this](int count) {
        m_viewers = count;
        emit viewersChanged(count);
    });
    m_thread.start();
    // The thread's event loop exists once it has started: nothing is posted
    // to it before. The wait also shows a thread checker that order, which
    // Qt's own locking (not instrumented) would hide.
    started.wait();
}

LiveService::~LiveService()
{
    // Waited for with a promise rather than a blocking call: a thread
    // checker sees this order, not the one inside Qt.
    auto closed = std::make_shared<std::promise<void>>();
    std::future<void> done = closed->get_future();
    QMetaObject::invokeMethod(m_server, [server = m_server, closed] {
        server->close();
        closed->set_value();
    });
    done.wait();
    m_thread.quit();
    m_thread.wait();
}

void LiveService::start(quint16 port)
{
    m_error.clear();
    QMetaObject::invokeMethod(m_server, [server = m_server, port] { server->listen(port); });
}

void LiveService::stop()
{
    QMetaObject::invokeMethod(m_server, [server = m_server] { server->close(); });
    const bool changed = m_running || !m_error.isEmpty();
    m_running = false;
    m_error.clear();
    m_viewers = 0;
    if (changed) {
        emit stateChanged();
        emit viewersChanged(0);
    }
}

void LiveService::publish(const Live::Snapshot& snapshot)
{
    QMetaObject::invokeMethod(m_server,
                              [server = m_server, snapshot] { server->publish(snapshot); });
}
