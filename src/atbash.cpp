#include "atbash.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define ATBASH_WIDE 1
#include <immintrin.h>

#include <atomic>
#endif

namespace {

void portable(char *text, int length)
{
    /* No branch and no conditional store on the byte, so that the loop
     * vectorizes: every byte gets a shift added, the distance to its mirror
     * for a letter and 0 for everything else. */
    for (int i = 0; i < length; ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        /* 'a'..'z' -> 'A'..'Z'; no other byte lands in 'A'..'Z'. */
        unsigned char capital = b & 0xDF;
        /* capital in 'A'..'Z' (65..90): adding 63 moves exactly that range to
         * 128..153, the only bytes below -102 when read as signed; SSE2
         * compares signed bytes in one instruction. */
        // cppcheck-suppress knownConditionTrueFalse ; it takes signed char for char
        unsigned char letter = static_cast<signed char>(capital + 63) < -102 ? 0xFF : 0;
        /* A capital's mirror is 'A' + 'Z' - b; a small letter and its mirror
         * both lie 32 above their capitals, so the distance is the same. */
        unsigned char shift = static_cast<unsigned char>('A' + 'Z' - (2 * capital));
        text[i] = static_cast<char>(b + (shift & letter));
    }
}

#ifdef ATBASH_WIDE

/* The same steps as the portable loop, 32 bytes at a time; what is left
 * after the last 32 goes the portable way. */
__attribute__((target("avx2"))) void avx2(char *text, int length)
{
    const __m256i small_bit_off = _mm256_set1_epi8(static_cast<char>(0xDF));
    const __m256i to_top = _mm256_set1_epi8(63);
    const __m256i below = _mm256_set1_epi8(-102);
    const __m256i alphabet = _mm256_set1_epi8(static_cast<char>('A' + 'Z'));
    int i = 0;
    // length - i, not i + 32: near INT_MAX the sum would overflow.
    for (; length - i >= 32; i += 32) {
        auto *at = reinterpret_cast<__m256i *>(text + i);
        __m256i b = _mm256_loadu_si256(at);
        __m256i capital = _mm256_and_si256(b, small_bit_off);
        __m256i letter = _mm256_cmpgt_epi8(below, _mm256_add_epi8(capital, to_top));
        __m256i shift = _mm256_sub_epi8(alphabet, _mm256_add_epi8(capital, capital));
        _mm256_storeu_si256(at, _mm256_add_epi8(b, _mm256_and_si256(shift, letter)));
    }
    portable(text + i, length - i);
}

/* One step of 64 bytes: the letters, picked by a mask, get their shift. */
__attribute__((target("avx512bw"))) inline __m512i mirror64(__m512i b)
{
    const __m512i small_bit_off = _mm512_set1_epi8(static_cast<char>(0xDF));
    const __m512i first = _mm512_set1_epi8('A');
    const __m512i letters = _mm512_set1_epi8(26);
    const __m512i alphabet = _mm512_set1_epi8(static_cast<char>('A' + 'Z'));
    __m512i capital = _mm512_and_si512(b, small_bit_off);
    __mmask64 letter = _mm512_cmplt_epu8_mask(_mm512_sub_epi8(capital, first), letters);
    __m512i shift = _mm512_sub_epi8(alphabet, _mm512_add_epi8(capital, capital));
    return _mm512_mask_add_epi8(b, letter, b, shift);
}

/* 64 bytes at a time; the last, shorter run goes through a mask of its
 * length, so that no byte past the count is read or written. Only that run
 * is loaded and stored through the mask, which is slower. */
__attribute__((target("avx512bw"))) void avx512(char *text, int length)
{
    int i = 0;
    for (; length - i >= 64; i += 64) {
        auto *at = reinterpret_cast<__m512i *>(text + i);
        _mm512_storeu_si512(at, mirror64(_mm512_loadu_si512(at)));
    }
    if (i < length) {
        __mmask64 inside = (1ULL << (length - i)) - 1;
        _mm512_mask_storeu_epi8(text + i, inside, mirror64(_mm512_maskz_loadu_epi8(inside, text + i)));
    }
}

/* What this processor, and the system's saving of its registers, allow. */
bool has_avx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool has_avx512bw()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512bw");
}

#endif

bool anywhere()
{
    return true;
}

}  // namespace

// Constant tables and pointers, set before any code runs: atbash works from
// another file's static initialiser too.
#ifdef ATBASH_WIDE
const atbash_loop atbash_loops[] = {
    {"portable", portable, anywhere},
    {"avx2", avx2, has_avx2},
    {"avx512bw", avx512, has_avx512bw},
};
#else
const atbash_loop atbash_loops[] = {
    {"portable", portable, anywhere},
};
#endif
const int atbash_loop_count = sizeof atbash_loops / sizeof atbash_loops[0];

#ifdef ATBASH_WIDE
namespace {
void first_call(char *text, int length);

/* The widest loop that this processor runs, chosen at the first call. Two
 * threads that call first at once both choose, and choose the same: the
 * pointer is atomic, so that neither reads it half written. */
std::atomic<void (*)(char *, int)> widest{first_call};

void first_call(char *text, int length)
{
    void (*chosen)(char *, int) = portable;
    if (has_avx512bw())
        chosen = avx512;
    else if (has_avx2())
        chosen = avx2;
    widest.store(chosen, std::memory_order_relaxed);
    chosen(text, length);
}
}  // namespace
#endif

void atbash(char *text, int length)
{
#ifdef ATBASH_WIDE
    widest.load(std::memory_order_relaxed)(text, length);
#else
    portable(text, length);
#endif
}
