#include "help/THelpSystem.h"
#include "help/StandInViewer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// One file out of a compiled help file, read with the CHM library the viewer
// uses; nullopt when that library is not installed.
std::optional<QByteArray> readFromChm(const QString& chmFile, const char* name)
{
    struct UnitInfo
    {
        quint64 start;
        quint64 length;
        int space;
        int flags;
        char path[1024];
    };
    using Open = void* (*)(const char*);
    using Close = void (*)(void*);
    using Resolve = int (*)(void*, const char*, UnitInfo*);
    using Retrieve = qint64 (*)(void*, UnitInfo*, unsigned char*, quint64, qint64);

    QLibrary library(QStringLiteral("chm"), 1);
    if (!library.load())
        return std::nullopt;
    const auto open = reinterpret_cast<Open>(library.resolve("chm_open"));
    const auto close = reinterpret_cast<Close>(library.resolve("chm_close"));
    const auto resolve = reinterpret_cast<Resolve>(library.resolve("chm_resolve_object"));
    const auto retrieve = reinterpret_cast<Retrieve>(library.resolve("chm_retrieve_object"));
    if (!open || !close || !resolve || !retrieve)
        return std::nullopt;
    void* chm = open(QFile::encodeName(chmFile).constData());
    if (!chm)
        return QByteArray();
    QByteArray bytes;
    UnitInfo unit{};
    if (resolve(chm, name, &unit) == 0 && unit.length < 1'000'000) {
        bytes.resize(static_cast<qsizetype>(unit.length));
        const qint64 got = retrieve(chm, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                    static_cast<qint64>(unit.length));
        bytes.resize(static_cast<qsizetype>(std::max<qint64>(got, 0)));
    }
    close(chm);
    return bytes;
}

class THelpSystemTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QStringList opened;
    bool viewerPresent = true;
    THelpSystem help{[this](const QString& file) {
                         opened << file;
                         return QStringList{QStringLiteral("true")};
                     },
                     [this] { return viewerPresent; }};

    QString touch(const QString& name)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }
};

TEST(THelpSystemNames, HelpFileCarriesTheProgramName)
{
    EXPECT_EQ(THelpSystem::helpFileForProgram("/opt/race/Kelvatron"), "/opt/race/Kelvatron.chm");
    EXPECT_EQ(THelpSystem::helpFileForProgram("/opt/race/Zeitnahme"), "/opt/race/Zeitnahme.chm");
    EXPECT_EQ(THelpSystem::helpFileForProgram("/opt/race/Kelvatron.exe"),
              "/opt/race/Kelvatron.chm");
    EXPECT_EQ(THelpSystem::helpFileForProgram("/opt/v3.0/Kelvatron"), "/opt/v3.0/Kelvatron.chm");
    EXPECT_EQ(THelpSystem::helpFileForProgram("Kelvatron"), "Kelvatron.chm");
    EXPECT_EQ(THelpSystem::ViewerName(), "HtmlHelp");
}

TEST_F(THelpSystemTest, MissingFileOpensNothing)
{
    EXPECT_FALSE(help.ShowTableOfContents()) << "no help file set";
    help.setHelpFile(dir.filePath("Kelvatron.chm"));
    EXPECT_TRUE(help.ResolveHelpFile().isEmpty());
    EXPECT_FALSE(help.ShowTableOfContents());
    dir.remove();
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(THelpSystemTest, PresentFileGoesToTheViewer)
{
    help.setHelpFile(dir.filePath("Kelvatron.chm"));
    EXPECT_FALSE(help.ShowTableOfContents());
    // Put there after start-up: the next request finds it.
    const QString file = touch("Kelvatron.chm");
    EXPECT_EQ(help.ResolveHelpFile(), file);
    EXPECT_TRUE(help.ShowTableOfContents());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.front(), file);

    // A name given by the caller wins over the program's help file.
    const QString other = touch("Other.chm");
    EXPECT_EQ(help.ResolveHelpFile(other), other);
    EXPECT_TRUE(help.ResolveHelpFile(dir.filePath("Missing.chm")).isEmpty());
    EXPECT_TRUE(help.ResolveHelpFile(dir.path()).isEmpty()) << "a folder is no help file";
}

