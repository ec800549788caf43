#include "bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

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

struct ChildEntry {
    std::string name;
    std::function<int()> run;
};

std::vector<ChildEntry>& childRegistry()
{
    static std::vector<ChildEntry> entries;
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

// The machine's load averages over 1, 5 and 15 minutes: timings taken while
// other work runs are slower, and say so.
std::string loadAverages()
{
    std::ifstream file("/proc/loadavg");
    double one = 0.0, five = 0.0, fifteen = 0.0;
    file >> one >> five >> fifteen;
    char text[96];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", one, five, fifteen);
    return text;
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

BenchChildRegistration::BenchChildRegistration(const char* name, std::function<int()> run)
{
    childRegistry().push_back({name, std::move(run)});
}

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double peakResidentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0.0;
}

ChildRun runBenchChild(const char* name)
{
    ChildRun run;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return run;
    self[length] = '\0';
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return run;
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    char childFlag[] = "--child";
    std::string childName = name;
    char* argv[] = {self, childFlag, childName.data(), nullptr};

    pid_t pid = 0;
    run.spawnedAt = steadySeconds();
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return run;
    }
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, size_t(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.wallMs = (steadySeconds() - run.spawnedAt) * 1000.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
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
//        thornwick-bench --child NAME   (one fresh-process figure; internal)
int main(int argc, char** argv)
{
    if (argc == 3 && !std::strcmp(argv[1], "--child")) {
        for (const ChildEntry& entry : childRegistry())
            if (entry.name == argv[2])
                return entry.run();
        std::fprintf(stderr, "thornwick-bench: no child figure %s\n", argv[2]);
        return 2;
    }
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
    report.line("CPU: " + cpuModel() + ", " + std::to_string(std::thread::hardware_concurrency()) +
                " hardware threads");
    report.line("load average at the start: " + loadAverages());
    for (const Entry& entry : entries)
        if (only.empty() || entry.name.find(only) != std::string::npos)
            entry.run(report);
    report.line("load average at the end: " + loadAverages());
    if (!out.empty()) {
        std::ofstream file(out);
        for (const std::string& line : report.lines)
            file << line << '\n';
    }
    return 0;
}
