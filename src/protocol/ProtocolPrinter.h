#pragma once

#include <QString>

class QPrinter;

// Lays the protocol out on the printer's pages in a monospaced font: the
// printing path for machines where no office suite can be driven.
class ProtocolPrinter
{
public:
    // Prints on a new printer set up like `chosen`, never on `chosen` itself:
    // Qt keeps a printer whose output could not be opened marked as printing
    // and then refuses every later change to it, so a single failed print
    // would leave the printer set-up without effect for the rest of the run.
    static bool print(const QPrinter& chosen, const QString& text);
    // The same for a rich-text document, e.g. a table.
    static bool printHtml(const QPrinter& chosen, const QString& html);

private:
    static void copySetup(const QPrinter& from, QPrinter& to);
    static bool paint(QPrinter& printer, const QString& text, bool html);
};
