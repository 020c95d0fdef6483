// A checksum over the exact bits of floats and bytes, for tests that pin results bit for bit.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// FNV-1a over the exact bits of floats. Every NaN counts as one value: which NaN an invalid
// operation yields may depend on operand order, which the compiler is free to choose.
struct Checksum {
    std::uint64_t value = 14695981039346656037ull;

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
    }
    void add(const std::string& text) { addBytes(text.data(), text.size()); }
};
