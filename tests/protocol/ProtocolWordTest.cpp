#include "ProtocolFixture.h"

#include "protocol/FodtEditor.h"
#include "protocol/LibreOfficeRunner.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <QPrinter>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// Records the commands as the office would receive them; one of them can be
// made to fail.
struct FakeOffice : WordAutomation
{
    QStringList* log;
    QString failAt;
    bool step(const QString& entry)
    {
        *log << entry;
        return !entry.startsWith(failAt) || failAt.isEmpty();
    }
    bool AppMaximize() override { return step(QStringLiteral("AppMaximize")); }
    bool AppMinimize() override { return step(QStringLiteral("AppMinimize")); }
    bool FileOpen(const QString& p) override { return step(QStringLiteral("FileOpen ") + p); }
    bool Insert(const QString& t) override { return step(QStringLiteral("Insert ") + t); }
    bool FileSaveAs(const QString& f) override { return step(QStringLiteral("FileSaveAs ") + f); }
    bool FilePrint() override { return step(QStringLiteral("FilePrint")); }
    bool AppClose() override { return step(QStringLiteral("AppClose")); }
};

struct ProtocolWord : ::testing::Test
{
    ProtocolWindow w;
    QStringList log;
    QString failAt;
    bool officeInstalled = true;
    QString pdf = w.path(QStringLiteral("print.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    std::unique_ptr<ProtocolController> c;

    void SetUp() override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        ProtocolServices s = w.services();
        s.printer = &printer;
        s.wordAutomation = [this]() -> std::unique_ptr<WordAutomation> {
            if (!officeInstalled)
                return nullptr;
            auto office = std::make_unique<FakeOffice>();
            office->log = &log;
            office->failAt = failAt;
            return office;
        };
        c = w.make(s);
        c->memo().appendLine(QStringLiteral("     Nr.: 1"));
    }
    QString templ() const { return QStringLiteral("FileOpen ") + c->wordTemplatePath(); }
};

} // namespace

TEST_F(ProtocolWord, EachModeSendsItsCommands)
{
    c->exporttoWord1Click();
    EXPECT_EQ(log, (QStringList{QStringLiteral("AppMaximize"), templ(),
                                QStringLiteral("Insert      Nr.: 1\n"),
                                QStringLiteral("FileSaveAs 2009-01-04-14-05.doc")}));
    log.clear();
    w.saveAnswer = SaveDialogChoice{QStringLiteral("/x/day.txt"), 2};
    c->sbSaveClick();
    EXPECT_EQ(
        log,
        (QStringList{QStringLiteral("AppMinimize"), templ(), QStringLiteral("Insert      Nr.: 1\n"),
                     QStringLiteral("FileSaveAs /x/day.txt"), QStringLiteral("AppClose")}));
    log.clear();
    c->sbPrintClick();
    EXPECT_EQ(log, (QStringList{QStringLiteral("AppMinimize"), templ(),
                                QStringLiteral("Insert      Nr.: 1\n"),
                                QStringLiteral("FileSaveAs 2009-01-04-14-05.doc"),
                                QStringLiteral("FilePrint"), QStringLiteral("AppClose")}));
    EXPECT_TRUE(w.errors.empty());
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(w.exporttoWord1.isEnabled());
    EXPECT_TRUE(c->wordTemplatePath().endsWith(QStringLiteral("/program/Protokollvorlage.doc")));
}

TEST_F(ProtocolWord, FailingCommandSkipsTheRestButStillCloses)
{
    failAt = QStringLiteral("FileOpen");
    w.saveAnswer = SaveDialogChoice{w.path(QStringLiteral("day.doc")), 2};
    c->sbSaveClick();
    EXPECT_EQ(log,
              (QStringList{QStringLiteral("AppMinimize"), templ(), QStringLiteral("AppClose")}));
    EXPECT_TRUE(w.exporttoWord1.isEnabled());
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_TRUE(w.errors[0].second.startsWith(
        QStringLiteral("Cannot create file \"%1\".").arg(w.path(QStringLiteral("day.doc")))));

    log.clear();
    c->exporttoWord1Click(); // the shown document is left to the operator: no close
    EXPECT_EQ(log, (QStringList{QStringLiteral("AppMaximize"), templ()}));

    failAt = QStringLiteral("AppClose");
    c->sbPrintClick();
    EXPECT_FALSE(w.exporttoWord1.isEnabled());
}

