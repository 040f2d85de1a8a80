// Loaded into kvn by its tests (LD_PRELOAD): the Nth array allocation of a
// megabyte or more (N from KVN_TEST_FAIL_ALLOC) throws std::bad_alloc, as on
// a machine out of memory; every other allocation goes on as usual. And the
// Nth read of a megabyte or more (N from KVN_TEST_STOP_AT_READ) first stops
// the process (SIGSTOP), so that a test catches kvn inside a file for sure.
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <unistd.h>

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

extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    using Read = ssize_t (*)(int, void*, size_t);
    static const auto next = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    static const long stopAt = [] {
        const char* n = std::getenv("KVN_TEST_STOP_AT_READ");
        return n ? std::atol(n) : 0L;
    }();
    static std::atomic<long> large{ 0 };
    if (stopAt > 0 && size >= (std::size_t(1) << 20) && ++large == stopAt)
        raise(SIGSTOP);
    return next(fd, buffer, size);
}
