#include "settings/SettingsStore.h"
#include "support/FullDisk.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SettingsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    QString path(const QString& name = QStringLiteral("Kelvatron.conf")) const
    {
        return dir.filePath(name);
    }

    void writeIni(const QByteArray& body) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\n" + body);
    }

    static QByteArray fullIni()
    {
        return "Port=3\nAlg=1\nSplits=5\nLeft=10\nTop=20\nWidth=1024\nHeight=600\nSound=0\n"
               "C1=255\nC2=65280\nC3=16711680\nAcc=1\nWaitStart=1500\nFilterInd=3\nLAPType=1\n";
    }

    SettingsStore loadFile(int* taken = nullptr) const
    {
        SettingsStore s;
        auto settings = SettingsStore::openFile(path());
        const int n = s.load(*settings);
        if (taken) {
            *taken = n;
        }
        return s;
    }
};

TEST_F(SettingsStoreTest, FirstRunGetsEveryDefault)
{
    int taken = -1;
    const SettingsStore s = loadFile(&taken);
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(s.Port, 0);
    EXPECT_EQ(s.Alg, 0);
    EXPECT_EQ(s.Splits, 0);
    EXPECT_EQ(s.Left, 274);
    EXPECT_EQ(s.Top, 286);
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Height, 450);
    EXPECT_TRUE(s.Sound);
    EXPECT_EQ(s.C1, 0x000000);
    EXPECT_EQ(s.C2, 0x00FF00);
    EXPECT_EQ(s.C3, 0x404040);
    EXPECT_EQ(s.Acc, 2);
    EXPECT_EQ(s.WaitStart, 0);
    EXPECT_EQ(s.FilterInd, 1);
    EXPECT_EQ(s.LAPType, 0);
    EXPECT_FALSE(QFile::exists(path())) << "reading must not create the store";
}

TEST_F(SettingsStoreTest, FullStoreIsTakenAsStored)
{
    writeIni(fullIni());
    int taken = 0;
    const SettingsStore s = loadFile(&taken);
    EXPECT_EQ(taken, 15);
    EXPECT_EQ(s.Port, 3);
    EXPECT_EQ(s.Alg, 1);
    EXPECT_EQ(s.Splits, 5);
    EXPECT_EQ(s.Left, 10);
    EXPECT_EQ(s.Top, 20);
    EXPECT_EQ(s.Width, 1024);
    EXPECT_EQ(s.Height, 600);
    EXPECT_FALSE(s.Sound);
    EXPECT_EQ(s.C1, 255);
    EXPECT_EQ(s.C2, 65280);
    EXPECT_EQ(s.C3, 16711680);
    EXPECT_EQ(s.Acc, 1);
    EXPECT_EQ(s.WaitStart, 1500);
    EXPECT_EQ(s.FilterInd, 3);
    EXPECT_EQ(s.LAPType, 1);
}

// Each bad "Splits" ends the reading right there: Port and Alg come through,
// everything from Splits on stays at its default although it is stored.
TEST_F(SettingsStoreTest, FirstMissingOrMistypedValueEndsTheReading)
{
    const QList<QByteArray> badSplits = {
        "",                     // missing
        "Splits=abc\n",         // text
        "Splits=\n",            // empty
        "Splits=1.5\n",         // not an integer
        "Splits=\"1, 2\"\n",    // quoted text
        "Splits=1, 2\n",        // a list
        "Splits=4294967296\n",  // wider than 32 bits
        "Splits=-2147483649\n", //
        "Splits=true\n",        //
    };
    for (const QByteArray& bad : badSplits) {
        SCOPED_TRACE(bad.toStdString());
        QByteArray ini = fullIni();
        ini.replace("Splits=5\n", bad);
        writeIni(ini);
        int taken = -1;
        const SettingsStore s = loadFile(&taken);
        SettingsStore expected;
        expected.Port = 3;
        expected.Alg = 1;
        EXPECT_EQ(taken, 2);
        EXPECT_EQ(s, expected);
    }
}

// Removing each value in turn shows the reading order: exactly the values
// before the removed one are taken.
TEST_F(SettingsStoreTest, ValuesAreReadInTheirFixedOrder)
{
    const QStringList order = {"Port",  "Alg",    "Splits",    "Left",      "Top",
                               "Width", "Height", "Sound",     "C1",        "C2",
                               "C3",    "Acc",    "WaitStart", "FilterInd", "LAPType"};
    ASSERT_EQ(SettingsStore::readOrder(), order);
    for (int i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i].toStdString());
        writeIni(fullIni());
        SettingsStore::openFile(path())->remove(order[i]);
        int taken = -1;
        loadFile(&taken);
        EXPECT_EQ(taken, i);
    }
}

