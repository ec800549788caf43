// smoothGrid: the generator's one heavy computation (800 passes over the
// height grid). Each new value is
//   0.2 * (g(x, z+1) + g(x, z-1) + g(x+1, z) + g(x-1, z) + g(x, z)),
// summed in exactly that order and clamped below at -20, over a torus. The
// result must be bit-for-bit the plain column-by-column version's, so the
// rows are vectorised without reordering the sum (no FMA can apply: the only
// multiply comes after the last add), the clamp keeps a NaN as the plain
// comparison does, and blocks of passes ping-pong between the grid and a
// work grid. Two threads share each block's rows.
#include "world/grid_smoothing.h"
#include "world/terrain_grid.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define THORNWICK_X86 1
#endif

namespace {

using RowSmoother = void (*)(const float* up, const float* row, const float* down, float* out,
                             int width);

inline float smoothedValue(float down, float up, float right, float left, float centre)
{
    const float v = 0.2f * (down + up + right + left + centre);
    return v < -20.0f ? -20.0f : v;
}

// Columns [from, to) of one row, wrapping the left and right neighbours.
inline void smoothColumns(const float* up, const float* row, const float* down, float* out, int width,
                          int from, int to)
{
    for (int x = from; x < to; ++x) {
        const int left = x == 0 ? width - 1 : x - 1;
        const int right = x == width - 1 ? 0 : x + 1;
        out[x] = smoothedValue(down[x], up[x], row[right], row[left], row[x]);
    }
}

void smoothRowPlain(const float* up, const float* row, const float* down, float* out, int width)
{
    smoothColumns(up, row, down, out, width, 0, width);
}

#ifdef THORNWICK_X86

// One vector of columns from x. max(-20, v) returns v when v is NaN, as
// "v < -20 ? -20 : v" does. Clamp false leaves the clamp out, for passes
// whose input is known to lie at or above -20 (or be NaN): the sum of five
// such values rounds to at least -100 and 0.2 times that to at least -20, so
// the clamp could change nothing there.
template <bool Clamp>
inline void stepSse(const float* up, const float* row, const float* down, float* out, int x)
{
    __m128 sum = _mm_add_ps(_mm_loadu_ps(down + x), _mm_loadu_ps(up + x));
    sum = _mm_add_ps(sum, _mm_loadu_ps(row + x + 1));
    sum = _mm_add_ps(sum, _mm_loadu_ps(row + x - 1));
    sum = _mm_add_ps(sum, _mm_loadu_ps(row + x));
    __m128 v = _mm_mul_ps(_mm_set1_ps(0.2f), sum);
    if (Clamp)
        v = _mm_max_ps(_mm_set1_ps(-20.0f), v);
    _mm_storeu_ps(out + x, v);
}

template <bool Clamp>
__attribute__((target("avx"))) inline void stepAvx(const float* up, const float* row, const float* down,
                                                   float* out, int x)
{
    __m256 sum = _mm256_add_ps(_mm256_loadu_ps(down + x), _mm256_loadu_ps(up + x));
    sum = _mm256_add_ps(sum, _mm256_loadu_ps(row + x + 1));
    sum = _mm256_add_ps(sum, _mm256_loadu_ps(row + x - 1));
    sum = _mm256_add_ps(sum, _mm256_loadu_ps(row + x));
    __m256 v = _mm256_mul_ps(_mm256_set1_ps(0.2f), sum);
    if (Clamp)
        v = _mm256_max_ps(_mm256_set1_ps(-20.0f), v);
    _mm256_storeu_ps(out + x, v);
}

template <bool Clamp>
__attribute__((target("avx512f"))) inline void stepAvx512(const float* up, const float* row,
                                                          const float* down, float* out, int x)
{
    __m512 sum = _mm512_add_ps(_mm512_loadu_ps(down + x), _mm512_loadu_ps(up + x));
    sum = _mm512_add_ps(sum, _mm512_loadu_ps(row + x + 1));
    sum = _mm512_add_ps(sum, _mm512_loadu_ps(row + x - 1));
    sum = _mm512_add_ps(sum, _mm512_loadu_ps(row + x));
    __m512 v = _mm512_mul_ps(_mm512_set1_ps(0.2f), sum);
    // The masked form with every lane set: the plain one trips GCC 12's
    // -Wmaybe-uninitialized inside the intrinsic.
    const __m512 floor = _mm512_set1_ps(-20.0f);
    if (Clamp)
        v = _mm512_mask_max_ps(floor, 0xFFFF, floor, v);
    _mm512_storeu_ps(out + x, v);
}

// A row in vectors of LANES over the inner columns 1..width-2; the last
// vector overlaps the one before rather than leaving a scalar tail (it
// writes the same values again). The wrapped first and last columns, and
// rows too narrow for one vector, go through the scalar code.
#define THORNWICK_SMOOTH_ROW(LANES, STEP)                                   \
    if (width - 2 < LANES)                                                  \
        return smoothRowPlain(up, row, down, out, width);                   \
    smoothColumns(up, row, down, out, width, 0, 1);                         \
    int x = 1;                                                              \
    for (; x + LANES <= width - 1; x += LANES)                              \
        STEP(up, row, down, out, x);                                        \
    if (x < width - 1)                                                      \
        STEP(up, row, down, out, width - 1 - LANES);                        \
    smoothColumns(up, row, down, out, width, width - 1, width);

template <bool Clamp>
void smoothRowSse(const float* up, const float* row, const float* down, float* out, int width)
{
    THORNWICK_SMOOTH_ROW(4, stepSse<Clamp>)
}

template <bool Clamp>
__attribute__((target("avx"))) void smoothRowAvx(const float* up, const float* row, const float* down,
                                                 float* out, int width)
{
    THORNWICK_SMOOTH_ROW(8, stepAvx<Clamp>)
}

template <bool Clamp>
__attribute__((target("avx512f"))) void smoothRowAvx512(const float* up, const float* row,
                                                        const float* down, float* out, int width)
{
    THORNWICK_SMOOTH_ROW(16, stepAvx512<Clamp>)
}

#undef THORNWICK_SMOOTH_ROW

// Rows that carry their wrapped neighbours beside them (row[-1] is column
// width - 1, row[width] is column 0): every column goes in vectors.
#define THORNWICK_SMOOTH_PADDED_ROW(LANES, STEP, WRAPPED)                   \
    if (width < LANES)                                                      \
        return WRAPPED(up, row, down, out, width);                          \
    int x = 0;                                                              \
    for (; x + LANES <= width; x += LANES)                                  \
        STEP(up, row, down, out, x);                                        \
    if (x < width)                                                          \
        STEP(up, row, down, out, width - LANES);

// Padded rows are never a call's first pass, so they never clamp.
void smoothPaddedRowSse(const float* up, const float* row, const float* down, float* out, int width)
{
    THORNWICK_SMOOTH_PADDED_ROW(4, stepSse<false>, smoothRowSse<false>)
}

__attribute__((target("avx"))) void smoothPaddedRowAvx(const float* up, const float* row,
                                                       const float* down, float* out, int width)
{
    THORNWICK_SMOOTH_PADDED_ROW(8, stepAvx<false>, smoothRowAvx<false>)
}

__attribute__((target("avx512f"))) void smoothPaddedRowAvx512(const float* up, const float* row,
                                                              const float* down, float* out, int width)
{
    THORNWICK_SMOOTH_PADDED_ROW(16, stepAvx512<false>, smoothRowAvx512<false>)
}

#undef THORNWICK_SMOOTH_PADDED_ROW

#endif

// A kernel's row functions: for a call's first pass (which clamps), for rows
// that wrap by themselves, and for rows that carry their wrapped neighbours.
struct RowKernel {
    RowSmoother first;
    RowSmoother wrapped;
    RowSmoother padded;
};

RowKernel rowKernelFor(SmoothingKernel kernel)
{
#ifdef THORNWICK_X86
    switch (kernel) {
    case SmoothingKernel::Sse: return {smoothRowSse<true>, smoothRowSse<false>, smoothPaddedRowSse};
    case SmoothingKernel::Avx: return {smoothRowAvx<true>, smoothRowAvx<false>, smoothPaddedRowAvx};
    case SmoothingKernel::Avx512:
        return {smoothRowAvx512<true>, smoothRowAvx512<false>, smoothPaddedRowAvx512};
    default: break;
    }
#else
    (void)kernel;
#endif
    return {smoothRowPlain, smoothRowPlain, smoothRowPlain};
}

// Several passes fused over one sweep of the rows (a wavefront): level l of
// row e needs level l - 1 of rows e - 1, e and e + 1, so each level keeps only
// its last three rows, in a ring that stays in the first-level cache, and the
// grid itself is read and written once per block of passes instead of once
// per pass. The rows a block needs beyond its own wrap around the torus and
// are recomputed (levels - l rows either side at level l).
constexpr int FusedPasses = 6;

struct Wavefront {
    int width;
    int height;
    RowKernel kernel;
    float* ring;   // (FusedPasses - 1) levels x 3 rows, `stride` apart
    size_t stride;

