#include "failing_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// 0: no allocation fails on purpose.
std::atomic<std::size_t> FailAbove{0};

} // namespace

MemoryShortAbove::MemoryShortAbove(std::size_t bytes) { FailAbove.store(bytes); }
MemoryShortAbove::~MemoryShortAbove() { FailAbove.store(0); }

void* operator new(std::size_t size)
{
    const std::size_t limit = FailAbove.load(std::memory_order_relaxed);
    if (limit != 0 && size > limit)
        throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