TEST_F(SettingsStoreTest, UnsignedRegistryNumbersFoldIntoSignedValues)
{
    QByteArray ini = fullIni();
    ini.replace("C1=255", "C1=4278190095");  // the button-face system colour
    ini.replace("C2=65280", "C2=536870911"); // "no colour"
    ini.replace("Left=10", "Left=-1200");    // a monitor left of the primary one
    ini.replace("Sound=0", "Sound=7");
    writeIni(ini);
    int taken = 0;
    const SettingsStore s = loadFile(&taken);
    EXPECT_EQ(taken, 15);
    EXPECT_EQ(static_cast<uint32_t>(s.C1), 0xFF00000Fu);
    EXPECT_EQ(s.C2, 0x1FFFFFFF);
    EXPECT_EQ(s.Left, -1200);
    EXPECT_TRUE(s.Sound);
}

TEST_F(SettingsStoreTest, SaveWritesEveryValueAsIntegerAndRoundTrips)
{
    EXPECT_EQ(SettingsStore::writeOrder(),
              QStringList({"Left", "Top", "Width", "Height", "Sound", "Port", "Alg", "Splits", "C1",
                           "C2", "C3", "Acc", "WaitStart", "FilterInd", "LAPType"}));

    SettingsStore out;
    out.Port = 12;
    out.Alg = -1;
    out.Splits = 9999;
    out.Left = -5;
    out.Top = 3000;
    out.Width = 1920;
    out.Height = 1080;
    out.Sound = false;
    out.C1 = static_cast<int32_t>(0xFF00000Fu);
    out.C2 = 0x1FFFFFFF;
    out.C3 = 0x123456;
    out.Acc = 0;
    out.WaitStart = 600000;
    out.FilterInd = 2;
    out.LAPType = 1;
    ASSERT_TRUE(out.save(*SettingsStore::openFile(path())));

    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    for (const QString& name : SettingsStore::writeOrder()) {
        EXPECT_TRUE(text.contains("\n" + name.toLatin1() + "=")) << name.toStdString();
    }
    EXPECT_TRUE(text.contains("\nSound=0\n"));
    EXPECT_TRUE(text.contains("\nC1=-16777201\n"));

    int taken = 0;
    EXPECT_EQ(loadFile(&taken), out);
    EXPECT_EQ(taken, 15);
}

TEST_F(SettingsStoreTest, SaveKeepsSoundAndLeavesOtherKeysAlone)
{
    writeIni("Port=0\nSound=0\nForeign=keep me\n");
    SettingsStore s;
    s.load(*SettingsStore::openFile(path())); // stops at "Alg"
    EXPECT_TRUE(s.Sound) << "Sound comes after the missing Alg";

    writeIni(fullIni() + "Foreign=keep me\n");
    s = loadFile();
    ASSERT_FALSE(s.Sound);
    ASSERT_TRUE(s.save(*SettingsStore::openFile(path())));
    const auto settings = SettingsStore::openFile(path());
    EXPECT_EQ(settings->value("Sound").toString(), "0");
    EXPECT_EQ(settings->value("Foreign").toString(), "keep me");
}

