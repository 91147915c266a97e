// What one 10 ms refresh of the first digit row costs: eight values and the
// leading-zero colours written to eight shown 45 x 89 digits, as the running
// race does a hundred times a second.

#include "controls/TDigit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <array>

namespace {

constexpr TColor kActive = 0x00FF00;
constexpr TColor kPassive = 0x404040;

std::array<TDigit*, 8> g_row;

// Values and colours as the time display writes them for h:mm:ss.cc, and
// the one paint of whatever changed that follows in the same tick.
void showTime(int h, int m, int s, int c)
{
    const int values[8] = {h / 10, h % 10, m / 10, m % 10, s / 10, s % 10, c / 10, c % 10};
    const bool active[5] = {h / 10 > 0, h > 0, m / 10 + h > 0, m + h > 0, m + h + s / 10 > 0};
    for (int i = 0; i < 8; ++i) {
        if (i < 5)
            g_row[static_cast<std::size_t>(i)]->setColorOn(active[i] ? kActive : kPassive);
        g_row[static_cast<std::size_t>(i)]->setValue(values[i]);
    }
    QCoreApplication::sendPostedEvents();
}

void BM_RefreshNothingChanges(benchmark::State& state)
{
    showTime(1, 23, 45, 67);
    for (auto _ : state)
        showTime(1, 23, 45, 67);
}

void BM_RefreshHundredthsChange(benchmark::State& state)
{
    int c = 60;
    for (auto _ : state) {
        c = c == 69 ? 60 : c + 1;
        showTime(1, 23, 45, c);
    }
}

void BM_RefreshEveryDigitChanges(benchmark::State& state)
{
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        if (odd)
            showTime(11, 11, 11, 11);
        else
            showTime(22, 22, 22, 22);
    }
}

BENCHMARK(BM_RefreshNothingChanges);
BENCHMARK(BM_RefreshHundredthsChange);
BENCHMARK(BM_RefreshEveryDigitChanges);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QWidget panel;
    panel.resize(495, 110);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, Qt::black);
    panel.setPalette(palette);
    panel.setAutoFillBackground(true);
    static constexpr int lefts[8] = {8, 56, 136, 184, 264, 312, 392, 440};
    for (std::size_t i = 0; i < g_row.size(); ++i) {
        auto* digit = new TDigit(&panel);
        digit->setGeometry(lefts[i], 11, 45, 89);
        digit->setThickness(5);
        digit->setSeparation(1);
        digit->setColorOff(0x000000);
        g_row[i] = digit;
    }
    panel.show();
    // Repaints only reach the screen of an exposed window.
    QElapsedTimer waited;
    waited.start();
    while ((!panel.windowHandle() || !panel.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
