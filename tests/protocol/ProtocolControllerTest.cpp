#include "ProtocolFixture.h"

#include "protocol/ProtocolDialogs.h"
#include "support/FullDisk.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextCursor>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

namespace {

const QByteArray kRace = "     Nr.: M\xFCller \x80\xA0\x81\r\n"
                         "H  Start: 00:00.00,00  14:05.03,07\r\n"
                         "A  Stopp:     3.16,50  14:08.19,57\r\n";

struct ProtocolController_ : ::testing::Test
{
    ProtocolWindow w;
    std::unique_ptr<ProtocolController> c = w.make();

    void load(const QByteArray& bytes)
    {
        const QString file = w.path(QStringLiteral("in.txt"));
        writeBytes(file, bytes);
        w.openAnswer = file;
        c->sbLoadClick();
    }
    QByteArray saveAs(int filterIndex, const QString& name)
    {
        w.saveAnswer = SaveDialogChoice{w.path(name), filterIndex};
        c->sbSaveClick();
        return readBytes(w.path(name));
    }
    bool buttonsEnabled() const
    {
        return w.sbSave.isEnabled() && w.sbInet.isEnabled() && w.sbPrint.isEnabled() &&
               w.sbCLS.isEnabled() && w.Selectall1.isEnabled();
    }
    bool buttonsDisabled() const
    {
        return !w.sbSave.isEnabled() && !w.sbInet.isEnabled() && !w.sbPrint.isEnabled() &&
               !w.sbCLS.isEnabled() && !w.Selectall1.isEnabled();
    }
    QStringList filesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden);
    }
};

} // namespace

TEST_F(ProtocolController_, TextFileRoundTripKeepsEveryByte)
{
    load(kRace);
    EXPECT_TRUE(w.errors.empty());
    EXPECT_EQ(saveAs(1, QStringLiteral("out.txt")), kRace);
    EXPECT_TRUE(w.memo.textCursor().atEnd());
}

TEST_F(ProtocolController_, LoadNormalisesBreaksAndEndsAtNul)
{
    load(QByteArray("one\ntwo\rthree\r\nfour\0five\r\n", 26));
    EXPECT_EQ(saveAs(1, QStringLiteral("out.txt")), QByteArray("one\r\ntwo\r\nthree\r\nfour"));

    // A file without a final break keeps it that way, and appending closes
    // the open line first.
    c->memo().appendLine(QString());
    EXPECT_EQ(c->memo().fileBytes(), QByteArray("one\r\ntwo\r\nthree\r\nfour\r\n\r\n"));
}

TEST_F(ProtocolController_, ButtonsFollowTheContentNotTheFileSize)
{
    c->UpdateProtocolButtons();
    EXPECT_TRUE(buttonsDisabled());
    load("\r\n");
    EXPECT_TRUE(buttonsEnabled());
    load("");
    EXPECT_TRUE(buttonsDisabled());
    EXPECT_TRUE(w.sbLoad.isEnabled());

    c->memo().appendLine(QStringLiteral("Nr.: 1"));
    EXPECT_TRUE(buttonsEnabled());

    c->PopupMenuProtokolPopup();
    EXPECT_FALSE(w.CopytoClipboard1.isEnabled());
    c->Selectall1Click();
    c->PopupMenuProtokolPopup();
    EXPECT_TRUE(w.CopytoClipboard1.isEnabled());
    c->CopytoClipboard1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Nr.: 1\n"));
}

TEST_F(ProtocolController_, LoadRefusesFilesBeyondTheCapacity)
{
    ProtocolWindow small;
    ProtocolServices s = small.services();
    s.memoCapacity = 100;
    auto limited = small.make(s);
    const QString file = small.path(QStringLiteral("in.txt"));

    writeBytes(file, QByteArray(100, 'x'));
    small.openAnswer = file;
    limited->sbLoadClick();
    EXPECT_EQ(limited->memo().text().size(), 100);
    EXPECT_TRUE(small.errors.empty());

    writeBytes(file, QByteArray(101, 'y'));
    limited->sbLoadClick();
    ASSERT_EQ(small.errors.size(), 1u);
    EXPECT_EQ(small.errors[0].second, QStringLiteral("Text exceeds memo capacity"));
    EXPECT_EQ(limited->memo().text(), QString(100, u'x'));

    // The program's own limit: a protocol just above it is refused without
    // being read (the file is sparse, so this costs nothing).
    const QString huge = w.path(QStringLiteral("huge.txt"));
    QFile sparse(huge);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(ProtocolServices().memoCapacity + 1));
    sparse.close();
    load("kept\r\n");
    w.openAnswer = huge;
    c->sbLoadClick();
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(w.errors[0].second, QStringLiteral("Text exceeds memo capacity"));
    EXPECT_EQ(c->memo().text(), QStringLiteral("kept\n"));
}

