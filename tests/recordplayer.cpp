// SPDX-License-Identifier: GPL-3.0-or-later
// One copy of the program at the end of a match, for the test of many ending
// at once against one record directory: saves SCORE with the name "P<SCORE>"
// after DELAY ms, or (SCORE "read") reads the record pair 200 times and fails
// when a name does not go with its score. "held" holds the files open from
// the start, as the installed game does; "path" opens them by path.
//   recordplayer DIR held|path SCORE|read DELAY
#include "tavolatester.h"

#include <QApplication>
#include <QThread>

#include <fcntl.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]) + u'/';
    HeldRecord held{qstrcmp(argv[2], "held") == 0, {}, {}};
    const auto hold = [&](HeldFile &file, const char *name) {
        file.path = QFile::encodeName(dir + QLatin1StringView(name)).toStdString();
        file.fd = UniqueFd(::open(file.path.c_str(), O_RDWR | O_CLOEXEC));
    };
    if (held.active) {
        hold(held.score, "quirel.txt");
        hold(held.name, "nquirel.txt");
    }
    FakeRuntime runtime(std::move(held));
    FakeSound sound;
    TavolaTester tavola(runtime, sound);
    tavola.state().windowsDir = dir;
    runtime.Record().ensure(dir + "quirel.txt");
    QThread::msleep(QByteArray(argv[4]).toULong());
    if (qstrcmp(argv[3], "read") != 0)
        return tavola.SaveRecord(argv[3], u'P' + QLatin1StringView(argv[3])) ? 0 : 3;
    for (int i = 0; i < 200; ++i) {
        const FileLock lock = runtime.Record().lock(dir, FileLock::Shared);
        const QString score = runtime.Record().read(dir + "quirel.txt").trimmed();
        if (runtime.Record().read(dir + "nquirel.txt").trimmed() !=
            (score.isEmpty() ? "" : u'P' + score))
            return 1;
    }
    return 0;
}
