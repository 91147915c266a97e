#include "comm/PortWiring.h"

#include "comm/ComErrors.h"
#include "comm/PortProbe.h"

#include <cerrno>

PortWiring::PortWiring(const QString& deviceFolder, TComPort::Counter counter, QObject* parent)
    : QObject(parent)
{
    // The barrier needs one line: DSR, watched with DTR held on. The rest is
    // what any adapter accepts.
    m_port.setBaudRate(br9600);
    m_port.setBaudRateUser(28800);
    m_port.setPort(0);
    m_port.setParity(prNone);
    m_port.setStopBits(sbOneStopBit);
    m_port.setFlowControl(fcNone);
    m_port.setDataBits(5);
    m_port.setEvents(TEvents{evDSR});
    m_port.setEnableDTR(true);
    m_port.setWriteBufSize(64);
    m_port.setReadBufSize(64);
    m_port.setDeviceFolder(deviceFolder);
    m_port.setCounter(std::move(counter));

    connect(&m_port, &TComPort::OnDSR, this, [this](TComPort* sender) {
        emit edge(sender->LastEventTicks(), sender->ModemStatus());
    });
    connect(&m_port, &TComPort::OnOpen, this, &PortWiring::opened);
    connect(&m_port, &TComPort::OnClose, this, &PortWiring::closed);
    connect(&m_port, &TComPort::OnDeviceLost, this,
            [this](TComPort*, const QString& reason) { deviceLost(reason); });
}

PortWiring::~PortWiring()
{
    m_port.Close();
}

void PortWiring::ProbePorts()
{
    m_availablePorts = PortProbe::ProbePorts(m_port.deviceFolder());
}

int PortWiring::portNumber() const
{
    return m_port.Port();
}

void PortWiring::setPortNumber(int port)
{
    m_port.setPort(port);
}

bool PortWiring::isOpen() const
{
    return m_port.Connected();
}

std::uint32_t PortWiring::ModemStatus()
{
    return m_port.Connected() ? m_port.ModemStatus() : 0;
}

bool PortWiring::openAtStartUp()
{
    if (m_port.Port() == 0)
        return false;
    try {
        m_port.Open();
        return true;
    } catch (const EComError& error) {
        // A missing or busy barrier at start-up is no error: the operator
        // times by hand and hears why only when asking for Auto mode.
        openFailed(error, false);
        return false;
    }
}

void PortWiring::applyPortChoice(int oldIndex, int newIndex, const QString& itemText)
{
    // A port whose device was lost is opened again even when the operator
    // confirms the same entry: that is how a re-plugged adapter comes back.
    const bool reopen = newIndex != oldIndex || (newIndex > 0 && m_lost);
    if (reopen)
        m_port.Close();
    if (newIndex != 0) {
        bool ok = false;
        const int port = itemText.mid(3).toInt(&ok);
        m_port.setPort(ok ? port : 0);
        if (reopen) {
            m_lost = false;
            try {
                m_port.Open();
            } catch (const EComError& error) {
                // The caller shows the message.
                openFailed(error, true);
                throw EComHandle(openFailureText(error, m_port.Port(), m_port.deviceFileName()),
                                 error.systemError());
            }
        }
    } else {
        m_port.setPort(0);
        m_lost = false;
    }
}

void PortWiring::close()
{
    m_port.Close();
}

void PortWiring::autoModeRefused()
{
    if (m_notOpenTold)
        return;
    m_notOpenTold = true;
    if (m_notOpenPermission) {
        emit notice(m_notOpenReason + QStringLiteral(" Das Programm bleibt im Handbetrieb."));
        return;
    }
    emit notice(QStringLiteral("Die Lichtschranke an COM%1 ist nicht bereit (%2). "
                               "Das Programm bleibt im Handbetrieb.")
                    .arg(m_port.Port())
                    .arg(m_notOpenReason));
}

void PortWiring::openFailed(const EComError& error, bool told)
{
    m_notOpenPermission = error.systemError() == EACCES || error.systemError() == EPERM;
    m_notOpenReason = m_notOpenPermission
                          ? openFailureText(error, m_port.Port(), m_port.deviceFileName())
                          : error.message();
    m_notOpenTold = told;
}

QString PortWiring::openFailureText(const EComError& error, int port, const QString& device)
{
    if (error.systemError() != EACCES && error.systemError() != EPERM)
        return error.message();
    // Serial lines belong to the group "dialout" on Debian and its kin.
    return QStringLiteral("Keine Berechtigung für die Lichtschranke an COM%1 (%2). "
                          "Benutzer in die Gruppe \"dialout\" aufnehmen: "
                          "sudo usermod -aG dialout $USER, dann neu anmelden.")
        .arg(port)
        .arg(device);
}

void PortWiring::deviceLost(const QString& reason)
{
    m_lost = true;
    m_notOpenTold = true;
    m_port.Close();
    emit lost(QStringLiteral("Die Lichtschranke antwortet nicht mehr (%1). "
                             "Das Programm ist in den Handbetrieb gewechselt.")
                  .arg(reason));
}
