// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the screen of the X server in DISPLAY.
//   screenprobe [--save FILE.png] [X,Y ...]
// prints "R G B" for each point, one line each, and saves a screenshot.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (screen.isNull()) {
        std::fprintf(stderr, "screenprobe: cannot read the screen\n");
        return 2;
    }
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--save") && i + 1 < args.size()) {
            if (!screen.save(args[++i]))
                return 2;
            continue;
        }
        const QStringList xy = args[i].split(u',');
        const QPoint point(xy.value(0).toInt(), xy.value(1).toInt());
        if (xy.size() != 2 || !screen.rect().contains(point)) {
            std::fprintf(stderr, "screenprobe: bad point %s\n", qPrintable(args[i]));
            return 2;
        }
        const QColor c = screen.pixelColor(point);
        std::printf("%d %d %d\n", c.red(), c.green(), c.blue());
    }
    return 0;
}