TEST_F(SettingsStoreTest, SaveReportsAStoreThatCannotBeWritten)
{
    QFile blocker(path("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // The store's folder would have to be a regular file.
    EXPECT_FALSE(SettingsStore().save(*SettingsStore::openFile(path("blocker/Kelvatron.conf"))));
}

// QSettings on its own empties the store on a full disk and reports success.
TEST_F(SettingsStoreTest, FullDiskKeepsTheOldStoreAndSaysSo)
{
    writeIni(fullIni() + "[Results]\nColumns=" + QByteArray(2000, 'x') + "\n");
    QFile stored(path());
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray before = stored.readAll();
    stored.close();
    SettingsStore changed = loadFile();
    changed.Port = 7;

    const QString report = runOnFullDisk(before.size() / 2, [&] {
        return changed.save(*SettingsStore::openFile(path())) ? QStringLiteral("saved")
                                                              : QStringLiteral("refused");
    });

    EXPECT_EQ(report, QStringLiteral("refused"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Kelvatron.conf")});

    // With room, the same save goes through and keeps the other group.
    ASSERT_TRUE(changed.save(*SettingsStore::openFile(path())));
    EXPECT_EQ(loadFile(), changed);
    EXPECT_EQ(SettingsStore::openFile(path())->value("Results/Columns").toString().size(), 2000);
}

TEST_F(SettingsStoreTest, SanitisingClampsWhatWouldBreakTheWindowOnly)
{
    SettingsStore bad;
    bad.Port = 0x103;
    bad.Alg = 7;
    bad.Splits = -3;
    bad.Left = -40000;
    bad.Top = 99999;
    bad.Width = -5;
    bad.Height = 100;
    bad.Sound = false;
    bad.C1 = -1;
    bad.Acc = 3;
    bad.WaitStart = -1;
    bad.FilterInd = 0;
    bad.LAPType = 2;

    const SettingsStore s = bad.sanitised();
    EXPECT_EQ(s.Port, 3);
    EXPECT_EQ(s.Splits, 0);
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Height, 450);
    EXPECT_EQ(s.Acc, 2);
    EXPECT_EQ(s.WaitStart, 0);
    EXPECT_EQ(s.FilterInd, 1);
    EXPECT_EQ(s.LAPType, 0);
    // Untouched: the algorithm is interpreted by the race control, colours by
    // the controls, the position by the window.
    EXPECT_EQ(s.Alg, 7);
    EXPECT_EQ(s.Left, -40000);
    EXPECT_EQ(s.Top, 99999);
    EXPECT_FALSE(s.Sound);
    EXPECT_EQ(s.C1, -1);

    bad.Splits = 10000;
    bad.WaitStart = 600001;
    bad.Width = 2000000;
    bad.Height = 2000000;
    bad.Acc = -1;
    bad.FilterInd = 4;
    bad.LAPType = -1;
    const SettingsStore high = bad.sanitised();
    EXPECT_EQ(high.Splits, 9999);
    EXPECT_EQ(high.WaitStart, 600000);
    EXPECT_EQ(high.Width, SettingsStore::MaxExtent);
    EXPECT_EQ(high.Height, SettingsStore::MaxExtent);
    EXPECT_EQ(high.Acc, 2);
    EXPECT_EQ(high.FilterInd, 1);
    EXPECT_EQ(high.LAPType, 0);

    SettingsStore good;
    good.Port = 255;
    good.Alg = 2;
    good.Splits = 9999;
    good.Width = 1000;
    good.Height = 700;
    good.Acc = 0;
    good.WaitStart = 600000;
    good.FilterInd = 3;
    good.LAPType = 1;
    EXPECT_EQ(good.sanitised(), good);
    EXPECT_EQ(SettingsStore().sanitised(), SettingsStore());
}

// Points the user's configuration folder somewhere else for one test. The
// test mode of the standard paths would ignore the desktop's variable that
// says where the folder is, so it is off meanwhile.
class ConfigHome
{
public:
    explicit ConfigHome(const QString& folder) : m_old(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
        QStandardPaths::setTestModeEnabled(false);
    }
    ~ConfigHome()
    {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("XDG_CONFIG_HOME", m_old);
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

private:
    QByteArray m_old;
};

TEST_F(SettingsStoreTest, UserStoreIsNamedAfterMakerAndProgram)
{
    // Redirect the user's configuration so this test never reaches the real settings.
    const ConfigHome home(dir.path());
    EXPECT_EQ(SettingsStore::programNameFromPath("/opt/race/Kelvatron"), "Kelvatron");
    EXPECT_EQ(SettingsStore::programNameFromPath("C:/Race/Kelvatron.exe"), "Kelvatron");
    EXPECT_EQ(SettingsStore::programNameFromPath("/opt/v3.0/Kelvatron"), "Kelvatron");

    auto settings = SettingsStore::openUserStore("Kelvatron");
    EXPECT_EQ(settings->fileName(), dir.filePath("Ortavin/Kelvatron.conf"));
    ASSERT_TRUE(SettingsStore().save(*settings));
    EXPECT_TRUE(QFile::exists(dir.filePath("Ortavin/Kelvatron.conf")));

    // The maker's own file beside the folder is none of this program's.
    QFile maker(dir.filePath("Ortavin.conf"));
    ASSERT_TRUE(maker.open(QIODevice::WriteOnly));
    maker.write("[General]\nPort=7\nSplits=12\n");
    maker.close();
    QFile::remove(dir.filePath("Ortavin/Kelvatron.conf"));
    SettingsStore loaded;
    EXPECT_EQ(loaded.load(*SettingsStore::openUserStore("Kelvatron")), 0);
    EXPECT_EQ(loaded, SettingsStore());
}

TEST_F(SettingsStoreTest, SomethingOtherThanAFileInTheStoresPlaceIsNotOpened)
{
    const ConfigHome home(dir.path());
    ASSERT_TRUE(QDir(dir.path()).mkpath("Ortavin"));
    const QString user = dir.filePath("Ortavin/Kelvatron.conf");
    const std::function<std::unique_ptr<QSettings>()> openers[] = {
        [this] { return SettingsStore::openFile(path()); },
        [] { return SettingsStore::openUserStore("Kelvatron"); },
    };
    const QString stores[] = {path(), user};
    for (int i = 0; i < 2; ++i) {
        const QByteArray store = QFile::encodeName(stores[i]);
        ASSERT_EQ(mkfifo(store.constData(), 0600), 0);
        // Held open for writing, so a store that reads the pipe anyway fails
        // here instead of waiting for ever.
        const int writer = ::open(store.constData(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(writer, 0);
        EXPECT_EQ(openers[i](), nullptr) << store.constData();
        ::close(writer);
        QFile::remove(stores[i]);
    }
    ASSERT_TRUE(QDir(dir.path()).mkpath("Ortavin/Kelvatron.conf"));
    EXPECT_EQ(SettingsStore::openUserStore("Kelvatron"), nullptr) << "a folder";
    ASSERT_TRUE(QDir(dir.path()).rmdir("Ortavin/Kelvatron.conf"));
    EXPECT_NE(SettingsStore::openUserStore("Kelvatron"), nullptr) << "missing: a first run";
    writeIni(fullIni());
    ASSERT_TRUE(QFile::link(path(), dir.filePath("link.conf")));
    EXPECT_EQ(SettingsStore().load(*SettingsStore::openFile(dir.filePath("link.conf"))), 15)
        << "a link to a settings file is one";
}

} // namespace
