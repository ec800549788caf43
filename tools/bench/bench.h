// The benchmark runner's registry. Each bench file registers its figures with
// a static BenchRegistration; the runner prints the CPU model first, then one
// line per figure, and writes the report to bench/latest.txt.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct BenchReport {
    // Adds one line of the report.
    void line(const std::string& text);
    std::vector<std::string> lines;
};

struct BenchRegistration {
    // Lower order runs first.
    BenchRegistration(int order, const char* name, std::function<void(BenchReport&)> run);
};

// A figure measured in a fresh process: the runner re-executes itself with
// "--child NAME" in the current directory and the registered body runs there
// alone. What it prints to stdout comes back to the parent.
struct BenchChildRegistration {
    BenchChildRegistration(const char* name, std::function<int()> run);
};

struct ChildRun {
    bool ok = false;
    double wallMs = 0.0;   // spawn to exit, as the parent saw it
    double spawnedAt = 0.0;  // steadySeconds() just before the spawn
    std::string output;
};

// Spawns this executable with "--child NAME" (SDL_AUDIODRIVER=dummy) and
// waits for it, collecting its stdout.
ChildRun runBenchChild(const char* name);

// Seconds on the system-wide monotonic clock, comparable between processes.
double steadySeconds();

// Peak resident memory of this process in MiB (VmHWM), 0 when unknown.
double peakResidentMiB();

// Runs fn repeatedly (at least `runs` times) and returns the sorted times of
// each run in milliseconds.
std::vector<double> timeRuns(int runs, const std::function<void()>& fn);

double median(const std::vector<double>& sorted);
double percentile(const std::vector<double>& sorted, double p);

// "median 12.345 ms (spread 12.001..13.456, n 9)"
std::string describeTimes(const std::vector<double>& sorted);