    const float* sourceRow(const float* src, int e) const
    {
        int r = e % height;
        if (r < 0)
            r += height;
        return src + size_t(r) * width;
    }

    float* levelRow(int level, int e) const
    {
        int slot = e % 3;
        if (slot < 0)
            slot += 3;
        return ring + (size_t(level - 1) * 3 + size_t(slot)) * stride;
    }

    // Runs `levels` passes for rows [z0, z1) of dst, reading src. Only the
    // first pass of a call clamps: every later pass reads values at or above
    // -20 (or NaN).
    void run(const float* src, float* dst, int z0, int z1, int levels, bool firstPass) const
    {
        auto input = [&](int level, int e) -> const float* {
            return level == 0 ? sourceRow(src, e) : levelRow(level, e);
        };
        for (int lead = z0 - levels + 1; lead < z1 + levels - 1; ++lead)
            for (int level = 1; level <= levels; ++level) {
                const int e = lead - (level - 1);
                if (e < z0 - levels + level || e >= z1 + levels - level)
                    continue;
                const RowSmoother smooth =
                    level > 1 ? kernel.padded : (firstPass ? kernel.first : kernel.wrapped);
                if (level == levels) {
                    smooth(input(level - 1, e - 1), input(level - 1, e), input(level - 1, e + 1),
                           dst + size_t(e) * width, width);
                    continue;
                }
                float* out = levelRow(level, e);
                smooth(input(level - 1, e - 1), input(level - 1, e), input(level - 1, e + 1), out, width);
                out[-1] = out[width - 1];
                out[width] = out[0];
            }
    }
};

// Waits a moment with the core kept (a few tens of microseconds, under the
// time of one chunk), then gives it up: a partner that lost its core to
// another process should get it back, not be spun against.
void pauseOrYield(int& spins)
{
    if (++spins < 300) {
#ifdef THORNWICK_X86
        _mm_pause();
#endif
    } else {
        std::this_thread::yield();
    }
}

// The passes run in blocks of up to FusedPasses; each block's rows are cut
// into chunks that the threads take in turn from one ticket counter. A ticket
// of block b waits until every chunk of block b - 1 is done (block b reads
// what b - 1 wrote). So a thread that loses its core delays the other by at
// most one chunk, and a helper that never gets a core leaves all the work to
// the caller instead of stalling it.
struct SmoothJob {
    float* grid;
    float* work;
    int width;
    int height;
    int passes;
    int chunks;          // per block
    RowKernel kernel;
    std::atomic<int> nextTicket{0};
    std::atomic<int> chunksDone{0};
    std::atomic<int> soloThread{-1};   // set once: the thread that goes on alone

