// A yardstick for race_cpu.sh: the least a window can cost at 100 ticks per
// second on this machine and display server. "timer" runs a precise 10 ms
// timer that does nothing; "digit" also steps one digit of the size of the
// hundredths on every tick and shows it the way the race does. Runs until it
// is killed; the script measures it from outside.
#include "controls/DigitPresenter.h"
#include "controls/TDigit.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // The pixels go to the display server the way the program sends them.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    const bool digitToo = argc > 1 && std::strcmp(argv[1], "digit") == 0;
    if (argc < 2 || (!digitToo && std::strcmp(argv[1], "timer") != 0)) {
        std::fprintf(stderr, "usage: bench_tick_floor timer|digit\n");
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tick floor"));
    window.resize(800, 450);
    DigitPresenter presenter;
    auto* digit = new TDigit(&window);
    digit->setGeometry(440, 11, 45, 89);
    digit->setThickness(5);
    digit->setPresenter(&presenter);
    window.show();

    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    int value = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!digitToo)
            return;
        value = (value + 1) % 10;
        digit->setValue(value);
        presenter.present();
    });
    tick.start(10);
    return QApplication::exec();
}
