// The row kernels behind smoothGrid. smoothGrid picks the widest one the CPU
// runs; tests and benchmarks may name one to check each against the plain
// pass.
#pragma once

enum class SmoothingKernel { Plain, Sse, Avx, Avx512 };

bool smoothingKernelAvailable(SmoothingKernel kernel);
SmoothingKernel fastestSmoothingKernel();

// smoothGrid with the given kernel; an unavailable one falls back to Plain.
void smoothGridUsing(SmoothingKernel kernel, float* grid, int width, int height, int passes);
