// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the screen of the X server in DISPLAY, one answer a line:
//   screenprobe X,Y              the colour at a point: "R G B"
//   screenprobe --hash X,Y,W,H   a checksum of a rectangle's pixels
//   screenprobe --count X,Y,W,H R,G,B   how many pixels of the rectangle have that colour
//   screenprobe --save FILE.png  a screenshot
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace {

QList<int> numbers(const QString &text, qsizetype count)
{
    QList<int> values;
    for (const QString &part : text.split(u','))
        values << part.toInt();
    return values.size() == count ? values : QList<int>();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
    if (screen.isNull()) {
        std::fprintf(stderr, "screenprobe: cannot read the screen\n");
        return 2;
    }
    const QStringList args = QCoreApplication::arguments().mid(1);
    const auto rect = [&](const QString &text) {
        const QList<int> v = numbers(text, 4);
        return v.isEmpty() ? QRect() : QRect(v[0], v[1], v[2], v[3]) & screen.rect();
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--save" && i + 1 < args.size()) {
            if (!screen.save(args[++i]))
                return 2;
        } else if (arg == u"--hash" && i + 1 < args.size()) {
            const QImage part = screen.copy(rect(args[++i]));
            const QByteArray bytes(reinterpret_cast<const char *>(part.constBits()),
                                   part.sizeInBytes());
            std::printf(
                "%s\n",
                QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().constData());
        } else if (arg == u"--count" && i + 2 < args.size()) {
            const QRect area = rect(args[++i]);
            const QList<int> c = numbers(args[++i], 3);
            if (c.isEmpty())
                return 2;
            const QRgb wanted = qRgb(c[0], c[1], c[2]);
            int count = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    count += (screen.pixel(x, y) & 0xffffff) == (wanted & 0xffffff);
            std::printf("%d\n", count);
        } else {
            const QList<int> xy = numbers(arg, 2);
            if (xy.isEmpty() || !screen.rect().contains(xy[0], xy[1])) {
                std::fprintf(stderr, "screenprobe: bad argument %s\n", qPrintable(arg));
                return 2;
            }
            const QColor c = screen.pixelColor(xy[0], xy[1]);
            std::printf("%d %d %d\n", c.red(), c.green(), c.blue());
        }
    }
    return 0;
}
