// SPDX-License-Identifier: GPL-3.0-or-later
// Runs two commands alternately, N times each, and reports for each the
// median wall time of the whole process, the median of the milliseconds it
// printed first (its own "to first paint"), its peak resident memory, and the
// ratio of the medians. Alternating spreads any drift of the machine over
// both.
//
//   bench_paired N -- command-a [args...] -- command-b [args...]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

struct Sample
{
    double wallMs;
    double printedMs;
    double peakMiB;
};

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Sample runOnce(const std::vector<char *> &command)
{
    int out[2];
    if (pipe(out) != 0)
        std::exit(2);
    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execvp(command[0], command.data());
        _exit(127);
    }
    close(out[1]);
    std::string printed;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double wall = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", command[0], status);
        std::exit(1);
    }
    return {wall, std::atof(printed.c_str()), double(usage.ru_maxrss) / 1024};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Medians
{
    double wall, printed, peak;
};

Medians report(const char *name, const std::vector<Sample> &samples)
{
    std::vector<double> wall, printed, peak;
    for (const Sample &s : samples) {
        wall.push_back(s.wallMs);
        printed.push_back(s.printedMs);
        peak.push_back(s.peakMiB);
    }
    const Medians m{median(wall), median(printed), median(peak)};
    std::printf(
        "%-24s whole process %6.1f ms (min %5.1f)   first paint %6.1f ms   peak %5.1f MiB\n", name,
        m.wall, *std::min_element(wall.begin(), wall.end()), m.printed, m.peak);
    return m;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5 || std::strcmp(argv[2], "--") != 0) {
        std::fprintf(stderr, "usage: %s N -- command-a [args...] -- command-b [args...]\n",
                     argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<char *> a, b;
    std::vector<char *> *current = &a;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0 && current == &a) {
            current = &b;
            continue;
        }
        current->push_back(argv[i]);
    }
    if (a.empty() || b.empty() || runs < 1)
        return 2;
    a.push_back(nullptr);
    b.push_back(nullptr);

    runOnce(a); // warm the file cache for both before counting
    runOnce(b);
    std::vector<Sample> samplesA, samplesB;
    for (int i = 0; i < runs; ++i) {
        samplesA.push_back(runOnce(a));
        samplesB.push_back(runOnce(b));
    }
    std::printf("%d runs each, alternately; medians\n", runs);
    const Medians ma = report(a[0], samplesA);
    const Medians mb = report(b[0], samplesB);
    std::printf("ratio a/b: whole process %.2f   first paint %.2f   peak memory %.2f\n",
                ma.wall / mb.wall, ma.printed / mb.printed, ma.peak / mb.peak);
    return 0;
}