TEST_F(ProtocolController_, ClearAsksAndOnlyJaClears)
{
    load(kRace);
    QTextCursor selection = w.memo.textCursor();
    selection.setPosition(2);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    w.memo.setTextCursor(selection);

    w.yesNoAnswer = false;
    c->sbCLSClick();
    EXPECT_EQ(w.questions, QStringList{QStringLiteral("Zeitenprotokoll  löschen?")});
    EXPECT_EQ(c->memo().fileBytes(), kRace);
    EXPECT_EQ(w.memo.textCursor().selectedText(), QStringLiteral("   Nr"));

    w.yesNoAnswer = true;
    c->sbCLSClick();
    EXPECT_TRUE(c->memo().isEmpty());
    EXPECT_TRUE(buttonsDisabled());

    // An empty protocol still asks.
    c->sbCLSClick();
    EXPECT_EQ(w.questions.size(), 3);
}

TEST_F(ProtocolController_, SaveDialogIsAskedWithStampLabelsAndRemembersTheEntry)
{
    c->setFilterInd(3);
    c->setFileTypeLabels(QStringLiteral("Text"), QString(), QStringLiteral("Seite"));
    w.saveAnswer.reset();
    c->sbSaveClick();
    ASSERT_EQ(w.saveRequests.size(), 1u);
    const SaveDialogRequest& r = w.saveRequests[0];
    EXPECT_EQ(r.fileName, w.stamp);
    EXPECT_EQ(r.filterIndex, 3);
    EXPECT_EQ(r.filters, (QStringList{QStringLiteral("Text (*.txt)"), QStringLiteral(" (*.doc)"),
                                      QStringLiteral("Seite (*.html)")}));
    EXPECT_EQ(c->FilterInd(), 3); // a cancel changes nothing

    saveAs(1, QStringLiteral("a.txt"));
    EXPECT_EQ(c->FilterInd(), 1);
}

TEST_F(ProtocolController_, WriterFollowsTheFilterEntryNotTheExtension)
{
    load(kRace);
    const QByteArray page = saveAs(3, QStringLiteral("page.txt"));
    EXPECT_TRUE(page.startsWith("<HTML>\r\n"));
    EXPECT_EQ(saveAs(1, QStringLiteral("text.html")), kRace);
    EXPECT_EQ(saveAs(7, QStringLiteral("odd.txt")), kRace);
}

TEST_F(ProtocolController_, EmptyProtocolGivesAnEmptyFileAndExitCopy)
{
    EXPECT_EQ(saveAs(1, QStringLiteral("empty.txt")), QByteArray());
    EXPECT_TRUE(QFileInfo::exists(w.path(QStringLiteral("empty.txt"))));

    const QString exitCopy = w.path(QStringLiteral("cwd/Kelvatron.txt"));
    writeBytes(exitCopy, "yesterday\r\n");
    EXPECT_TRUE(c->writeExitCopy());
    EXPECT_EQ(readBytes(exitCopy), QByteArray());
}

TEST_F(ProtocolController_, FailuresAreReportedAndTheProtocolStays)
{
    load(kRace);
    const QString missing = w.path(QStringLiteral("no/such/folder/x.txt"));
    w.saveAnswer = SaveDialogChoice{missing, 1};
    c->sbSaveClick();
    w.openAnswer = w.path(QStringLiteral("absent.txt"));
    c->sbLoadClick();
    w.saveAnswer = SaveDialogChoice{missing, 3};
    c->sbSaveClick();

    ASSERT_EQ(w.errors.size(), 3u);
    EXPECT_EQ(w.errors[0].second,
              QStringLiteral("Cannot create file \"%1\". No such file or directory").arg(missing));
    EXPECT_EQ(w.errors[1].second,
              QStringLiteral("Cannot open file \"%1\". No such file or directory")
                  .arg(w.path(QStringLiteral("absent.txt"))));
    EXPECT_EQ(w.errors[2],
              std::make_pair(QStringLiteral("Error"),
                             QStringLiteral("Der Schreibfehler der Datei: ") + missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(c->memo().fileBytes(), kRace);
}

// A write that breaks off half-way must leave the previous file as it was and
// no temporary file behind, for text files and pages alike.
TEST_F(ProtocolController_, InterruptedWriteKeepsTheOldFile)
{
    ProtocolWindow failing;
    ProtocolServices s = failing.services();
    s.fileWriter = [](QIODevice& device, QByteArrayView data) {
        device.write(data.data(), data.size() / 2);
        return false;
    };
    auto fc = failing.make(s);
    fc->memo().appendLine(QStringLiteral("new race"));
    const QString folder = failing.path(QStringLiteral("out"));
    QDir().mkpath(folder);
    const QString target = folder + QStringLiteral("/day.txt");
    writeBytes(target, "good old protocol\r\n");

    failing.saveAnswer = SaveDialogChoice{target, 1};
    fc->sbSaveClick();
    failing.saveAnswer = SaveDialogChoice{target, 3};
    fc->sbSaveClick();

    ASSERT_EQ(failing.errors.size(), 2u);
    EXPECT_EQ(failing.errors[0].second, QStringLiteral("Stream write error"));
    EXPECT_EQ(failing.errors[1].first, QStringLiteral("Error"));
    EXPECT_EQ(readBytes(target), QByteArray("good old protocol\r\n"));
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("day.txt")});
}

