// Counts heap allocations made by the process, so a test can show that a frame allocates nothing.
#include "allocations.h"

#include <atomic>
#include <cstddef>

#include <fcntl.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GAUGEPLOT_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define GAUGEPLOT_ASAN 1
#endif

namespace {
std::atomic<long> allocationCount{0};
}

#if GAUGEPLOT_ASAN

// Declared here: GCC installs no header for it, though its runtime has it as clang's does.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                                         void (*onFree)(const volatile void*));

namespace {

void onMalloc(const volatile void*, std::size_t) { allocationCount++; }
void onFree(const volatile void*) {}

struct InstallHooks {
    InstallHooks() { __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree); }
} installHooks;

}  // namespace

#else

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);

// The same allocator as the C library's free, so memory freed anywhere stays consistent.
void* malloc(std::size_t size)
{
    allocationCount++;
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    allocationCount++;
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size)
{
    allocationCount++;
    return __libc_realloc(p, size);
}
}

#endif

namespace allocations {

long count() { return allocationCount.load(); }

long residentKilobytes()
{
    // Plain system calls into a stack buffer: reading it must not allocate itself.
    char text[128];
    int fd = open("/proc/self/statm", O_RDONLY);
    if (fd < 0)
        return -1;
    long length = read(fd, text, sizeof text - 1);
    close(fd);
    if (length <= 0)
        return -1;
    text[length] = '\0';
    // Fields: total pages, then resident pages.
    const char* p = text;
    while (*p != ' ' && *p != '\0')
        p++;
    long resident = 0;
    for (p++; *p >= '0' && *p <= '9'; p++)
        resident = resident * 10 + (*p - '0');
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace allocations
