#include "bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace {

struct Entry {
    int order;
    std::string name;
    std::function<void(BenchReport&)> run;
};

std::vector<Entry>& registry()
{
    static std::vector<Entry> entries;
    return entries;
}

std::string cpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line))
        if (line.rfind("model name", 0) == 0) {
            const size_t colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(colon + 2);
        }
    return "unknown CPU";
}

} // namespace

void BenchReport::line(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    lines.push_back(text);
}

BenchRegistration::BenchRegistration(int order, const char* name, std::function<void(BenchReport&)> run)
{
    registry().push_back({order, name, std::move(run)});
}

std::vector<double> timeRuns(int runs, const std::function<void()>& fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times;
}

double median(const std::vector<double>& sorted)
{
    if (sorted.empty())
        return 0.0;
    const size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : 0.5 * (sorted[n / 2 - 1] + sorted[n / 2]);
}

double percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0.0;
    size_t index = size_t(p / 100.0 * double(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

std::string describeTimes(const std::vector<double>& sorted)
{
    char text[160];
    std::snprintf(text, sizeof text, "median %.3f ms (spread %.3f..%.3f, n %zu)", median(sorted),
                  sorted.empty() ? 0.0 : sorted.front(), sorted.empty() ? 0.0 : sorted.back(),
                  sorted.size());
    return text;
}

// Usage: thornwick-bench [--out FILE] [--only NAME]
int main(int argc, char** argv)
{
    std::string out;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--out"))
            out = argv[i + 1];
        else if (!std::strcmp(argv[i], "--only"))
            only = argv[i + 1];
    }
    auto& entries = registry();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.order < b.order; });
    BenchReport report;
    report.line("CPU: " + cpuModel());
    for (const Entry& entry : entries)
        if (only.empty() || entry.name.find(only) != std::string::npos)
            entry.run(report);
    if (!out.empty()) {
        std::ofstream file(out);
        for (const std::string& line : report.lines)
            file << line << '\n';
    }
    return 0;
}
