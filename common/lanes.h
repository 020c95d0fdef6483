// Four doubles side by side: the few operations both viewers' vector arithmetic is written with.
//
// Every operation is the IEEE operation of each lane on its own (add, multiply, divide, square
// root, rounding to float), so a lane gives exactly the bits the same expression gives on one
// double. Nothing here contracts a multiply and an add into one rounding, and nothing may be
// compiled with -ffast-math.
//
// The lanes are GCC's vector extensions, which clang understands too. On x86-64 without AVX the
// compiler carries a vector as two SSE2 registers; a function marked LANES_DISPATCH is compiled a
// second time for AVX2 and chosen at run time by the processor. Elsewhere (other processors,
// Windows, whose toolchain has no ifunc) it is the plain build alone. WebAssembly built with SIMD
// (-msimd128) carries a vector as two 128-bit values too; the conversions, masks and the values
// kept opaque are written with its instructions, which the compiler would otherwise take lane by
// lane.
#pragma once

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

// The helpers are always inlined, so no vector ever crosses a call and the note that a 32-byte
// vector is passed differently with and without AVX concerns no code here.
#pragma GCC diagnostic ignored "-Wpsabi"

// Configuring with -DLANES_DISPATCH= builds the plain path alone, to test it on a processor
// that has AVX2.
#if !defined(LANES_DISPATCH)
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__) && !defined(_WIN32)
#define LANES_DISPATCH __attribute__((target_clones("avx2", "default")))
#else
#define LANES_DISPATCH
#endif
#endif

#define LANES_INLINE static inline __attribute__((always_inline))

namespace lanes {

constexpr int Width = 4;

typedef double Doubles __attribute__((vector_size(4 * sizeof(double))));
typedef float Floats __attribute__((vector_size(4 * sizeof(float))));
typedef long long Mask __attribute__((vector_size(4 * sizeof(long long))));  // all bits set where true
typedef int FloatMask __attribute__((vector_size(4 * sizeof(int))));
typedef long long HalfMask __attribute__((vector_size(2 * sizeof(long long))));

LANES_INLINE Doubles splat(double x) { return Doubles{x, x, x, x}; }
LANES_INLINE Doubles make(double a, double b, double c, double d) { return Doubles{a, b, c, d}; }

LANES_INLINE Doubles load(const double* from)
{
    Doubles v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

LANES_INLINE void store(double* to, Doubles v) { std::memcpy(to, &v, sizeof v); }

// Clears the sign bit, as fabs does: NaN stays NaN, -0 becomes +0.
LANES_INLINE Doubles abs(Doubles v)
{
    const Mask magnitude = Mask{} + 0x7fffffffffffffffLL;
    return reinterpret_cast<Doubles>(reinterpret_cast<Mask>(v) & magnitude);
}

// ---- Roundings to float that every build keeps ----
//
// Where a value is kept as a float and then takes part in double arithmetic again, its rounding is
// part of the result. GCC 12 at -O3 (its SLP vectorizer, MinGW's GCC too) can drop a rounding whose
// float is widened straight away, dividing two edges at a time by the unrounded doubles, so that
// results depend on the optimisation level. A value passed through opaque() is handed back by an
// empty asm statement: the compiler must take the bits it holds as they are, so the rounding before
// it stays. On x86-64 and AArch64 the value stays in its register and no instruction is emitted;
// so it does in WebAssembly, whose asm takes a 128-bit value where SIMD is built in, and otherwise
// takes vectors lane by lane.
#if defined(__GNUC__) && defined(__x86_64__)
#define LANES_FLOAT_REGISTER "+x"
#elif defined(__GNUC__) && defined(__aarch64__)
#define LANES_FLOAT_REGISTER "+w"
#elif defined(__GNUC__) && defined(__wasm_simd128__)
#define LANES_FLOAT_REGISTER "+r"
#define LANES_SCALAR_REGISTER "+r"
#elif defined(__GNUC__) && defined(__wasm__)
#define LANES_SCALAR_REGISTER "+r"
#endif

LANES_INLINE float opaque(float f)
{
#if defined(LANES_FLOAT_REGISTER)
    __asm__("" : LANES_FLOAT_REGISTER(f));
#elif defined(LANES_SCALAR_REGISTER)
    __asm__("" : LANES_SCALAR_REGISTER(f));
#else
    volatile float kept = f;
    f = kept;
#endif
    return f;
}

LANES_INLINE Floats opaque(Floats v)
{
#if defined(LANES_FLOAT_REGISTER)
    __asm__("" : LANES_FLOAT_REGISTER(v));
#else
    for (int i = 0; i < Width; i++)
        v[i] = opaque(float(v[i]));
#endif
    return v;
}

// The float nearest x (round to nearest even, as a cast does), for a float that is used again.
LANES_INLINE float roundToFloat(double x) { return opaque(static_cast<float>(x)); }

#if defined(__wasm_simd128__)
// Each half converted on its own, lanes 0 and 1 of the result, and passed through an empty asm
// statement: without it the compiler folds the steps back into one conversion of four lanes, which
// it takes lane by lane. The asm also keeps the rounding, as opaque() does.
struct FloatHalves {
    v128_t low, high;
};

LANES_INLINE FloatHalves toFloatHalves(Doubles v)
{
    typedef double Pair __attribute__((vector_size(2 * sizeof(double))));
    const Pair low = __builtin_shufflevector(v, v, 0, 1), high = __builtin_shufflevector(v, v, 2, 3);
    FloatHalves f = {wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(low)),
                     wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(high))};
    __asm__("" : "+r"(f.low));
    __asm__("" : "+r"(f.high));
    return f;
}

