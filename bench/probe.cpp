// SPDX-License-Identifier: GPL-3.0-or-later
#include "probe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace bench {

double cpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double millisecondsSinceExec()
{
    // Field 22 of /proc/self/stat: the start time, in clock ticks since boot.
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    const double started = std::stod(field) / double(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (double(now.tv_sec) + double(now.tv_nsec) / 1e9 - started) * 1e3;
}

FirstPaintWatch::FirstPaintWatch(QWidget *client, std::function<bool()> ready,
                                 std::function<void()> onFirstPaint)
    : m_client(client)
    , m_ready(std::move(ready))
    , m_onFirstPaint(std::move(onFirstPaint))
{
    qApp->installEventFilter(this);
}

bool FirstPaintWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_seen && event->type() == QEvent::Paint && watched == m_client && m_ready()) {
        m_seen = true;
        // Posted, so that it comes once the painted frame has been flushed;
        // first among the posted events, so that nothing the window queued
        // for after its paint is counted.
        QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
    }
    return false;
}

bool FirstPaintWatch::event(QEvent *event)
{
    if (event->type() != QEvent::User)
        return QObject::event(event);
    m_onFirstPaint();
    return true;
}

int runUntilFirstPaintOrIdle(int argc, char *argv[], QWidget *client, std::function<bool()> ready)
{
    int idleSeconds = 0;
    if (argc == 3 && std::strcmp(argv[1], "--idle") == 0)
        idleSeconds = std::atoi(argv[2]);
    double cpuAtFirstPaint = 0;
    FirstPaintWatch watch(client, std::move(ready), [&] {
        if (idleSeconds <= 0) {
            std::printf("%.1f ms to first paint\n", millisecondsSinceExec());
            std::fflush(stdout);
            std::_Exit(0);
        }
        cpuAtFirstPaint = cpuMilliseconds();
        QTimer::singleShot(idleSeconds * 1000, qApp, [&] {
            const double used = cpuMilliseconds() - cpuAtFirstPaint;
            std::printf("%.1f ms CPU in %d s idle (%.2f ms a second)\n", used, idleSeconds,
                        used / idleSeconds);
            std::fflush(stdout);
            std::_Exit(0);
        });
    });
    return QApplication::exec();
}

} // namespace bench
