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

// Runs fn repeatedly (at least `runs` times) and returns the sorted times of
// each run in milliseconds.
std::vector<double> timeRuns(int runs, const std::function<void()>& fn);

double median(const std::vector<double>& sorted);
double percentile(const std::vector<double>& sorted, double p);

// "median 12.345 ms (spread 12.001..13.456, n 9)"
std::string describeTimes(const std::vector<double>& sorted);