LANES_INLINE Floats toFloats(Doubles v)
{
    const FloatHalves f = toFloatHalves(v);
    return reinterpret_cast<Floats>(wasm_i64x2_shuffle(f.low, f.high, 0, 2));
}
#else
LANES_INLINE Floats toFloats(Doubles v) { return __builtin_convertvector(v, Floats); }
#endif
// Written lane by lane: GCC 12 makes this one conversion, where __builtin_convertvector converts
// two halves and joins them.
LANES_INLINE Doubles toDoubles(Floats v) { return Doubles{v[0], v[1], v[2], v[3]}; }

// The float nearest each lane, back in double.
LANES_INLINE Doubles toFloatAndBack(Doubles v)
{
#if defined(__wasm_simd128__)
    // Each half back on its own: no join of the floats, no split of them again.
    typedef double Pair __attribute__((vector_size(2 * sizeof(double))));
    const FloatHalves f = toFloatHalves(v);
    const Pair low = reinterpret_cast<Pair>(wasm_f64x2_promote_low_f32x4(f.low));
    const Pair high = reinterpret_cast<Pair>(wasm_f64x2_promote_low_f32x4(f.high));
    return __builtin_shufflevector(low, high, 0, 1, 2, 3);
#else
    const Floats f = opaque(__builtin_convertvector(v, Floats));
    return Doubles{f[0], f[1], f[2], f[3]};
#endif
}

// Lanes to rows: rows[i] = (a[i], b[i], c[i], 0). Each row is written whole, so that reading it
// back, in pieces of any size, can take the stored bytes straight from the store.
LANES_INLINE void storeRows(float rows[Width][4], Floats a, Floats b, Floats c)
{
    // Eight shuffles: pairs of lanes interleaved, then halves joined.
    const Floats ab01 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    const Floats ab23 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const Floats c01 = __builtin_shufflevector(c, Floats{}, 0, 4, 1, 5);
    const Floats c23 = __builtin_shufflevector(c, Floats{}, 2, 6, 3, 7);
    const Floats row[Width] = {__builtin_shufflevector(ab01, c01, 0, 1, 4, 5),
                               __builtin_shufflevector(ab01, c01, 2, 3, 6, 7),
                               __builtin_shufflevector(ab23, c23, 0, 1, 4, 5),
                               __builtin_shufflevector(ab23, c23, 2, 3, 6, 7)};
    for (int i = 0; i < Width; i++)
        std::memcpy(rows[i], &row[i], sizeof row[i]);
}

LANES_INLINE Mask everyLane() { return Mask{} - 1; }

#if defined(__SSE2__)
struct Halves {
    __m128d low, high;
};

LANES_INLINE Halves halves(Doubles v)
{
    return {__builtin_shufflevector(v, v, 0, 1), __builtin_shufflevector(v, v, 2, 3)};
}
#elif defined(__wasm_simd128__)
struct Halves {
    v128_t low, high;
};

LANES_INLINE Halves halves(Mask m)
{
    return {reinterpret_cast<v128_t>(__builtin_shufflevector(m, m, 0, 1)),
            reinterpret_cast<v128_t>(__builtin_shufflevector(m, m, 2, 3))};
}
#endif

