// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers a match runs, timed with Google Benchmark on the real window:
// each alone, and each with the repaint it causes.
#include "benchwindow.h"

#include "runtime/apppath.h"
#include "runtime/canberrasoundplayer.h"

#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

const QSize fullHd(1920, 1080);
const QSize ultraHd(3840, 2160);

void judgement(benchmark::State &state, bool right, bool repaint)
{
    BenchWindow window(fullHd);
    const QString typed = right ? window.expectedAnswer() : QStringLiteral("0");
    MatchState &match = window.tavola.state();
    for (auto _ : state) {
        window.judge(typed); // each changes the counters shown
        if (repaint)
            BenchWindow::repaintNow();
        if (match.correctCount > 30000 || match.wrongCount > 30000) // far from 16 bits' end
            match.correctCount = match.wrongCount = 0;
    }
}

void question(benchmark::State &state, QSize size, bool repaint)
{
    BenchWindow window(size);
    for (auto _ : state) {
        window.tavola.cmdNext_Click();
        if (repaint)
            BenchWindow::repaintNow();
    }
}

void tick(benchmark::State &state, bool repaint)
{
    BenchWindow window(fullHd);
    MatchState &match = window.tavola.state();
    for (auto _ : state) {
        window.tavola.Timer1_Timer();
        if (repaint)
            BenchWindow::repaintNow();
        if (match.minutes == 0) // never reach 00:00:00, which ends the game
            match.minutes = 4;
    }
}

void loadRecord(benchmark::State &state)
{
    BenchWindow window(fullHd);
    window.tavola.SaveRecord(QStringLiteral("27"), QStringLiteral("Niccolò"));
    for (auto _ : state)
        window.tavola.LoadRecord();
}

void saveRecord(benchmark::State &state)
{
    // Each save beats the one before: a score that does not beat the record
    // on disk is not written.
    BenchWindow window(fullHd);
    int score = 0;
    for (auto _ : state)
        window.tavola.SaveRecord(QString::number(++score), QStringLiteral("Niccolò"));
}

// Connecting to the sound server and putting both sounds in its cache: what
// the window does once, after its first paint. One iteration: it happens
// once a process.
void soundWarmUp(benchmark::State &state)
{
    for (auto _ : state) {
        CanberraSoundPlayer player;
        player.warmUp({AppPath() + QStringLiteral("/suoni/Esatto.wav"),
                       AppPath() + QStringLiteral("/suoni/no.wav")});
    }
}

// The least a repaint of the whole window costs in Qt: one widget of the
// same size that fills itself with one colour.
void wholeWindowFill(benchmark::State &state, QSize size)
{
    class Fill : public QWidget
    {
    protected:
        void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Qt::blue); }
    } fill;
    fill.setAttribute(Qt::WA_OpaquePaintEvent);
    fill.resize(size);
    fill.show();
    BenchWindow::settle();
    for (auto _ : state) {
        fill.update();
        BenchWindow::repaintNow();
    }
}

} // namespace

BENCHMARK_CAPTURE(judgement, right, true, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(judgement, wrong, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(judgement, right_with_repaint, true, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(judgement, wrong_with_repaint, false, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(question, 1920x1080, fullHd, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(question, 3840x2160, ultraHd, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(question, 1920x1080_with_repaint, fullHd, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(question, 3840x2160_with_repaint, ultraHd, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholeWindowFill, 1920x1080, fullHd)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholeWindowFill, 3840x2160, ultraHd)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(tick, alone, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(tick, with_repaint, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(saveRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(soundWarmUp)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char *argv[])
{
    const auto app = makeBenchApplication(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
