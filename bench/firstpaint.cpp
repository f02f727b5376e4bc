// SPDX-License-Identifier: GPL-3.0-or-later
// The real window, timed from process start to the first paint that shows
// the first question; then it quits. Prints milliseconds since exec. The
// start-up boxes are answered at once, and the record lives in the temporary
// directory.
#include "runtime/qtruntime.h"
#include "runtime/qtsoundplayer.h"
#include "runtime/runtime.h"
#include "ui/tavola.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class InstantRuntime final : public Runtime
{
public:
    int ShowMessage(const QString &, int, const QString &) override { return Ok; }
    QString AskText(const QString &) override { return QStringLiteral("Banco"); }
    QString WindowsDirectory() const override { return QDir::tempPath(); }

protected:
    [[noreturn]] void endProgram(int status) override { std::_Exit(status); }
    void showFailure(const QString &message) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
};

// Seconds from boot to this process's start, from /proc/self/stat.
double processStartSeconds()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    return std::stod(field) / double(sysconf(_SC_CLK_TCK));
}

double uptimeSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Quits at the first paint of the client area once a question is shown.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QMainWindow *window)
        : m_window(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == m_window->centralWidget()) {
            const auto *number = m_window->findChild<QLabel *>(QStringLiteral("lblNum1"));
            if (number && !number->text().isEmpty() && !m_done) {
                m_done = true;
                QTimer::singleShot(0, qApp, [] {
                    std::printf("%.1f\n", (uptimeSeconds() - processStartSeconds()) * 1000);
                    QCoreApplication::quit();
                });
            }
        }
        return false;
    }

private:
    QMainWindow *m_window;
    bool m_done = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sequilla"));
    installItalianTranslations();
    InstantRuntime runtime;
    QtSoundPlayer sound;
    Tavola tavola(runtime, sound);
    FirstPaint probe(&tavola);
    app.installEventFilter(&probe);
    tavola.Show();
    return QApplication::exec();
}