// Comparisons give a lane mask; NaN compares false, as in scalar code. Compiled for AVX each is
// one instruction; for SSE2 alone the compiler compares the lanes one by one, which the functions
// that use them avoid by being compiled for AVX2 too (LANES_DISPATCH).
// In WebAssembly a comparison's mask is handed back through an empty asm statement, half by half,
// as a mask of bits like any other: the compiler would otherwise keep it as the comparison it came
// from and make each selection with it, even against +0, and each mask joined to it a
// v128.bitselect, which the browser takes as three instructions where one v128.and does.
#if defined(__wasm_simd128__)
LANES_INLINE Mask comparison(Mask m)
{
    typedef long long Pair __attribute__((vector_size(2 * sizeof(long long))));
    Pair low = __builtin_shufflevector(m, m, 0, 1), high = __builtin_shufflevector(m, m, 2, 3);
    __asm__("" : "+r"(low));
    __asm__("" : "+r"(high));
    return __builtin_shufflevector(low, high, 0, 1, 2, 3);
}
#else
LANES_INLINE Mask comparison(Mask m) { return m; }
#endif
LANES_INLINE Mask greater(Doubles a, Doubles b) { return comparison(a > b); }
LANES_INLINE Mask less(Doubles a, Doubles b) { return comparison(a < b); }
LANES_INLINE Mask notAbove(Doubles a, Doubles b) { return comparison(a <= b); }

// Lane by lane. Built without errno from math functions (-fno-math-errno, which changes no
// result), GCC makes the four one vector square root, as wide as the function is compiled for.
LANES_INLINE Doubles sqrt(Doubles v) { return Doubles{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])}; }

// Finite: neither infinite nor NaN.
LANES_INLINE Mask isFinite(Doubles v) { return notAbove(abs(v), splat(1.7976931348623157e308)); }

// Whether a and b round to the same float, lane by lane.
LANES_INLINE FloatMask sameFloat(Doubles a, Doubles b) { return toFloats(a) == toFloats(b); }

// Margin, relative to a sum, within which a sum reached by multiplications lies around the one
// reached through pow: a few units in the last place of a double, with room to spare.
constexpr double SumMargin = 0x1p-40;

// Whether every double within SumMargin of the sum rounds to the same float as the sum itself.
// Rounding is monotone, so it is enough that both ends of that interval round alike. A sum that is
// not finite, or whose ends are not, fails the test.
inline bool roundsAlike(double sum)
{
    const double margin = sum * SumMargin;
    return static_cast<float>(sum - margin) == static_cast<float>(sum + margin);
}

// roundsAlike, lane by lane.
LANES_INLINE FloatMask roundsAlike(Doubles sum)
{
    const Doubles margin = sum * SumMargin;
    return sameFloat(sum - margin, sum + margin);
}

// a where the mask is set, b elsewhere. In WebAssembly written with the mask's bits, so that a
// selection against +0 is one v128.and.
LANES_INLINE Doubles select(Mask m, Doubles a, Doubles b)
{
#if defined(__wasm_simd128__)
    return reinterpret_cast<Doubles>((reinterpret_cast<Mask>(a) & m) | (reinterpret_cast<Mask>(b) & ~m));
#else
    return m ? a : b;
#endif
}

// The mask as bits, lane i in bit i: lane by lane where there is no movemask.
template <class AnyMask>
LANES_INLINE unsigned bitsOneByOne(AnyMask m)
{
    unsigned b = 0;
    for (int i = 0; i < Width; i++)
        b |= m[i] ? 1u << i : 0;
    return b;
}

LANES_INLINE unsigned bits(Mask m)
{
#if defined(__SSE2__)
    const Halves h = halves(reinterpret_cast<Doubles>(m));
    return unsigned(_mm_movemask_pd(h.low) | _mm_movemask_pd(h.high) << 2);
#elif defined(__wasm_simd128__)
    const Halves h = halves(m);
    return wasm_i64x2_bitmask(h.low) | wasm_i64x2_bitmask(h.high) << 2;
#else
    return bitsOneByOne(m);
#endif
}

LANES_INLINE unsigned bits(FloatMask m)
{
#if defined(__SSE2__)
    return unsigned(_mm_movemask_ps(reinterpret_cast<__m128>(m)));
#elif defined(__wasm_simd128__)
    return wasm_i32x4_bitmask(reinterpret_cast<v128_t>(m));
#else
    return bitsOneByOne(m);
#endif
}

LANES_INLINE bool any(Mask m)
{
    HalfMask halves[2];
    std::memcpy(halves, &m, sizeof halves);
    const HalfMask either = halves[0] | halves[1];
#if defined(__SSE2__)
    return _mm_movemask_epi8(reinterpret_cast<__m128i>(either)) != 0;
#elif defined(__wasm_simd128__)
    return wasm_v128_any_true(reinterpret_cast<v128_t>(either));
#else
    return (either[0] | either[1]) != 0;
#endif
}

LANES_INLINE bool any(FloatMask m)
{
#if defined(__SSE2__)
    return _mm_movemask_epi8(reinterpret_cast<__m128i>(m)) != 0;
#elif defined(__wasm_simd128__)
    return wasm_v128_any_true(reinterpret_cast<v128_t>(m));
#else
    return (m[0] | m[1] | m[2] | m[3]) != 0;
#endif
}

}  // namespace lanes