// Text file, web page and exit copy on a disk that runs full while they are
// written: each reports it and the file it was to replace stays as it was.
// A protocol of a few lines, as on a disk with no room left at all: small
// writes are the ones a buffer would swallow and fail only later.
TEST_F(ProtocolController_, FullDiskKeepsEveryOldFileAndSaysSo)
{
    load(kRace);
    const QString folder = w.path(QStringLiteral("out"));
    QDir().mkpath(folder);
    const QString text = folder + QStringLiteral("/day.txt");
    const QString page = folder + QStringLiteral("/day.html");
    const QString exitCopy = w.path(QStringLiteral("cwd/Kelvatron.txt"));
    writeBytes(text, "good old protocol\r\n");
    writeBytes(page, "older page");
    writeBytes(exitCopy, "yesterday\r\n");

    const QString report = runOnFullDisk(32, [&] {
        w.saveAnswer = SaveDialogChoice{text, 1};
        c->sbSaveClick();
        w.saveAnswer = SaveDialogChoice{page, 3};
        c->sbSaveClick();
        const bool exitCopyWritten = c->writeExitCopy();
        QStringList said;
        for (const auto& [caption, message] : w.errors)
            said << caption + QStringLiteral(": ") + message;
        said << (exitCopyWritten ? QStringLiteral("exit copy written")
                                 : QStringLiteral("exit copy refused"));
        return said.join(u'\n');
    });

    EXPECT_EQ(report.toStdString(),
              (QStringList{QStringLiteral("Kelvatron: Stream write error"),
                           QStringLiteral("Error: Der Schreibfehler der Datei: ") + page,
                           QStringLiteral("Kelvatron: Stream write error"),
                           QStringLiteral("exit copy refused")}
                   .join(u'\n')
                   .toStdString()));
    EXPECT_EQ(readBytes(text), QByteArray("good old protocol\r\n"));
    EXPECT_EQ(readBytes(page), QByteArray("older page"));
    EXPECT_EQ(readBytes(exitCopy), QByteArray("yesterday\r\n"));
    EXPECT_EQ(filesIn(folder),
              (QStringList{QStringLiteral("day.html"), QStringLiteral("day.txt")}));
    EXPECT_EQ(filesIn(w.path(QStringLiteral("cwd"))), QStringList{QStringLiteral("Kelvatron.txt")});
}

// Opening a pipe for reading waits for a writer: the window would hang until
// something wrote to it.
TEST_F(ProtocolController_, LoadRefusesAPipeInsteadOfWaitingOnIt)
{
    load(kRace);
    const QString fifo = w.path(QStringLiteral("pipe.txt"));
    const QByteArray name = QFile::encodeName(fifo);
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    // The far end of the pipe: what a load that opened it would read.
    std::thread far([&name] {
        const int fd = ::open(name.constData(), O_WRONLY);
        if (fd >= 0) {
            [[maybe_unused]] const auto n = ::write(fd, "from a pipe\r\n", 13);
            ::close(fd);
        }
    });
    w.openAnswer = fifo;
    c->sbLoadClick();
    // Lets the far end go when the load left the pipe alone.
    const int reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    far.join();
    ::close(reader);

    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(w.errors[0].second,
              QStringLiteral("Cannot open file \"%1\". Not a regular file").arg(fifo));
    EXPECT_EQ(c->memo().fileBytes(), kRace);
}

