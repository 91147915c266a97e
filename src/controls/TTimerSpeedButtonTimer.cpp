#include "controls/TTimerSpeedButtonTimer.h"

#include <QTimer>

namespace {

class QtRepeatTimer final : public TTimerSpeedButtonTimer
{
public:
    QtRepeatTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { fire(); });
    }

    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<TTimerSpeedButtonTimer> TTimerSpeedButtonTimer::create()
{
    return std::make_unique<QtRepeatTimer>();
}
