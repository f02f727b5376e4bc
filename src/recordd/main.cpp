// SPDX-License-Identifier: GPL-3.0-or-later
// sequilla-record: the one program that writes Sequilla's record.
//
// Installed, systemd starts it at the first connection to its socket
// (sequilla-record.socket), under an account of its own that no pupil holds,
// so no pupil can stop, limit or kill it; it then serves every connection.
// In a build tree the game starts it as a child for each request, on a
// socket pair.
//   sequilla-record                     (from systemd: its socket is fd 3)
//   sequilla-record --child [FOLDER]    (from the game: the connection is fd 3)
//   sequilla-record --import OLD NEW    (from the package: an old record into NEW)
#include "recordfolder.h"
#include "service.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int connectionFd = 3; // as sd_listen_fds(3) passes it, and the game

UniqueFd openFolder(const char *path)
{
    return UniqueFd(::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// Started by systemd for this very process, with its one socket, as
// sd_listen_fds(3) tells it: a listening SOCK_SEQPACKET socket on fd 3.
bool fromSystemd()
{
    const char *pid = std::getenv("LISTEN_PID");
    const char *fds = std::getenv("LISTEN_FDS");
    if (!pid || !fds || std::strtol(pid, nullptr, 10) != long(::getpid()) ||
        std::string_view(fds) != "1")
        return false;
    int type = 0, listening = 0;
    socklen_t size = sizeof type;
    if (::getsockopt(connectionFd, SOL_SOCKET, SO_TYPE, &type, &size) != 0 ||
        type != SOCK_SEQPACKET)
        return false;
    size = sizeof listening;
    return ::getsockopt(connectionFd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 &&
           listening == 1;
}

int import(const char *oldPath, const char *newPath)
{
    const UniqueFd oldFolder = openFolder(oldPath), newFolder = openFolder(newPath);
    if (!newFolder.valid()) {
        std::fprintf(stderr, "sequilla-record: %s: %s\n", newPath, std::strerror(errno));
        return 1;
    }
    const Record record = oldFolder.valid() ? importRecord(oldFolder.get()) : Record{};
    if (!record.score) {
        std::printf("sequilla-record: no well-formed record in %s; the record starts empty\n",
                    oldPath);
        return 0;
    }
    int error = 0;
    RecordTexts ignored;
    const UniqueFd lock = lockRecord(newFolder.get(), std::chrono::seconds(5), error);
    if (lock.valid() && (error = loadRecord(newFolder.get(), ignored)) == 0)
        error = saveRecord(newFolder.get(), record);
    if (error != 0) {
        std::fprintf(stderr, "sequilla-record: %s: %s\n", newPath, std::strerror(error));
        return 1;
    }
    std::printf("sequilla-record: kept the record %d of \"%s\"\n", *record.score,
                record.name.c_str());
    return 0;
}

// The game's folder, whose mode and group say who may play: lib/sequilla
// of the prefix this program was installed in, as libexec/sequilla (it is
// not in the game's folder, which an admin may close to this program's
// account); "" when it cannot be told.
std::string gameFolder()
{
    std::string path(4096, '\0');
    const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size());
    if (size <= 0 || std::size_t(size) >= path.size())
        return {};
    path.resize(std::size_t(size));
    for (int up = 0; up < 3; ++up) { // the program, sequilla, libexec
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos)
            return {};
        path.resize(slash);
    }
    return path + "/lib/sequilla";
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "--import" && argc == 4)
        return import(argv[2], argv[3]);
    // The game's own child may keep its record in another folder: it runs
    // as the user who started it, and reaches nothing that user could not.
    const bool child = mode == "--child" && argc <= 3;
    if (!child && !(argc == 1 && fromSystemd())) {
        std::fputs("usage: sequilla-record [--child [FOLDER] | --import OLD NEW]\n"
                   "(systemd starts it on /run/sequilla/record, a listening\n"
                   "SOCK_SEQPACKET socket passed as descriptor 3)\n",
                   stderr);
        return 2;
    }
    ServiceRules rules;
    rules.folder = child && argc == 3 ? argv[2] : SEQUILLA_RECORD_DIR;
    if (child) {
        // Whatever happens, the game's own child ends within this time.
        ::alarm(30);
        serveConnection(connectionFd, rules);
        return 0;
    }
    const std::string program = gameFolder();
    rules.programFolder = program.c_str(); // "" lets nobody in
    rules.subordinateIds = "/etc/subuid";
    serveListener(connectionFd, rules);
    return 0;
}