TEST_F(ProtocolWord, WithoutOfficePrintingFallsBackToQt)
{
    officeInstalled = false;
    c->exporttoWord1Click();
    EXPECT_FALSE(w.exporttoWord1.isEnabled());
    EXPECT_TRUE(w.errors.empty());

    c->sbPrintClick();
    EXPECT_TRUE(readBytes(pdf).startsWith("%PDF"));
    EXPECT_TRUE(w.errors.empty());

    // The Word save tells the operator instead of pretending it saved.
    w.saveAnswer = SaveDialogChoice{w.path(QStringLiteral("day.doc")), 2};
    c->sbSaveClick();
    EXPECT_EQ(w.errors.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(w.path(QStringLiteral("day.doc"))));
}

TEST_F(ProtocolWord, QtPrintingReportsAPrinterItCannotOpen)
{
    officeInstalled = false;
    printer.setOutputFileName(w.path(QStringLiteral("no/such/folder/print.pdf")));
    c->sbPrintClick();
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(w.errors[0].second, QStringLiteral("There is no default printer currently selected"));
}

// On a machine without any printer Qt's default is a PDF printer without a
// file; a print there fails, and so may one to a file that cannot be made.
// Neither may keep the printer chosen afterwards with F7 from printing.
TEST_F(ProtocolWord, PrinterChosenAfterAFailedPrintPrints)
{
    officeInstalled = false;
    QString chosen;
    ProtocolServices s = w.services();
    s.printer = &printer;
    s.printerSetup = [&chosen](QPrinter& p) { p.setOutputFileName(chosen); };
    c = w.make(s);
    c->memo().appendLine(QStringLiteral("     Nr.: 1"));

    const QString failures[] = {QString(), w.path(QStringLiteral("no/such/folder/print.pdf"))};
    for (const QString& failing : failures) {
        SCOPED_TRACE(failing.toStdString());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(failing);
        w.errors.clear();
        w.sbPrint.click();
        ASSERT_EQ(w.errors.size(), 1u);

        chosen = w.path(QStringLiteral("after-%1.pdf").arg(failing.size()));
        c->Drucker1Click();
        w.sbPrint.click();
        EXPECT_EQ(w.errors.size(), 1u);
        EXPECT_TRUE(readBytes(chosen).startsWith("%PDF"));
    }
}

TEST_F(ProtocolWord, QtPrintingPaginatesALongProtocol)
{
    for (int i = 0; i < 300; ++i)
        c->memo().appendLine(QStringLiteral("A    Lap:     1.05,43  %1.").arg(i));
    ASSERT_TRUE(c->printWithQt());
    EXPECT_GE(readBytes(pdf).count("/Type /Page\n") + readBytes(pdf).count("/Type /Page\r"), 2);
}

// ---- the document editing behind the LibreOffice backend --------------------

namespace {

const QByteArray kDoc =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\">"
    "<office:automatic-styles><style:style style:name=\"P1\"/></office:automatic-styles>"
    "<office:body><office:text><office:forms/><text:sequence-decls/>"
    "<text:p text:style-name=\"P1\">Ende</text:p></office:text></office:body></office:document>";

QStringList paragraphs(const QByteArray& doc)
{
    QStringList out;
    QXmlStreamReader reader(doc);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"p")
            out << reader.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return out;
}

} // namespace

