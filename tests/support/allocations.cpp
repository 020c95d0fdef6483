// Counts heap allocations made by the process, so a test can show that a frame allocates nothing.
#include "allocations.h"

#include <atomic>
#include <cstddef>
#include <cstring>

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
    char text[4096];
    int fd = open("/proc/self/status", O_RDONLY);
    if (fd < 0)
        return -1;
    long length = read(fd, text, sizeof text - 1);
    close(fd);
    if (length <= 0)
        return -1;
    text[length] = '\0';
    const char* p = std::strstr(text, "RssAnon:");
    if (p == nullptr)
        return -1;
    p += std::strlen("RssAnon:");
    while (*p == ' ' || *p == '\t')
        p++;
    long kilobytes = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        kilobytes = kilobytes * 10 + (*p - '0');
    return kilobytes;
}

}  // namespace allocations
