// Keeping keys out of core files and swap: the process made non-dumpable,
// and key buffers in pages that are locked in memory and left out of dumps
// where the system allows it.
#pragma once

#include <cstddef>
#include <new>

namespace batch {

// No core file, and no other process of the user's reading this one's
// memory: on Linux the process is made non-dumpable and its core size limit
// set to 0; on Windows the crash report box is turned off (a dump that an
// administrator's settings ask for still gets written). True when the
// process is non-dumpable afterwards.
bool ForbidCoreDumps();

// Whole pages, locked and left out of dumps as far as the system lets;
// wiped before they are given back. Null when there is no memory.
void* AllocateKeyPages(std::size_t bytes) noexcept;
void FreeKeyPages(void* pages, std::size_t bytes) noexcept;

// An allocator for containers that hold key bytes.
template <typename T> struct KeyAllocator {
    using value_type = T;
    KeyAllocator() = default;
    template <typename U> KeyAllocator(const KeyAllocator<U>&) noexcept { }
    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        void* p = AllocateKeyPages(n * sizeof(T));
        if (p == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeKeyPages(p, n * sizeof(T)); }
    template <typename U> bool operator==(const KeyAllocator<U>&) const noexcept { return true; }
};

} // namespace batch
