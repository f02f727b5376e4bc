// SPDX-License-Identifier: GPL-3.0-or-later
#include "heldrecord.h"

#include "recordkeeper.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Paths from which code would be loaded: Qt's plugins (the platform, its
// theme, styles, input methods), GTK's and GIO's modules (which Qt's GTK
// theme would load), and the OpenGL drivers of the X platform. The record
// files are out of such code's reach, in the keeper; this is a second line,
// and keeps the window's process as a plain start of the program would be.
constexpr const char *codePaths[] = {"QT_PLUGIN_PATH",
                                     "QT_QPA_PLATFORM_PLUGIN_PATH",
                                     "QML_IMPORT_PATH",
                                     "QML2_IMPORT_PATH",
                                     "GTK_PATH",
                                     "GTK_MODULES",
                                     "GTK3_MODULES",
                                     "GIO_EXTRA_MODULES",
                                     "GIO_MODULE_DIR",
                                     "LIBGL_DRIVERS_PATH",
                                     "__EGL_VENDOR_LIBRARY_DIRS",
                                     "__EGL_VENDOR_LIBRARY_FILENAMES",
                                     "GBM_BACKENDS_PATH"};

[[noreturn]] void giveUp(const char *what)
{
    std::fprintf(stderr, "sequilla: %s: %s\n", what, std::strerror(errno));
    std::_Exit(1);
}

// Standard input, output and error open, so that no record file can take
// their place and be written by a stray message.
void keepStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", O_RDWR) != fd)
            giveUp("/dev/null");
}

// The file at path, open for reading and writing if it passes every check;
// else closed, with the reason in file.error.
UniqueFd hold(HeldFile &file, gid_t group)
{
    UniqueFd fd(::open(file.path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info
    {
    };
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0)
        file.error = errno;
    else if (!S_ISREG(info.st_mode))
        file.error = NotRegular;
    else if (info.st_nlink != 1)
        file.error = ManyLinks;
    else if (info.st_uid != 0 || info.st_gid != group)
        file.error = WrongOwner;
    else if (fd.get() <= 2)
        file.error = LowDescriptor;
    return file.error == 0 ? std::move(fd) : UniqueFd();
}

void dropGroup(gid_t user)
{
    if (::setresgid(user, user, user) != 0)
        giveUp("setresgid");
    std::array<gid_t, 3> held{}; // real, effective, saved
    if (::getresgid(&held[0], &held[1], &held[2]) != 0 || std::ranges::count(held, user) != 3)
        giveUp("the games group is still held");
}

void stripEnvironment()
{
    for (const char *name : codePaths)
        ::unsetenv(name);
    // libcanberra loads the driver it is given by name from its own folder:
    // a name with a slash would lead it elsewhere.
    if (const char *driver = std::getenv("CANBERRA_DRIVER");
        driver != nullptr && std::string_view(driver).find('/') != std::string_view::npos)
        ::unsetenv("CANBERRA_DRIVER");
}

} // namespace

HeldRecord holdRecordFiles(const char *directory, int &argc, char **argv)
{
    const gid_t user = ::getgid();
    const gid_t group = ::getegid(); // games, or the group an admin gave the program
    if (user == group)
        return {};
    keepStandardDescriptors();
    const std::string folder(directory);
    HeldRecord record{true, {folder + "/quirel.txt"}, {folder + "/nquirel.txt"}, {}};
    UniqueFd score = hold(record.score, group);
    UniqueFd name = hold(record.name, group);
    dropGroup(user);
    if (score.valid() && name.valid()) {
        record.keeper = startRecordKeeper(std::move(score), std::move(name));
        if (!record.keeper.valid())
            record.score.error = errno;
    }
    // This process holds no record file from here on, and nothing else
    // worth keeping from its user: like any program of theirs, it may be
    // traced and dumped (the set-group-id start had forbidden both).
    score = UniqueFd();
    name = UniqueFd();
    ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    stripEnvironment();
    if (argc > 1) {
        argc = 1;
        argv[1] = nullptr;
    }
    return record;
}
