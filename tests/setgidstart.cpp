// SPDX-License-Identifier: GPL-3.0-or-later
// The installed game's start as root can stage it with no set-group-id file:
// real group USER, effective and saved group GROUP, then the record files in
// the current folder held and the group given up. Writes what the program is
// left with to ./report, a line a fact: each file as read through the record
// keeper, or why not; the groups; the command line (GROUP and what follows
// it), counted, and whether more stands past its end; the environment.
//   setgidstart USER GROUP ARGUMENT...
#include "runtime/failure.h"
#include "runtime/recordstore.h"

#include <QFile>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    if (::setresgid(std::stoul(argv[1]), std::stoul(argv[2]), std::stoul(argv[2])) != 0)
        return 2;
    int arguments = argc - 2;
    RecordStore store(holdRecordFiles(".", arguments, argv + 2));
    const auto report = [&](const char *name) {
        try {
            store.ensure(QString::fromLatin1(name));
            return store.read(QString::fromLatin1(name)) == u"7\r\n" ? u"held"_s : u"unread"_s;
        } catch (const RuntimeFailure &failure) {
            return failure.message();
        }
    };
    gid_t real = 0, effective = 0, saved = 0;
    ::getresgid(&real, &effective, &saved);
    const QByteArray facts =
        (QStringLiteral("score=") + report("quirel.txt") + u"\nname="_s + report("nquirel.txt") +
         QString::asprintf("\ngroups=%u %u %u\narguments=%d%s\nplugins=", real, effective, saved,
                           arguments, argv[2 + arguments] ? " and more" : "") +
         qEnvironmentVariable("QT_PLUGIN_PATH") + u"\ndriver="_s +
         qEnvironmentVariable("CANBERRA_DRIVER"))
            .toUtf8();
    QFile file(QStringLiteral("report"));
    return file.open(QIODevice::WriteOnly) && file.write(facts) == facts.size() ? 0 : 3;
}
