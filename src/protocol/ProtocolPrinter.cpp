#include "protocol/ProtocolPrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

bool ProtocolPrinter::print(const QPrinter& chosen, const QString& text)
{
    QPrinter printer(QPrinter::HighResolution);
    copySetup(chosen, printer);
    return paint(printer, text, false);
}

bool ProtocolPrinter::printHtml(const QPrinter& chosen, const QString& html)
{
    QPrinter printer(QPrinter::HighResolution);
    copySetup(chosen, printer);
    return paint(printer, html, true);
}

// Everything the printer set-up dialog lets the operator choose.
void ProtocolPrinter::copySetup(const QPrinter& from, QPrinter& to)
{
    if (from.outputFormat() == QPrinter::NativeFormat)
        to.setPrinterName(from.printerName());
    else
        to.setOutputFormat(from.outputFormat());
    // An empty name would switch the copy back to the system's printer.
    if (!from.outputFileName().isEmpty())
        to.setOutputFileName(from.outputFileName());
    to.setResolution(from.resolution());
    to.setPageLayout(from.pageLayout());
    to.setFullPage(from.fullPage());
    to.setCopyCount(from.copyCount());
    to.setCollateCopies(from.collateCopies());
    to.setPageOrder(from.pageOrder());
    to.setColorMode(from.colorMode());
    to.setDuplex(from.duplex());
    to.setPrintRange(from.printRange());
    to.setFromTo(from.fromPage(), from.toPage());
    to.setDocName(from.docName());
    to.setCreator(from.creator());
}

bool ProtocolPrinter::paint(QPrinter& printer, const QString& text, bool html)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    QTextDocument document;
    QFont font(QStringLiteral("Courier New"));
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.documentLayout()->setPaintDevice(&printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    document.setPageSize(page.size());
    document.setDocumentMargin(0);
    if (html)
        document.setHtml(text);
    else
        document.setPlainText(text);

    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            return false;
        const QRectF slice(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -slice.top());
        document.drawContents(&painter, slice);
        painter.restore();
    }
    return painter.end();
}
