// The window's life: settings in and out, closing, the exit copy, help.

#include "FormMainFixture.h"

#include "controls/TDigit.h"
#include "controls/TLbSpeedButton.h"
#include "help/StandInViewer.h"
#include "help/THelpSystem.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStatusBar>

#include <algorithm>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

using FormMainLife = FormMainFixture;

TEST_F(FormMainLife, FirstRunStartsWithDefaultsAndWritesEverySetting)
{
    create();
    EXPECT_EQ(form->size(), QSize(800, 450));
    EXPECT_EQ(form->ui().StatusPanels[2]->text(), QStringLiteral("800x450     "));
    EXPECT_EQ(form->race().LapLimit(), 0);
    EXPECT_EQ(form->race().DisplayResolution(), 2);
    EXPECT_EQ(form->race().LockoutTime(), 0);
    EXPECT_EQ(form->C2(), 0x00FF00u);
    EXPECT_FALSE(form->ui().bHelp->isEnabled()) << "no help file beside the program";
    form->resize(900, 500);
    destroy();

    QSettings stored(settingsFile(), QSettings::IniFormat);
    for (const char* name : {"Left", "Top", "Width", "Height", "Sound", "Port", "Alg", "Splits",
                             "C1", "C2", "C3", "Acc", "WaitStart", "FilterInd", "LAPType"})
        EXPECT_TRUE(stored.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(stored.value(QStringLiteral("Width")).toInt(), 900);
    EXPECT_EQ(stored.value(QStringLiteral("Height")).toInt(), 500);
    EXPECT_EQ(stored.value(QStringLiteral("Acc")).toInt(), 2);
}

TEST_F(FormMainLife, SettingsSurviveARestart)
{
    storeSettings({{QStringLiteral("Port"), 0},
                   {QStringLiteral("Alg"), 1},
                   {QStringLiteral("Splits"), 5},
                   {QStringLiteral("Left"), 20},
                   {QStringLiteral("Top"), 30},
                   {QStringLiteral("Width"), 820},
                   {QStringLiteral("Height"), 470},
                   {QStringLiteral("Sound"), 0},
                   {QStringLiteral("C1"), 0x000080},
                   {QStringLiteral("C2"), 0x00FFFF},
                   {QStringLiteral("C3"), 0x202020},
                   {QStringLiteral("Acc"), 0},
                   {QStringLiteral("WaitStart"), 2500},
                   {QStringLiteral("FilterInd"), 3},
                   {QStringLiteral("LAPType"), 1}});
    create();
    EXPECT_EQ(form->race().LapLimit(), 5);
    EXPECT_EQ(form->race().BarrierAlgorithm(), 1);
    EXPECT_EQ(form->race().LockoutTime(), 2500);
    EXPECT_EQ(form->race().LapType(), 1);
    EXPECT_EQ(form->race().DisplayResolution(), 0);
    EXPECT_FALSE(form->ui().LabSec->isVisible());
    EXPECT_EQ(form->C1(), 0x000080u);
    EXPECT_EQ(form->ui().FirstRow[0]->Color(), 0x000080u) << "display colour reaches the digits";
    // No wider than the screen: the headless one is only 800 wide.
    const int screenWidth = form->screen()->availableGeometry().width();
    EXPECT_EQ(form->size(), QSize(std::max(800, std::min(820, screenWidth)), 470));
    EXPECT_EQ(form->protocol().FilterInd(), 3);
    destroy();

    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Sound")).toInt(), 0) << "kept as it was";
    EXPECT_EQ(stored.value(QStringLiteral("WaitStart")).toInt(), 2500);
    EXPECT_EQ(stored.value(QStringLiteral("FilterInd")).toInt(), 3);
    EXPECT_EQ(stored.value(QStringLiteral("C3")).toInt(), 0x202020);
    EXPECT_EQ(stored.value(QStringLiteral("Splits")).toInt(), 5);
}

TEST_F(FormMainLife, BadStoredValuesStillGiveAUsableWindow)
{
    storeSettings({{QStringLiteral("Port"), 0},
                   {QStringLiteral("Alg"), 0},
                   {QStringLiteral("Splits"), -3},
                   {QStringLiteral("Left"), -90000},
                   {QStringLiteral("Top"), 90000},
                   {QStringLiteral("Width"), -5},
                   {QStringLiteral("Height"), 12},
                   {QStringLiteral("Sound"), 1},
                   {QStringLiteral("C1"), 0},
                   {QStringLiteral("C2"), 0x00FF00},
                   {QStringLiteral("C3"), 0x404040},
                   {QStringLiteral("Acc"), 7},
                   {QStringLiteral("WaitStart"), -400}});
    create();
    EXPECT_EQ(form->size(), QSize(800, 450));
    EXPECT_EQ(form->race().DisplayResolution(), 2);
    EXPECT_EQ(form->race().LockoutTime(), 0);
    press(Qt::Key_F5);
    advanceMs(1'230);
    press(Qt::Key_F9);
    EXPECT_TRUE(lines()[2].startsWith(QStringLiteral("H  Stopp:        1,23  ")));
}

TEST_F(FormMainLife, AMistypedValueEndsTheReading)
{
    storeSettings({{QStringLiteral("Port"), 0},
                   {QStringLiteral("Alg"), 1},
                   {QStringLiteral("Splits"), QStringLiteral("viele")},
                   {QStringLiteral("Left"), 20},
                   {QStringLiteral("Acc"), 0}});
    create();
    EXPECT_EQ(form->race().BarrierAlgorithm(), 1);
    EXPECT_EQ(form->race().LapLimit(), 0);
    EXPECT_EQ(form->race().DisplayResolution(), 2) << "values after the bad one keep defaults";
}

TEST_F(FormMainLife, APipeInTheSettingsFilesPlaceIsLeftAlone)
{
    const QByteArray store = QFile::encodeName(settingsFile());
    ASSERT_EQ(mkfifo(store.constData(), 0600), 0);
    // Held open for writing, so a window that reads the pipe anyway fails
    // here instead of waiting for ever.
    const int writer = ::open(store.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    create();
    EXPECT_EQ(form->size(), QSize(800, 450));
    EXPECT_EQ(form->race().DisplayResolution(), 2);
    destroy();
    ::close(writer);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    struct stat status = {};
    ASSERT_EQ(::lstat(store.constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "not written over";
    EXPECT_TRUE(QFile::exists(workingFolder() + QStringLiteral("/Kelvatron.txt")));
}

TEST_F(FormMainLife, ClosingAsksOnlyWhenSomethingIsAtStake)
{
    create();
    QCloseEvent quiet;
    QApplication::sendEvent(form.get(), &quiet);
    EXPECT_TRUE(quiet.isAccepted()) << "empty protocol, no race: no question";

    press(Qt::Key_F5);
    answerYesNo(false);
    QCloseEvent refused;
    QApplication::sendEvent(form.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(yesNo->question(), QStringLiteral("Beenden?"));

    answerYesNo(true);
    QCloseEvent allowed;
    QApplication::sendEvent(form.get(), &allowed);
    EXPECT_TRUE(allowed.isAccepted());
}

TEST_F(FormMainLife, RunningRaceWithEmptyProtocolStillAsks)
{
    create();
    press(Qt::Key_F5);
    form->ui().Memo1->clear();
    answerYesNo(false);
    QCloseEvent event;
    QApplication::sendEvent(form.get(), &event);
    EXPECT_FALSE(event.isAccepted());
}

TEST_F(FormMainLife, ExitCopyIsWrittenAsWindowsText)
{
    create();
    form->ui().editStartN->setText(QStringLiteral("Jürgen"));
    press(Qt::Key_F5);
    advanceMs(300);
    press(Qt::Key_F9);
    destroy();
    const QByteArray bytes = readFile(workingFolder() + QStringLiteral("/Kelvatron.txt"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith("     Nr.: J\xFCrgen\r\n")) << bytes.left(20).toHex().constData();
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_FALSE(bytes.contains("\n\n"));
    EXPECT_TRUE(bytes.contains("H  Stopp:        0,30  "));
}

TEST_F(FormMainLife, EmptyProtocolStillLeavesAnExitCopy)
{
    create();
    destroy();
    QFile copy(workingFolder() + QStringLiteral("/Kelvatron.txt"));
    EXPECT_TRUE(copy.exists());
    EXPECT_EQ(copy.size(), 0);
}

// The steps of the shutdown run in order and the first failure ends them.
TEST_F(FormMainLife, AFailedSettingsWriteIsReportedAndSkipsTheExitCopy)
{
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TFormMainEnvironment env = environment();
    // The store's folder would have to be a regular file.
    env.settingsFile = dir.filePath(QStringLiteral("blocker/Kelvatron.conf"));
    create(std::move(env));
    press(Qt::Key_F5);
    destroy();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_FALSE(QFile::exists(workingFolder() + QStringLiteral("/Kelvatron.txt")));
}

TEST_F(FormMainLife, AFailedExitCopyIsReportedAfterTheSettingsAreWritten)
{
    ASSERT_TRUE(QDir().mkpath(workingFolder() + QStringLiteral("/Kelvatron.txt")));
    create();
    press(Qt::Key_F5);
    destroy();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("Kelvatron.txt"))) << errors[0].toStdString();
    EXPECT_TRUE(
        QSettings(settingsFile(), QSettings::IniFormat).contains(QStringLiteral("LAPType")));
}

TEST_F(FormMainLife, DatePanelShowsNowAndItsTimerKeepsItSo)
{
    const auto now = [] {
        const QLocale locale = QLocale::system();
        const QDateTime moment = QDateTime::currentDateTime();
        return locale.toString(moment.date(), QLocale::ShortFormat) + QStringLiteral("   ") +
               locale.toString(moment.time(), QLocale::ShortFormat);
    };
    const QString before = now();
    create();
    const QString after = now();
    EXPECT_TRUE(form->ui().PanelDate->text() == before || form->ui().PanelDate->text() == after)
        << form->ui().PanelDate->text().toStdString();

    form->ui().PanelDate->clear();
    QString lastEmpty;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QString moment = now();
            if (!form->ui().PanelDate->text().isEmpty())
                return true;
            lastEmpty = moment;
            return false;
        },
        30'000));
    const QString refreshed = now();
    EXPECT_TRUE(form->ui().PanelDate->text() == lastEmpty ||
                form->ui().PanelDate->text() == refreshed)
        << form->ui().PanelDate->text().toStdString();
}

TEST_F(FormMainLife, HelpOpensTheFileBesideTheProgram)
{
    QDir().mkpath(programFolder());
    QFile help(programFolder() + QStringLiteral("/Kelvatron.chm"));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("ITSF");
    help.close();
    StandInViewer viewer(dir.path());
    std::optional<THelpSystem> helpSystem(std::in_place, viewer.command(), [] { return true; });
    create();
    form->setHelpSystem(&*helpSystem);
    EXPECT_TRUE(form->ui().bHelp->isEnabled());
    press(Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.starts().size() == 1; }, 20000));
    press(Qt::Key_F1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.starts().size() == 2; }, 20000));
    press(Qt::Key_I, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.starts().size() == 3; }, 20000));
    EXPECT_TRUE(viewer.starts()[0].endsWith(QStringLiteral("/bin/Kelvatron.chm")));
    // One help window per program, whatever the number of requests.
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.alive() == 2; }, 20000));
    EXPECT_EQ(viewer.alive(), 2) << "a viewer and its child";

    // As at program end: the window goes, then the help with its viewer.
    form->setHelpSystem(nullptr);
    destroy();
    helpSystem.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.alive() == 0; }, 20000));
}

TEST_F(FormMainLife, ClickOnTheLogoOpensTheMakersSite)
{
    create();
    QTest::mouseClick(form->ui().Label8, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("https://")));
}
