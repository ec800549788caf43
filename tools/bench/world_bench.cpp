// World generation's cost: the 800-pass height smoothing, fast against the
// plain column-by-column version (measured in the same run on the same
// input, and checked to agree bit for bit), and the whole generation without
// its asset and sound steps.

#include "bench.h"

#include "world/grid_smoothing.h"
#include "world/smoothing_reference.h"
#include "world/terrain_grid.h"
#include "world/world_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int HillPasses = 800;

// The hills' input to the smoothing: the generator's random walks.
std::vector<float> hillWalks()
{
    std::vector<float> grid(WorldSize * WorldSize, 0.0f);
    seedRandom(7);
    randomWalks(grid.data(), WorldSize, WorldSize, 20.0f, 2000, 60, 0);
    return grid;
}

const char* kernelName(SmoothingKernel kernel)
{
    switch (kernel) {
    case SmoothingKernel::Avx512: return "AVX-512";
    case SmoothingKernel::Avx: return "AVX";
    case SmoothingKernel::Sse: return "SSE";
    default: return "plain";
    }
}

std::string format(const char* pattern, double value)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void benchSmoothing(BenchReport& report)
{
    const std::vector<float> input = hillWalks();
    std::vector<float> fast(input.size()), plain(input.size());

    // Interleaved, so that a change in the machine's load between the two
    // does not skew their ratio.
    std::vector<double> fastTimes, plainTimes;
    for (int round = 0; round < 7; ++round) {
        for (double t : timeRuns(3, [&] {
                 fast = input;
                 smoothGrid(fast.data(), WorldSize, WorldSize, HillPasses);
             }))
            fastTimes.push_back(t);
        plainTimes.push_back(timeRuns(1, [&] {
            plain = input;
            referenceSmoothGrid(plain.data(), WorldSize, WorldSize, HillPasses);
        })[0]);
    }
    std::sort(fastTimes.begin(), fastTimes.end());
    std::sort(plainTimes.begin(), plainTimes.end());
    const bool same = std::memcmp(fast.data(), plain.data(), fast.size() * sizeof(float)) == 0;

    report.line(std::string("smoothing 800 passes, fast (") + kernelName(fastestSmoothingKernel()) +
                    ", both cores): " +
                describeTimes(fastTimes));
    report.line("smoothing 800 passes, plain: " + describeTimes(plainTimes));
    report.line(format("smoothing speed-up: %.1fx (goal 15x)", median(plainTimes) / median(fastTimes)) +
                (same ? ", bit-identical" : ", RESULTS DIFFER"));

    // The narrower kernels, for machines without the widest.
    for (SmoothingKernel kernel : {SmoothingKernel::Avx, SmoothingKernel::Sse}) {
        if (kernel == fastestSmoothingKernel() || !smoothingKernelAvailable(kernel))
            continue;
        std::vector<float> grid(input.size());
        const std::vector<double> times = timeRuns(9, [&] {
            grid = input;
            smoothGridUsing(kernel, grid.data(), WorldSize, WorldSize, HillPasses);
        });
        const bool agrees = std::memcmp(grid.data(), plain.data(), grid.size() * sizeof(float)) == 0;
        report.line(std::string("smoothing 800 passes, ") + kernelName(kernel) + ": " + describeTimes(times) +
                    (agrees ? ", bit-identical" : ", RESULTS DIFFER"));
    }
}

void benchBuildWorld(BenchReport& report)
{
    unsigned seed = 1;
    const std::vector<double> times = timeRuns(9, [&seed] { generateWorld(seed++); });
    report.line("buildWorld without assets and sounds: " + describeTimes(times) + " (goal < 40 ms)");
}

BenchRegistration smoothingRegistration(10, "smoothing", benchSmoothing);
BenchRegistration buildWorldRegistration(20, "buildWorld", benchBuildWorld);

} // namespace
