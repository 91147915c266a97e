#pragma once

#include <QString>

class QPrinter;

// Lays the protocol out on the printer's pages in a monospaced font: the
// printing path for machines where no office suite can be driven.
class ProtocolPrinter
{
public:
    static bool print(QPrinter& printer, const QString& text);
};
