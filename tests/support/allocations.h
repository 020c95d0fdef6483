// Counts heap allocations made by the process, so a test can show that a frame allocates nothing.
//
// Under AddressSanitizer the count comes from the sanitizer's allocation hook; otherwise malloc,
// calloc and realloc are wrapped around the C library's own. Both see operator new as well.
#pragma once

namespace allocations {

// Allocations since the process started.
long count();

// The process's anonymous resident memory in kilobytes (heap, stack and data: what a leak
// grows), as the kernel reports it. Code pages are left out: a rarely taken path of a library
// may fault its pages in at any time.
long residentKilobytes();

}  // namespace allocations
