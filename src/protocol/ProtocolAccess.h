// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolServices.h"

#include <QString>

class QPrinter;

// What a window that reads the protocol and writes files of its own the
// protocol's way may use of it: the text, the dialogs, opener and writer, the
// folders and names, and the printer. Nothing of the protocol's commands.
class ProtocolAccess
{
public:
    virtual ~ProtocolAccess() = default;

    virtual ProtocolMemo& memo() = 0;
    virtual const ProtocolServices& services() const = 0;
    virtual QString dialogFolder() const = 0;
    virtual QString pageFileName() const = 0;
    // Where a file name without a folder lands.
    virtual QString resolve(const QString& fileName) const = 0;
    // The printer F7 sets up; Qt's printing runs on a copy of it each time.
    virtual QPrinter& printer() = 0;
};
