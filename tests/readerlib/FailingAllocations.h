#pragma once

#include <cstdlib>
#include <new>

// While an instance lives, every allocation of the thread that made it throws std::bad_alloc.
// Replaces the global operator new for the whole test executable: include it in one of its
// source files only.
class FailingAllocations {
public:
    FailingAllocations() { active() = true; }
    ~FailingAllocations() { active() = false; }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    static bool& active() {
        thread_local bool failing = false;
        return failing;
    }
};

void* operator new(std::size_t size) {
    void* memory = FailingAllocations::active() ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
