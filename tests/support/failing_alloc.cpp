// Loaded into kvn by its tests (LD_PRELOAD): the Nth array allocation of a
// megabyte or more (N from KVN_TEST_FAIL_ALLOC) throws std::bad_alloc, as on
// a machine out of memory; every other allocation goes on as usual.
#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <new>

void* operator new[](std::size_t size)
{
    using Allocate = void* (*)(std::size_t);
    static const auto next = reinterpret_cast<Allocate>(dlsym(RTLD_NEXT, "_Znam"));
    static const long failAt = [] {
        const char* n = std::getenv("KVN_TEST_FAIL_ALLOC");
        return n ? std::atol(n) : 0L;
    }();
    static std::atomic<long> large{ 0 };
    if (size >= (std::size_t(1) << 20) && ++large == failAt)
        throw std::bad_alloc();
    return next(size);
}
