// SPDX-License-Identifier: GPL-3.0-or-later
#include "live/LiveService.h"

#include "live/BackgroundPriority.h"
#include "live/LiveServer.h"

#include <QFile>

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
    connect(&m_thread, &QThread::started, [] { BackgroundPriority::lowerCurrentThread(); });
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
}

LiveService::~LiveService()
{
    QMetaObject::invokeMethod(
        m_server, [server = m_server] { server->close(); }, Qt::BlockingQueuedConnection);
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
