// The settings round trip of the main window: fill the dialog from the
// running settings, show it, and apply what the operator confirmed.

#include "ui/main/TFormMain.h"

#include "ui/main/LivePublisher.h"

#include "comm/ComErrors.h"
#include "comm/PortWiring.h"
#include "controls/TSpinEdit.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/ToColorCombo.h"
#include "core/ProductLimits.h"
#include "core/RaceControl.h"
#include "settings/LockoutConversion.h"
#include "settings/TCfgDialog.h"
#include "ui/results/ResultsWindow.h"

#include <QComboBox>
#include <QFrame>
#include <QTimer>

#include <algorithm>

void TFormMain::createSettingsDialog()
{
    m_cfg = new TCfgDialog(m_portWiring->AvailablePorts(), this);
    m_cfg->setBarrierAlgorithmQuery([this] { return m_race->BarrierAlgorithm(); });
    // The resolution list previews at once; step 8 of every round trip puts
    // the real setting back.
    connect(m_cfg, &TCfgDialog::PreviewResolution, this,
            [this](int resolution) { m_race->ApplyResolution(resolution); });
}

void TFormMain::bCFGClick()
{
    if (!m_cfg)
        return;
    TCfgDialog& dialog = *m_cfg;

    dialog.cbColorCifra->setColorValue(m_c2);
    dialog.cbColorFon->setColorValue(m_c1);
    dialog.cbColorCifraF->setColorValue(m_c3);
    dialog.cbDigits->setCurrentIndex(2 - m_race->DisplayResolution());

    const int port = m_portWiring->portNumber();
    if (port != 0)
        dialog.cbPort->setCurrentIndex(
            dialog.cbPort->findText(QStringLiteral("COM%1").arg(port), Qt::MatchExactly));
    else
        dialog.cbPort->setCurrentIndex(0);

    const bool barrierSettings = port != 0;
    dialog.cbAlg->setEnabled(barrierSettings);
    dialog.seLaps->setEnabled(barrierSettings);
    dialog.seWait->setEnabled(barrierSettings);

    dialog.seLaps->setValue(m_race->LapLimit());
    const int algorithm = m_race->BarrierAlgorithm();
    dialog.cbAlg->setCurrentIndex(algorithm >= 0 && algorithm <= 1 ? algorithm : -1);
    const int oldPortIndex = dialog.cbPort->currentIndex();

    dialog.seWait->setValue(LockoutConversion::msToSeconds(m_race->LockoutTime()));
    dialog.cbLAPType->setCurrentIndex(m_race->LapType());

    if (dialog.exec() == QDialog::Accepted) {
        m_race->setLapType(dialog.cbLAPType->currentIndex());
        setDisplayColours(dialog.cbColorFon->ColorValue(), dialog.cbColorCifra->ColorValue(),
                          dialog.cbColorCifraF->ColorValue());
        if (!m_ui.Clock->isActive()) {
            m_race->ShowRaceTime(m_race->StopTicks() - m_race->StartTicks(), DisplayRow::First);
            m_race->ShowRaceTime(0, DisplayRow::Second);
        }
        m_race->setDisplayResolution(2 - dialog.cbDigits->currentIndex());
        m_results->scheduleRefresh();
        m_livePublisher->refresh();
        m_race->setLockoutTime(LockoutConversion::secondsToMs(dialog.seWait->Value()));
        // Enter closes the dialog before the edit could correct what was
        // typed; a lap limit outside its range would end a race early.
        m_race->setLapLimit(std::clamp(dialog.seLaps->Value(), 0, ProductLimits::kMaxLapLimit));
        try {
            applyPortChoice(oldPortIndex, dialog.cbPort->currentIndex(),
                            dialog.cbPort->currentText(), dialog.cbAlg->currentIndex());
        } catch (const EComError& error) {
            // The new port and algorithm stay chosen and are saved at exit;
            // the indicators keep what they showed.
            showError(error.message());
            return;
        }
    }
    m_race->ApplyResolution(m_race->DisplayResolution());
    m_ui.PanelLeft->setFocus(Qt::OtherFocusReason);
}
