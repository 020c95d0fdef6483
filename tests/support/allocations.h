// Counts heap allocations made by the process, so a test can show that a frame allocates nothing.
//
// Under AddressSanitizer the count comes from the sanitizer's allocation hook; otherwise malloc,
// calloc and realloc are wrapped around the C library's own. Both see operator new as well.
#pragma once

namespace allocations {

// Allocations since the process started.
long count();

// The process's resident memory in kilobytes, as the kernel reports it.
long residentKilobytes();

}  // namespace allocations
