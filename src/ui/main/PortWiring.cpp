#include "ui/main/PortWiring.h"

#include "comm/ComErrors.h"
#include "comm/PortProbe.h"
#include "comm/TComPort.h"
#include "controls/TLed.h"
#include "core/RaceControl.h"
#include "ui/main/TFormMain.h"

#include <QLabel>

PortWiring::PortWiring(TFormMain& form, const QString& deviceFolder)
    : m_form(form), m_port(std::make_unique<TComPort>())
{
    // The barrier needs one line: DSR, watched with DTR held on. The rest is
    // what any adapter accepts.
    m_port->setBaudRate(br9600);
    m_port->setBaudRateUser(28800);
    m_port->setPort(0);
    m_port->setParity(prNone);
    m_port->setStopBits(sbOneStopBit);
    m_port->setFlowControl(fcNone);
    m_port->setDataBits(5);
    m_port->setEvents(TEvents{evDSR});
    m_port->setEnableDTR(true);
    m_port->setWriteBufSize(64);
    m_port->setReadBufSize(64);
    m_port->setDeviceFolder(deviceFolder);

    connect(m_port.get(), &TComPort::OnDSR, this, &PortWiring::ComPortDSR);
    connect(m_port.get(), &TComPort::OnOpen, this, &PortWiring::ComPortOpen);
    connect(m_port.get(), &TComPort::OnClose, this, &PortWiring::ComPortClose);
    connect(m_port.get(), &TComPort::OnDeviceLost, this,
            [this](TComPort*, const QString& reason) { deviceLost(reason); });
}

PortWiring::~PortWiring()
{
    m_port->Close();
}

void PortWiring::ProbePorts()
{
    m_availablePorts = PortProbe::ProbePorts(m_port->deviceFolder());
}

int PortWiring::portNumber() const
{
    return m_port->Port();
}

void PortWiring::setPortNumber(int port)
{
    m_port->setPort(port);
}

int PortWiring::barrierAlgorithm() const
{
    return m_port->Tag();
}

void PortWiring::setBarrierAlgorithm(int algorithm)
{
    m_port->setTag(algorithm);
    if (m_race)
        m_race->setBarrierAlgorithm(algorithm);
}

bool PortWiring::isOpen() const
{
    return m_port->Connected();
}

std::uint32_t PortWiring::ModemStatus()
{
    return m_port->Connected() ? m_port->ModemStatus() : 0;
}

void PortWiring::openAtStartUp()
{
    if (m_port->Port() == 0)
        return;
    try {
        m_port->Open();
        m_race->SetAutoMode();
    } catch (const EComError& error) {
        // A missing or busy barrier at start-up is no error: the operator
        // times by hand, and the number stays configured for the next run.
        openFailed(error, false);
    }
}

void PortWiring::applyPortChoice(int oldIndex, int newIndex, const QString& itemText,
                                 int algorithmIndex)
{
    // A port whose device was lost is opened again even when the operator
    // confirms the same entry: that is how a re-plugged adapter comes back.
    const bool reopen = newIndex != oldIndex || (newIndex > 0 && m_lost);
    if (reopen)
        m_port->Close();
    if (newIndex != 0) {
        bool ok = false;
        const int port = itemText.mid(3).toInt(&ok);
        m_port->setPort(ok ? port : 0);
        setBarrierAlgorithm(algorithmIndex);
        if (reopen) {
            m_lost = false;
            try {
                m_port->Open();
            } catch (const EComError& error) {
                // The old port is closed already: showing Auto and "Frei"
                // now would promise a barrier that cannot trigger.
                m_race->SetHandMode();
                // The caller shows the message.
                openFailed(error, true);
                throw;
            }
        }
    } else {
        m_port->setPort(0);
        m_lost = false;
    }
    if (m_port->Connected())
        m_race->SetAutoMode();
    else
        m_race->SetHandMode();
}

void PortWiring::close()
{
    m_port->Close();
}

void PortWiring::ComPortOpen()
{
    m_form.LabelMadus2->setText(QStringLiteral("Modus:"));
    m_form.LedModus->setCursor(Qt::PointingHandCursor);
}

void PortWiring::ComPortClose()
{
    m_form.LabelMadus2->setText(QStringLiteral("Modus:"));
    m_form.LedModus->setCursor(Qt::ArrowCursor);
}

void PortWiring::ComPortDSR()
{
    if (m_race)
        m_race->ComPortDSR(m_port->LastEventTicks());
}

void PortWiring::autoModeRefused()
{
    if (m_notOpenTold)
        return;
    m_notOpenTold = true;
    emit barrierNotice(QStringLiteral("Die Lichtschranke an COM%1 ist nicht bereit (%2). "
                                      "Das Programm bleibt im Handbetrieb.")
                           .arg(m_port->Port())
                           .arg(m_notOpenReason));
}

void PortWiring::openFailed(const EComError& error, bool told)
{
    m_notOpenReason = error.message();
    m_notOpenTold = told;
}

void PortWiring::deviceLost(const QString& reason)
{
    m_lost = true;
    m_notOpenTold = true;
    m_port->Close();
    if (m_race)
        m_race->SetHandMode();
    emit barrierNotice(QStringLiteral("Die Lichtschranke antwortet nicht mehr (%1). "
                                      "Das Programm ist in den Handbetrieb gewechselt.")
                           .arg(reason));
}
