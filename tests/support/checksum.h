// A checksum over the exact bits of floats and bytes, for tests that pin results bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// FNV-1a over the exact bits of floats. Every NaN counts as one value: which NaN an invalid
// operation yields may depend on operand order, which the compiler is free to choose.
struct Checksum {
    std::uint64_t value = 14695981039346656037ull;
    std::vector<float> floats;  // as added, for the comparison to the pinned ones below

    void addBytes(const void* data, std::size_t size)
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; i++) {
            value ^= bytes[i];
            value *= 1099511628211ull;
        }
    }
    void add(float x)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        if (std::isnan(x))
            bits = 0x7fc00000u;
        addBytes(&bits, sizeof bits);
        floats.push_back(x);
    }
    void add(const std::string& text) { addBytes(text.data(), text.size()); }
};

// The pins were taken on Linux on x86-64, bit for bit, and arm64, Windows and the web build must
// give the same bits: MinGW-w64's pow and Emscripten's round every pinned power as glibc's does,
// and no build fuses a multiply and an add. There a mismatch is compared float by float to the
// results the x86-64 Linux tests left in the folder GAUGEPLOT_PINNED_STREAMS, themselves checked
// against the pin, to name the first float that moved by more than ForeignUlps.
constexpr int ForeignUlps = 0;

inline ::testing::AssertionResult matchesPin(const Checksum& got, std::uint64_t pinned)
{
    const char* folder = std::getenv("GAUGEPLOT_PINNED_STREAMS");
    char name[32];
    std::snprintf(name, sizeof name, "/%016llx.bin", static_cast<unsigned long long>(pinned));
    const std::string path = folder != nullptr ? folder + std::string(name) : "";
    if (got.value == pinned) {
        std::FILE* f = folder != nullptr ? std::fopen(path.c_str(), "wb") : nullptr;
        if (f != nullptr)
            std::fwrite(got.floats.data(), sizeof(float), got.floats.size(), f), std::fclose(f);
        return ::testing::AssertionSuccess();
    }
    char now[40];
    std::snprintf(now, sizeof now, "now 0x%016llxull", static_cast<unsigned long long>(got.value));
#if defined(_WIN32) || defined(__EMSCRIPTEN__) || defined(__aarch64__)
    Checksum reference;
    std::FILE* f = folder != nullptr ? std::fopen(path.c_str(), "rb") : nullptr;
    for (float x; f != nullptr && std::fread(&x, sizeof x, 1, f) == 1;)
        reference.add(x);
    if (f != nullptr)
        std::fclose(f);
    if (reference.value != pinned || reference.floats.size() != got.floats.size())
        return ::testing::AssertionFailure() << now << "; no Linux results for it in " << path;
    int moved = 0;
    for (std::size_t i = 0; i < got.floats.size(); i++) {
        std::int32_t a, b;
        std::memcpy(&a, &got.floats[i], sizeof a);
        std::memcpy(&b, &reference.floats[i], sizeof b);
        if (std::abs(std::int64_t(a) - b) > ForeignUlps && !(std::isnan(got.floats[i]) && std::isnan(reference.floats[i])))
            return ::testing::AssertionFailure() << now << "; float " << i << " is " << got.floats[i]
                                                 << ", on Linux " << reference.floats[i];
        moved += a != b;
    }
    std::printf("pinned %s: %d of %zu floats within %d units in the last place of Linux's\n", name + 1, moved,
                got.floats.size(), ForeignUlps);
    return ::testing::AssertionSuccess();
#else
    return ::testing::AssertionFailure() << now;
#endif
}
