// The plain smoothing pass the fast smoothGrid must match bit for bit:
// column x outer, row z inner, the five values summed in the written order,
// 0.2 times the sum, clamped below at -20, through a work grid copied back.
#pragma once

#include <cstddef>
#include <vector>

inline void referenceSmoothGrid(float* grid, int width, int height, int passes)
{
    std::vector<float> scratch(std::size_t(width) * height);
    auto g = [&](int x, int z) {
        if (x < 0) x = width - 1;
        if (x > width - 1) x = 0;
        if (z < 0) z = height - 1;
        if (z > height - 1) z = 0;
        return grid[z * width + x];
    };
    for (int pass = 0; pass < passes; ++pass) {
        for (int x = 0; x < width; ++x)
            for (int z = 0; z < height; ++z) {
                float v = 0.2f * (g(x, z + 1) + g(x, z - 1) + g(x + 1, z) + g(x - 1, z) + g(x, z));
                if (v < -20.0f)
                    v = -20.0f;
                scratch[z * width + x] = v;
            }
        for (std::size_t i = 0; i < scratch.size(); ++i)
            grid[i] = scratch[i];
    }
}
