// Key pages and the end of core files, per platform.
#include "batch/key_memory.h"

#include "engine/os/secure_zero.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif
#endif

namespace batch {

namespace {

std::size_t PageSize()
{
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::size_t(info.dwPageSize);
#else
    const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? std::size_t(size) : 4096;
#endif
}

std::size_t WholePages(std::size_t bytes)
{
    const std::size_t page = PageSize();
    return (bytes + page - 1) / page * page;
}

} // namespace

bool ForbidCoreDumps()
{
#if defined(_WIN32)
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return false;
#else
    const rlimit none{ 0, 0 };
    ::setrlimit(RLIMIT_CORE, &none);
#if defined(__linux__)
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
#else
    return false;
#endif
#endif
}

void* AllocateKeyPages(std::size_t bytes) noexcept
{
    if (bytes == 0)
        bytes = 1;
    const std::size_t size = WholePages(bytes);
#if defined(_WIN32)
    void* pages = ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (pages != nullptr)
        ::VirtualLock(pages, size); // the working set may be too small: then only unlocked
    return pages;
#else
    void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        return nullptr;
    // Either may be refused (a locked-memory limit, an old kernel); the
    // pages still serve, only less guarded.
    ::mlock(pages, size);
#ifdef MADV_DONTDUMP
    ::madvise(pages, size, MADV_DONTDUMP);
#endif
    return pages;
#endif
}

void FreeKeyPages(void* pages, std::size_t bytes) noexcept
{
    if (pages == nullptr)
        return;
    const std::size_t size = WholePages(bytes == 0 ? 1 : bytes);
    tessiral::secure_zero(pages, size);
#if defined(_WIN32)
    ::VirtualUnlock(pages, size);
    ::VirtualFree(pages, 0, MEM_RELEASE);
#else
    ::munlock(pages, size);
    ::munmap(pages, size);
#endif
}

} // namespace batch