TEST_F(ProtocolController_, WebPageIsExactForAnEmptyProtocol)
{
    const QByteArray expected =
        "<HTML>\r\n<HEAD>\r\n<!--www.ortavin.example software -->\r\n"
        "<TITLE>Zeitenprotokoll Kelvatron</TITLE>\r\n"
        "<META name=keywords content=\"kartozin, autosport, motosport, softwaren, programme, "
        "Zeitenprotokoll Kelvatron\">\r\n"
        "<META name=description content=\"Ortavin professional software development for all\">\r\n"
        "<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n"
        "</HEAD>\r\n<STYLE type=text/css>\r\n body {font-family: Arial}\r\n"
        " pre  {padding-left: 36px}\r\n.de   {line-height: 4px; width: 28px}\r\n</STYLE>\r\n"
        "<BODY bgcolor=#FFFFFF text=#000000>\r\n<H2>&nbsp;Kelvatron</H2>\r\n"
        "<H4>Zeitenprotokoll</H4>\r\n<PRE>\r\n\r\n</PRE>\r\n"
        "</table><P align=right><a href=\"http://www.ortavin.example/kelvatron/\" "
        "title=\"Kelvatron\"><FONT color=#FF0000>Or</FONT><FONT color=#009900>ta</FONT>"
        "<FONT color=#999999>vin</FONT><FONT color=#666600>&nbsp; Software f\xFCr den "
        "Motorsport </FONT>&gt;&gt;</A></P></body></html>\r\n";
    EXPECT_EQ(saveAs(3, QStringLiteral("empty.html")), expected);
}

TEST_F(ProtocolController_, WebPageCarriesTheProtocolEscaped)
{
    load("     Nr.: <b>Tom & Jerry</b> \x80\r\nH  Start: 14:05");
    const QByteArray page = saveAs(3, QStringLiteral("p.html"));
    EXPECT_TRUE(page.contains("<PRE>\r\n     Nr.: &lt;b&gt;Tom &amp; Jerry&lt;/b&gt; \x80\r\n"
                              "H  Start: 14:05\r\n</PRE>\r\n"));
}

TEST_F(ProtocolController_, InetButtonWritesTheFixedPageAndOpensIt)
{
    load(kRace);
    c->sbInetClick();
    const QString page = w.path(QStringLiteral("cwd/Kelvatron.html"));
    ASSERT_EQ(w.opened.size(), 1u);
    EXPECT_EQ(w.opened[0], QUrl::fromLocalFile(page));
    EXPECT_TRUE(readBytes(page).contains("Stopp:"));

    // When the page cannot be replaced, the older one is still opened.
    ProtocolWindow failing;
    ProtocolServices s = failing.services();
    s.fileWriter = [](QIODevice&, QByteArrayView) { return false; };
    auto fc = failing.make(s);
    writeBytes(failing.path(QStringLiteral("cwd/Kelvatron.html")), "older");
    fc->sbInetClick();
    EXPECT_EQ(failing.errors.size(), 1u);
    EXPECT_EQ(failing.opened.size(), 1u);
    EXPECT_EQ(readBytes(failing.path(QStringLiteral("cwd/Kelvatron.html"))), QByteArray("older"));
}

TEST(ProtocolControllerLife, ControlsMayGoBeforeTheController)
{
    QPlainTextEdit memo;
    auto* clear = new QToolButton;
    auto* copy = new QAction(nullptr);
    ProtocolControls controls;
    controls.Memo1 = &memo;
    controls.sbCLS = clear;
    controls.CopytoClipboard1 = copy;
    ProtocolController controller(controls, ProtocolServices());
    delete clear;
    delete copy;
    controller.memo().appendLine(QStringLiteral("still counted")); // must not touch them
    controller.PopupMenuProtokolPopup();
    EXPECT_EQ(controller.memo().lineCount(), 1);
}

TEST(ProtocolSaveDialog, NameWithoutExtensionTakesTheChosenEntrysExtension)
{
    QTemporaryDir dir;
    QWidget owner;
    const ProtocolServices services = ProtocolDialogs::defaults(&owner);
    SaveDialogRequest request;
    request.folder = dir.path();
    request.fileName = QStringLiteral("2009-01-04-14-05");
    request.filters =
        QStringList{QStringLiteral("Textdatei (*.txt)"), QStringLiteral("MS Word (*.doc)"),
                    QStringLiteral("Webseite (*.html)")};
    request.filterIndex = 1;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(2); // as the operator picks "Webseite"
        emit types->activated(2);
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto choice = services.saveDialog(request);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->filterIndex, 3);
    EXPECT_EQ(QFileInfo(choice->fileName).fileName(), QStringLiteral("2009-01-04-14-05.html"));
}
