#pragma once

#include "core/HighResPlatform.h"
#include "core/RaceControl.h"
#include "core/TimeBase.h"
#include "help/TFDlgYesNo.h"
#include "protocol/ProtocolController.h"
#include "ui/main/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

// A real main window in a temporary world: its own settings file, program
// folder, working folder and an empty device folder, a counter the test
// moves by hand, and dialogs that answer what the test decided.
class FormMainFixture : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::int64_t ticks = 1'000'000'000; // nanoseconds of the fake monotonic clock
    // The barrier's port thread reads the counter too; such tests use the
    // real monotonic clock instead of the hand-moved one.
    bool realCounter = false;
    QStringList opened;
    QStringList errors;
    QStringList protocolQuestions;
    bool protocolAnswer = false;
    int beeps = 0;
    // What the protocol's file dialogs answer: a file name, or cancel.
    std::optional<QString> saveAs;
    std::optional<QString> openName;
    int printerSetups = 0;
    std::unique_ptr<TFormMain> form;
    TFDlgYesNo* yesNo = nullptr;

    static std::int64_t readTicks(void* context) { return *static_cast<std::int64_t*>(context); }

    QString programFolder() const { return dir.filePath(QStringLiteral("bin")); }
    QString settingsFile() const { return dir.filePath(QStringLiteral("Kelvatron.conf")); }
    QString workingFolder() const { return dir.filePath(QStringLiteral("cwd")); }

    void storeSettings(const std::map<QString, QVariant>& values)
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        for (const auto& [name, value] : values)
            settings.setValue(name, value);
    }

    // Every stored value as a first run leaves them, except the given ones.
    void storeAllSettings(const std::map<QString, QVariant>& changes)
    {
        std::map<QString, QVariant> values = {
            {QStringLiteral("Port"), 0},      {QStringLiteral("Alg"), 0},
            {QStringLiteral("Splits"), 0},    {QStringLiteral("Left"), 10},
            {QStringLiteral("Top"), 10},      {QStringLiteral("Width"), 800},
            {QStringLiteral("Height"), 450},  {QStringLiteral("Sound"), 1},
            {QStringLiteral("C1"), 0},        {QStringLiteral("C2"), 0x00FF00},
            {QStringLiteral("C3"), 0x404040}, {QStringLiteral("Acc"), 2},
            {QStringLiteral("WaitStart"), 0}, {QStringLiteral("FilterInd"), 1},
            {QStringLiteral("LAPType"), 0}};
        for (const auto& [name, value] : changes)
            values[name] = value;
        storeSettings(values);
    }

    TFormMainEnvironment environment()
    {
        QDir().mkpath(programFolder());
        QDir().mkpath(workingFolder());
        QDir().mkpath(dir.filePath(QStringLiteral("dev")));
        TFormMainEnvironment env;
        env.programPath = programFolder() + QStringLiteral("/Kelvatron");
        env.settingsFile = settingsFile();
        env.counterPlatform = HighResPlatform::system();
        env.counterPlatform.cpuHasTsc = [] { return false; };
        if (!realCounter) {
            env.counterPlatform.performance = CounterSource{&readTicks, &ticks};
            env.counterPlatform.performanceFrequency = [] { return std::int64_t{1'000'000'000}; };
            // The time of day moves with the hand-moved counter, as the
            // machine's clock moves with the real one.
            env.localTime = [this] {
                const TSystemTime morning{2026, 12, 3, 9, 10, 0, 0, 0};
                return TimeBase::subtractMilliseconds(morning, -ticks / 1'000'000);
            };
        }
        env.openExternal = [this](const QUrl& url) {
            opened << url.toString();
            return true;
        };
        env.errorBox = [this](const QString& text) { errors << text; };
        env.beep = [this] { ++beeps; };
        env.deviceFolder = dir.filePath(QStringLiteral("dev"));
        env.customiseProtocol = [this](ProtocolServices& services) {
            services.workingFolder = workingFolder();
            services.journalFolder = dir.filePath(QStringLiteral("journal"));
            services.saveDialog = [this](const SaveDialogRequest& request) {
                if (!saveAs)
                    return std::optional<SaveDialogChoice>();
                return std::optional<SaveDialogChoice>(
                    SaveDialogChoice{*saveAs, request.filterIndex});
            };
            services.openDialog = [this](const QString&, const QString&) { return openName; };
            services.askYesNo = [this](const QString& question) {
                protocolQuestions << question;
                return protocolAnswer;
            };
            services.errorBox = [this](const QString&, const QString& text) { errors << text; };
            services.wordAutomation = [] { return std::unique_ptr<WordAutomation>(); };
            services.printerSetup = [this](QPrinter&) { ++printerSetups; };
        };
        return env;
    }

    TFormMain& create() { return create(environment()); }

    TFormMain& create(TFormMainEnvironment env)
    {
        form = std::make_unique<TFormMain>(std::move(env));
        yesNo = new TFDlgYesNo(form.get(), QStringLiteral("Kelvatron"));
        form->setDialogs(yesNo, nullptr);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    // The window goes as at program end: settings, port, exit copy.
    void destroy() { form.reset(); }

    void TearDown() override { form.reset(); }

    void advanceMs(std::int64_t ms) { ticks += ms * 1'000'000; }

    // A key as the operator presses it: to whatever has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        // The offscreen platform has no window manager to hand the
        // activation back when a dialog closes; do what one would.
        QWidget* active = QApplication::activeWindow();
        if (!active || !active->isVisible())
            QApplication::setActiveWindow(form.get());
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : form.get(), key, modifiers);
    }

    void tick() { form->race().ClockTimer(); }

    QStringList lines() const
    {
        QString text = form->ui().Memo1->toPlainText();
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    // The digits of a row as the operator reads them, e.g. "00010543".
    QString row(const std::array<class TDigit*, 8>& digits) const;

    // Answers the next modal dialog by clicking one of its buttons.
    void answerYesNo(bool yes)
    {
        QTimer::singleShot(0, yesNo, [this, yes] {
            QTest::mouseClick(yes ? static_cast<QWidget*>(yesNo->OKBtn)
                                  : static_cast<QWidget*>(yesNo->CancelBtn),
                              Qt::LeftButton);
        });
    }
};
