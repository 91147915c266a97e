#pragma once

#include "protocol/ProtocolServices.h"

class QWidget;

// The program's real collaborators: file dialogs, message boxes, the desktop's
// opener, LibreOffice and the printer set-up dialog, parented to the window.
class ProtocolDialogs
{
public:
    static ProtocolServices defaults(QWidget* parent);
};
