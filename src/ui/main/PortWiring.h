#pragma once

#include "core/IPortState.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class EComError;
class TComPort;
class TFormMain;
class RaceControl;

// The light-barrier port of the main window: finding the ports, opening the
// configured one, keeping the mode indicators in step with it, and handing
// every DSR edge to the race with the counter reading of the edge.
class PortWiring : public QObject, public IPortState
{
    Q_OBJECT

public:
    PortWiring(TFormMain& form, const QString& deviceFolder);
    ~PortWiring() override;

    IPortState& state() { return *this; }
    void setRace(RaceControl* race) { m_race = race; }
    TComPort& ComPort() { return *m_port; }

    // Which of COM1..COM16 exist and can be opened; bit n-1 for COMn, the
    // highest number found in bits 16..31.
    void ProbePorts();
    std::uint32_t AvailablePorts() const { return m_availablePorts; }

    int portNumber() const override;
    void setPortNumber(int port);
    int barrierAlgorithm() const;
    void setBarrierAlgorithm(int algorithm);

    // Window creation: a configured port is opened and the window goes to
    // Auto mode; a port that does not open leaves Hand mode, silently.
    void openAtStartUp();
    // After the settings dialog closed with OK. Indexes are those of the
    // dialog's port list ("Keine" is 0); itemText is the chosen entry and
    // algorithmIndex the chosen algorithm. Throws EComError when the chosen
    // port does not open; the caller shows its message.
    void applyPortChoice(int oldIndex, int newIndex, const QString& itemText, int algorithmIndex);
    void close();

    bool isOpen() const override;
    std::uint32_t ModemStatus() override;
    void autoModeRefused() override;

signals:
    // The operator has to learn why the barrier cannot trigger: its adapter
    // was pulled out (the window is back in Hand mode when this is raised),
    // or Auto mode was asked for while the configured port is not open.
    // Raised once for every port that failed; `text` is the whole notice.
    void barrierNotice(const QString& text);

private:
    void ComPortOpen();
    void ComPortClose();
    void ComPortDSR();
    void deviceLost(const QString& reason);
    void openFailed(const EComError& error, bool told);

    TFormMain& m_form;
    std::unique_ptr<TComPort> m_port;
    RaceControl* m_race = nullptr;
    std::uint32_t m_availablePorts = 0;
    // A lost device is opened again when the operator confirms its entry.
    bool m_lost = false;
    // Why the configured port is not open, and whether the operator has been
    // told: a failed open after the dialog and a lost adapter say it at
    // once, a failed open at start-up only when Auto mode is asked for.
    QString m_notOpenReason;
    bool m_notOpenTold = true;
};