TEST(ProtocolFodt, ProtocolGoesFirstAfterTheDeclarations)
{
    const auto doc = FodtEditor::insertAtStart(kDoc, QStringLiteral("Nr.: <1> & 2\r\nH  Start\n"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(paragraphs(*doc), (QStringList{QStringLiteral("Nr.: <1> & 2"),
                                             QStringLiteral("HStart"), QStringLiteral("Ende")}));
    EXPECT_TRUE(
        doc->contains("<text:sequence-decls/><text:p text:style-name=\"KelvatronProtokoll\">"));
    EXPECT_TRUE(doc->contains("H<text:s text:c=\"2\"/>Start"));
    EXPECT_TRUE(doc->contains("<style:style style:name=\"KelvatronProtokoll\""));
    EXPECT_EQ(paragraphs(*FodtEditor::insertAtStart(kDoc, QString())), QStringList{"Ende"});

    // The office writes its documents indented, and names may hold any
    // character; neither may shift the places.
    QByteArray office = kDoc;
    office.replace("><", ">\n  <");
    office.replace("\"P1\"/>", "\"P1 \xF0\x9F\x98\x80\xC3\xA4\"/>");
    const auto indented = FodtEditor::insertAtStart(office, QStringLiteral("x"));
    ASSERT_TRUE(indented);
    EXPECT_EQ(paragraphs(*indented), (QStringList{QStringLiteral("x"), QStringLiteral("Ende")}));
    EXPECT_TRUE(indented->contains("<text:sequence-decls/>\n  <text:p text:style-name=\"Kelva"));
}

TEST(ProtocolFodt, BlanksAndOddCharactersSurviveTheLayout)
{
    const QString p = QStringLiteral("text");
    EXPECT_EQ(FodtEditor::paragraphContent(QStringLiteral("     Nr.: 17"), p),
              QStringLiteral("<text:s text:c=\"5\"/>Nr.: 17"));
    EXPECT_EQ(FodtEditor::paragraphContent(QStringLiteral("a b "), p),
              QStringLiteral("a b<text:s text:c=\"1\"/>"));
    EXPECT_EQ(FodtEditor::paragraphContent(QStringLiteral("a\tb\u0001\u00A0"), p),
              QStringLiteral("a<text:tab/>b?\u00A0"));
}

TEST(ProtocolFodt, DocumentsItCannotPlaceTextInAreRefused)
{
    EXPECT_FALSE(FodtEditor::insertAtStart("not xml at all", QStringLiteral("x")));
    QByteArray noBody = kDoc;
    noBody.replace("<text:p text:style-name=\"P1\">Ende</text:p>", "");
    noBody.replace("<office:text><office:forms/><text:sequence-decls/></office:text>",
                   "<office:text/>");
    EXPECT_FALSE(FodtEditor::insertAtStart(noBody, QStringLiteral("x")));

    QByteArray emptyStyles = kDoc;
    emptyStyles.replace("<office:automatic-styles><style:style style:name=\"P1\"/>"
                        "</office:automatic-styles>",
                        "<office:automatic-styles/>");
    const auto doc = FodtEditor::insertAtStart(emptyStyles, QStringLiteral("x"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(paragraphs(*doc), (QStringList{QStringLiteral("x"), QStringLiteral("Ende")}));
}

// ---- the office process ------------------------------------------------------

namespace {

bool processGone(const QString& pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QList<QByteArray> fields = stat.readAll().split(' ');
    return fields.size() > 2 && fields[2] == "Z"; // killed, waiting to be reaped
}

} // namespace

TEST(ProtocolOfficeProcess, HangingOfficeIsKilledWithWhatItStarted)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    const QString fake = dir.filePath(QStringLiteral("soffice"));
    // Like the real launcher, it starts the actual office as a child; this
    // one never finishes.
    writeBytes(
        fake,
        QStringLiteral("#!/bin/sh\nsleep 3600 &\necho $! > '%1'\nwait\n").arg(pidFile).toUtf8());
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeBytes(dir.filePath(QStringLiteral("in.fodt")), "x");

    // Long enough for a loaded machine to get the shell to its child.
    LibreOfficeRunner runner(fake, 2000);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(runner
                    .convert(dir.filePath(QStringLiteral("in.fodt")), QStringLiteral("pdf"),
                             dir.filePath(QStringLiteral("out")))
                    .isEmpty());
    EXPECT_LT(timer.elapsed(), 20000);

    const QString pid = QString::fromLatin1(readBytes(pidFile)).trimmed();
    ASSERT_FALSE(pid.isEmpty());
    QDeadlineTimer deadline(10000);
    while (!processGone(pid) && !deadline.hasExpired())
        QThread::yieldCurrentThread();
    EXPECT_TRUE(processGone(pid)) << pid.toStdString();
}
