#pragma once

#include "comm/TComPort.h"
#include "core/IPortState.h"

#include <QObject>
#include <QString>

#include <cstdint>

class EComError;

// The light-barrier port: a switch contact between DTR and DSR. Finds the
// ports, opens the configured one and reports what its line does as signals
// with plain values; the owner decides what they mean for the race and the
// indicators. All signals are raised on the thread the wiring lives on.
class PortWiring : public QObject, public IPortState
{
    Q_OBJECT

public:
    // `counter` stamps each edge in the port's event thread, the moment the
    // edge arrives; it must be safe to call from there.
    PortWiring(const QString& deviceFolder, TComPort::Counter counter, QObject* parent = nullptr);
    ~PortWiring() override;

    // Which of COM1..COM16 exist and can be opened; bit n-1 for COMn, the
    // highest number found in bits 16..31.
    void ProbePorts();
    std::uint32_t AvailablePorts() const { return m_availablePorts; }

    int portNumber() const override;
    void setPortNumber(int port);

    // Opens a configured port; true when it is open. A port that does not
    // open is no error here: the number stays configured for the next run.
    bool openAtStartUp();
    // After the settings dialog closed with OK. Indexes are those of the
    // dialog's port list ("Keine" is 0); itemText is the chosen entry.
    // Throws EComError when the chosen port does not open; the previous port
    // is closed by then.
    void applyPortChoice(int oldIndex, int newIndex, const QString& itemText);
    void close();

    bool isOpen() const override;
    std::uint32_t ModemStatus() override;
    void autoModeRefused() override;

    // What the operator reads when `port` (device `device`) did not open: the
    // component's own text, except for missing rights, which the operator
    // can mend, so that says how.
    static QString openFailureText(const EComError& error, int port, const QString& device);

signals:
    void opened();
    void closed();
    // A DSR edge: the counter reading taken when it arrived and the modem
    // status right after it. While this is raised, ModemStatus() answers
    // that status too.
    void edge(std::int64_t ticks, std::uint32_t status);
    // The adapter was pulled out or the line hung up. The port is closed
    // already; `text` is the whole notice for the operator.
    void lost(const QString& text);
    // Auto mode was asked for while the configured port is not open. Raised
    // once for every port that failed; `text` is the whole notice.
    void notice(const QString& text);

private:
    void deviceLost(const QString& reason);
    void openFailed(const EComError& error, bool told);

    TComPort m_port;
    std::uint32_t m_availablePorts = 0;
    // A lost device is opened again when the operator confirms its entry.
    bool m_lost = false;
    // Why the configured port is not open, and whether the operator has been
    // told: a failed open after the dialog and a lost adapter say it at
    // once, a failed open at start-up only when Auto mode is asked for.
    QString m_notOpenReason;
    // The open failed for lack of rights: the notice is that hint alone.
    bool m_notOpenPermission = false;
    bool m_notOpenTold = true;
};