    int blocks() const { return (passes + FusedPasses - 1) / FusedPasses; }

    // The caller's thread runs this as thread 0, the helper as thread 1.
    void runChunks(int self)
    {
        // Ring rows start on a 64-byte boundary, so that whole vectors load
        // and store whole cache lines, with room for a neighbour either side.
        const size_t stride = (size_t(width) + 2 + 15) / 16 * 16 + 16;
        std::vector<float> ring(size_t(FusedPasses - 1) * 3 * stride + 48);
        const uintptr_t address = reinterpret_cast<uintptr_t>(ring.data());
        float* aligned = ring.data() + ((64 - address % 64) % 64) / sizeof(float);
        const Wavefront wave{width, height, kernel, aligned + 16, stride};
        const int tickets = blocks() * chunks;
        for (;;) {
            const int solo = soloThread.load(std::memory_order_relaxed);
            if (solo != -1 && solo != self)
                return;
            const int ticket = nextTicket.fetch_add(1);
            if (ticket >= tickets)
                return;
            const int block = ticket / chunks;
            const int chunk = ticket % chunks;
            waitForChunks(block * chunks, self);
            const float* src = block % 2 == 0 ? grid : work;
            float* dst = block % 2 == 0 ? work : grid;
            const int levels = std::min(FusedPasses, passes - block * FusedPasses);
            wave.run(src, dst, chunk * height / chunks, (chunk + 1) * height / chunks, levels, block == 0);
            chunksDone.fetch_add(1, std::memory_order_acq_rel);
        }
    }

