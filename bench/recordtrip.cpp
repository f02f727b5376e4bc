// SPDX-License-Identifier: GPL-3.0-or-later
// The round trip of a load and of a save through the record service, as the
// game makes them: each a connection of its own, from connect to reply.
//   bench_recordtrip N                  the installed service's socket; the
//                                       first load starts the service
//   bench_recordtrip N PROGRAM FOLDER   a service child per request, as a
//                                       build tree starts it
// Prints the first load (the service's start, where systemd starts it),
// then the median and the slowest of N loads and of N saves.
#include "runtime/recordstore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double roundTrip(const std::function<UniqueFd()> &connect, const std::string &request)
{
    const Clock::time_point start = Clock::now();
    const UniqueFd socket = connect();
    char reply[512];
    pollfd answer{socket.get(), POLLIN, 0};
    if (!socket.valid() || ::send(socket.get(), request.data(), request.size(), 0) < 0 ||
        ::poll(&answer, 1, 15000) != 1 || ::recv(socket.get(), reply, sizeof reply, 0) <= 0) {
        std::fprintf(stderr, "bench_recordtrip: no reply to %s\n", request.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void report(const char *what, std::vector<double> times)
{
    std::ranges::sort(times);
    std::printf("%-5s median %.2f ms, slowest %.2f ms (%zu runs)\n", what, times[times.size() / 2],
                times.back(), times.size());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2 && argc != 4) {
        std::fputs("usage: bench_recordtrip N [PROGRAM FOLDER]\n", stderr);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const QByteArray program = argc == 4 ? argv[2] : "", folder = argc == 4 ? argv[3] : "";
    const std::function<UniqueFd()> connect = [&] {
        return argc == 4 ? startServiceChild(program, folder)
                         : connectToService("/run/sequilla/record");
    };
    std::printf("first load: %.2f ms\n", roundTrip(connect, "load"));
    std::vector<double> loads, saves;
    for (int i = 0; i < runs; ++i) {
        loads.push_back(roundTrip(connect, "load"));
        // Each save beats the one before, so that each writes.
        saves.push_back(roundTrip(connect, "save " + std::to_string(i + 1) + " Banco"));
    }
    report("load", loads);
    report("save", saves);
}
