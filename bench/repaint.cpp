// SPDX-License-Identifier: GPL-3.0-or-later
// Which part of the window each event of a match repaints: every paint event
// is caught on its way to its widget, and its region, in window coordinates,
// is added up. A tick should repaint the clock and nothing else; a right
// answer only the labels it changes.
#include "benchwindow.h"

#include <QPaintEvent>

#include <cstdio>
#include <map>

namespace {

qint64 area(const QRegion &region)
{
    qint64 pixels = 0;
    for (const QRect &r : region)
        pixels += qint64(r.width()) * r.height();
    return pixels;
}

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }

    void reset()
    {
        m_painted = QRegion();
        m_byWidget.clear();
    }

    void report(const char *what, const QRect &reference) const
    {
        std::printf("%s: %lld pixels repainted in %zu widgets (%.2f times %s's rectangle)\n", what,
                    area(m_painted), m_byWidget.size(),
                    double(area(m_painted)) / double(area(reference)), "lblconto");
        for (const auto &[name, region] : m_byWidget)
            std::printf("    %-12s %8lld pixels, bounds %dx%d\n", qPrintable(name), area(region),
                        region.boundingRect().width(), region.boundingRect().height());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget != m_window && !m_window->isAncestorOf(widget))
            return false;
        const QRegion region = static_cast<QPaintEvent *>(event)->region().translated(
            widget->mapTo(m_window, QPoint()));
        m_painted += region;
        const QString name = widget->objectName().isEmpty()
                                 ? QString::fromLatin1(widget->metaObject()->className())
                                 : widget->objectName();
        m_byWidget[name] += region;
        return false;
    }

private:
    QWidget *m_window;
    QRegion m_painted;
    std::map<QString, QRegion> m_byWidget;
};

} // namespace

int main(int argc, char *argv[])
{
    const auto app = makeBenchApplication(argc, argv);
    BenchWindow window(QSize(1920, 1080));
    PaintCounter counter(&window.tavola);
    const auto *clock = window.tavola.findChild<QWidget *>(QStringLiteral("lblconto"));
    const QRect clockRect(clock->mapTo(&window.tavola, QPoint()), clock->size());
    const QRect client(window.tavola.centralWidget()->mapTo(&window.tavola, QPoint()),
                       window.tavola.centralWidget()->size());
    std::printf("client area %dx%d = %lld pixels; lblconto %dx%d = %lld pixels\n\n", client.width(),
                client.height(), area(client), clockRect.width(), clockRect.height(),
                area(clockRect));

    const auto measure = [&](const char *what, const auto &action) {
        BenchWindow::settle();
        counter.reset();
        action();
        BenchWindow::settle();
        counter.report(what, clockRect);
    };
    measure("a tick", [&] { window.tavola.Timer1_Timer(); });
    measure("a right answer", [&] { window.judge(window.expectedAnswer()); });
    measure("a second right answer", [&] { window.judge(window.expectedAnswer()); });
    measure("a wrong answer (blackens the client area)",
            [&] { window.judge(QStringLiteral("0")); });
    measure("a question (a new gradient)", [&] { window.tavola.cmdNext_Click(); });
    return 0;
}