    // A chunk takes tens of microseconds; waiting far longer for the other
    // thread means it has lost its core to another process. Then the waiting
    // thread goes on alone: the other finishes the ticket it holds and takes
    // no more.
    void waitForChunks(int count, int self)
    {
        if (chunksDone.load(std::memory_order_acquire) >= count)
            return;
        const auto start = std::chrono::steady_clock::now();
        for (int spins = 0; chunksDone.load(std::memory_order_acquire) < count;) {
            pauseOrYield(spins);
            if (spins > 300 && std::chrono::steady_clock::now() - start > std::chrono::microseconds(500)) {
                int none = -1;
                soloThread.compare_exchange_strong(none, self, std::memory_order_relaxed);
            }
        }
    }

    // After every chunk is done: the last block wrote the work grid when the
    // block count is odd.
    void finish()
    {
        waitForChunks(blocks() * chunks, 0);
        if (blocks() % 2 == 1)
            std::memcpy(grid, work, sizeof(float) * size_t(width) * size_t(height));
    }
};

// Below this many cells a second thread costs more than it saves.
constexpr int ThreadedCells = 64 * 64;

bool worthASecondThread(int width, int height)
{
    return width * height >= ThreadedCells && height >= 32 && std::thread::hardware_concurrency() >= 2;
}

} // namespace

bool smoothingKernelAvailable(SmoothingKernel kernel)
{
#ifdef THORNWICK_X86
    __builtin_cpu_init();
    switch (kernel) {
    case SmoothingKernel::Plain:
    case SmoothingKernel::Sse: return true;
    case SmoothingKernel::Avx: return __builtin_cpu_supports("avx");
    case SmoothingKernel::Avx512: return __builtin_cpu_supports("avx512f");
    }
    return false;
#else
    return kernel == SmoothingKernel::Plain;
#endif
}

SmoothingKernel fastestSmoothingKernel()
{
    for (SmoothingKernel k : {SmoothingKernel::Avx512, SmoothingKernel::Avx, SmoothingKernel::Sse})
        if (smoothingKernelAvailable(k))
            return k;
    return SmoothingKernel::Plain;
}

void smoothGridUsing(SmoothingKernel kernel, float* grid, int width, int height, int passes)
{
    if (width < 1 || height < 1 || passes < 1)
        return;
    const RowKernel rows = rowKernelFor(smoothingKernelAvailable(kernel) ? kernel : SmoothingKernel::Plain);

    std::vector<float> ownWork;
    float* work = scratchGrid;
    if (width * height > WorldSize * WorldSize || grid == scratchGrid) {
        ownWork.resize(size_t(width) * height);
        work = ownWork.data();
    }

    // Four chunks a block: two each when both threads run, and a halo of
    // recomputed rows small against a chunk's own rows.
    const bool threaded = worthASecondThread(width, height);
    SmoothJob job{grid, work, width, height, passes, threaded ? 4 : 1, rows};
    if (!threaded) {
        job.runChunks(0);
        job.finish();
        return;
    }
    // Without a helper (none could be started) the caller takes every chunk.
    std::thread helper;
    try {
        helper = std::thread([&job] { job.runChunks(1); });
    } catch (const std::system_error&) {
    }
    job.runChunks(0);
    job.finish();
    if (helper.joinable())
        helper.join();
}

void smoothGrid(float* grid, int width, int height, int passes)
{
    static const SmoothingKernel fastest = fastestSmoothingKernel();
    smoothGridUsing(fastest, grid, width, height, passes);
}
