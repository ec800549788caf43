// This test binary replaces the global operator new and delete. While a
// MemoryShortAbove is alive, every allocation larger than its size throws
// std::bad_alloc, as when the memory runs out; smaller ones go through.
#pragma once

#include <cstddef>

class MemoryShortAbove {
public:
    explicit MemoryShortAbove(std::size_t bytes);
    ~MemoryShortAbove();
    MemoryShortAbove(const MemoryShortAbove&) = delete;
    MemoryShortAbove& operator=(const MemoryShortAbove&) = delete;
};
