// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the start-up and idle benchmarks share, so that the real window and
// the floor are measured in exactly the same way.

#include <QObject>

#include <functional>

class QWidget;

namespace bench {

/// CPU time (user + system) this process has used, in milliseconds.
double cpuMilliseconds();

/// Wall time since this process was started, in milliseconds (from the
/// kernel's start time, so it includes loading the libraries).
double millisecondsSinceExec();

/// Watches the application's paint events. The first paint of `client`
/// for which `ready` holds is "the first paint"; once it has been flushed
/// `onFirstPaint` runs.
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *client, std::function<bool()> ready,
                    std::function<void()> onFirstPaint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    QWidget *m_client;
    std::function<bool()> m_ready;
    std::function<void()> m_onFirstPaint;
    bool m_seen = false;
};

/// The tail every benchmark program shares. Without arguments it quits at
/// the first paint, at once as the program ends (_Exit). With "--idle S" it
/// stays S seconds after the first paint without input and then prints the
/// CPU milliseconds those seconds cost. `client` is the widget whose paint
/// counts; `ready` says when its content is the one to wait for.
int runUntilFirstPaintOrIdle(int argc, char *argv[], QWidget *client, std::function<bool()> ready);

} // namespace bench