TEST_F(THelpSystemTest, WarnsAtStartOnlyWithoutAViewer)
{
    QStringList shown;
    const auto warn = [&shown](const QString& title, const QString& text) {
        shown << title << text;
    };
    EXPECT_TRUE(help.LoadHelpLibrary(warn));
    EXPECT_TRUE(help.libraryLoaded());
    EXPECT_TRUE(shown.isEmpty());

    viewerPresent = false;
    EXPECT_FALSE(help.LoadHelpLibrary(warn));
    EXPECT_FALSE(help.libraryLoaded());
    EXPECT_EQ(shown, QStringList({"Warning!", "Unable to view HTML help (*.chm). Update windows "
                                              "help system. Get new \"HHCTRL.OCX\" library."}));

    // Without a viewer a request still goes to the desktop.
    help.setHelpFile(touch("Kelvatron.chm"));
    EXPECT_TRUE(help.ShowTableOfContents());
    EXPECT_EQ(opened.size(), 1);
}

TEST(THelpViewer, OneViewerPerProgramClosedAtShutdown)
{
    QTemporaryDir dir;
    StandInViewer viewer(dir.path());
    QFile(dir.filePath(QStringLiteral("Kelvatron.chm"))).open(QIODevice::WriteOnly);
    std::optional<THelpSystem> help(std::in_place, viewer.command(), [] { return true; });
    help->setHelpFile(dir.filePath(QStringLiteral("Kelvatron.chm")));

    ASSERT_TRUE(help->ShowTableOfContents());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.starts().size() == 1; }, 20000));
    EXPECT_TRUE(help->helpWindowOpen());
    ASSERT_TRUE(help->ShowTableOfContents());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.starts().size() == 2; }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.alive() == 2; }, 20000))
        << "the second viewer and its child, nothing of the first";
    EXPECT_EQ(viewer.alive(), 2);
    EXPECT_TRUE(viewer.starts().back().endsWith(QStringLiteral("/Kelvatron.chm")));

    help.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.alive() == 0; }, 20000))
        << "a viewer outlived the program";
}

TEST(THelpFile, ContentsAndIndexAreInTheCodePageOfTheHelpsLanguage)
{
    const struct
    {
        const char* file;
        QByteArray entry;
    } cases[] = {{"/kelvatron.hhc", "\xDC"
                                    "bersicht"},
                 {"/kelvatron.hhk", "Rundenz\xE4"
                                    "hlung"},
                 {"/kelvatron.hhk", "Tastenk\xFC"
                                    "rzel"}};
    for (const auto& c : cases) {
        const std::optional<QByteArray> bytes =
            readFromChm(QStringLiteral(KELVATRON_HELP_FILE), c.file);
        if (!bytes)
            GTEST_SKIP() << "no CHM library (Debian: libchm1) to look into the help file";
        ASSERT_FALSE(bytes->isEmpty()) << c.file;
        EXPECT_TRUE(bytes->contains(c.entry)) << c.file << ": " << c.entry.toStdString();
        EXPECT_TRUE(bytes->contains("charset=windows-1252")) << c.file;
        EXPECT_FALSE(bytes->contains("&#")) << c.file << " holds character references";
    }
}

TEST(THelpFile, ShippedHelpIsACompiledHelpFileWithEveryPage)
{
    QFile chm(QStringLiteral(KELVATRON_HELP_FILE));
    ASSERT_TRUE(chm.open(QIODevice::ReadOnly)) << KELVATRON_HELP_FILE;
    const QByteArray bytes = chm.readAll();
    EXPECT_TRUE(bytes.startsWith("ITSF"));
    const QStringList pages = {"index.html",  "hand.html",      "auto.html",
                               "tasten.html", "protokoll.html", "einstellungen.html",
                               "fehler.html", "kelvatron.hhc"};
    for (const QString& page : pages) {
        EXPECT_TRUE(bytes.contains("/" + page.toLatin1())) << page.toStdString();
        EXPECT_TRUE(QFile::exists(QStringLiteral(KELVATRON_HELP_SOURCES "/") + page))
            << page.toStdString();
    }
}

} // namespace
