#include "alphabets.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define ALPHABETS_WIDE 1
#include <immintrin.h>
#endif

namespace {

/* Each character's entry: its mirror, where it stands in an alphabet, and
 * whether the mirror has a final form (the code point before it), the
 * character stands in an alphabet given as characters (and is no letter of
 * a word), or in the alphabet being added; 0 for any other character. */
const uint32_t code_bits = 0x1FFFFF;
const uint32_t has_final = 1U << 29;
const uint32_t own = 1U << 30;
const uint32_t pending = 1U << 31;

/* The entries, 256 code points to a page: c's is pages[page_of[c >> 8]][c &
 * 0xFF]. Page 0 stays empty, for every block that no alphabet touches. */
const int page_count = 512;
uint16_t page_of[0x110000 >> 8];
uint32_t pages[page_count][256];
int pages_used = 1;
bool lengths_kept = true;
bool latin_alone = true;
bool finals_added = false;
const alphabet_way *chosen = alphabet_ways;  // the widest way that this processor runs

uint32_t entry(char32_t c)
{
    return pages[page_of[c >> 8]][c & 0xFF];
}

bool set_entry(char32_t c, uint32_t value)
{
    uint16_t &page = page_of[c >> 8];
    if (page == 0) {
        if (pages_used == page_count)
            return false;
        page = static_cast<uint16_t>(pages_used++);
    }
    pages[page][c & 0xFF] = value;
    return true;
}

/* The one decoder of UTF-8: the length of the character at p, of which n >
 * 0 bytes are there, its code point in *c: 1 to 4 for one in its shortest
 * form; 0 where the n bytes begin one and end; -1 where p[0] begins none (an
 * overlong form, a surrogate, past U+10FFFF) and passes as it is. */
int decode(const unsigned char *p, size_t n, char32_t *c)
{
    const unsigned lead = p[0];
    *c = lead;
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2 || lead > 0xF4)
        return -1;
    const int length = 2 + (lead >= 0xE0) + (lead >= 0xF0);
    unsigned low = 0x80 + ((lead == 0xE0) * 0x20) + ((lead == 0xF0) * 0x10);   // no overlong form
    unsigned high = 0xBF - ((lead == 0xED) * 0x20) - ((lead == 0xF4) * 0x30);  // no surrogate, nothing past U+10FFFF
    char32_t code = lead & (0x7FU >> length);
    for (int i = 1; i < length; ++i) {
        if (static_cast<size_t>(i) >= n)
            return 0;
        const unsigned next = p[i];
        if (next < low || next > high)
            return -1;
        low = 0x80;
        high = 0xBF;
        code = (code << 6) | (next & 0x3F);
    }
    *c = code;
    return length;
}

int encoded_length(char32_t c)
{
    return 1 + (c >= 0x80) + (c >= 0x800) + (c >= 0x10000);
}

int encode(char32_t c, unsigned char *out)
{
    const int length = encoded_length(c);
    for (int i = length - 1; i > 0; --i, c >>= 6)
        out[i] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    out[0] = static_cast<unsigned char>(length == 1 ? c : (0xF00U >> length) | c);
    return length;
}

/* What a character is to a word: a letter of Hebrew or Greek (the script's
 * number, as a stream holds it), a mark (a point or accent, with the letter
 * before it), or a sign that keeps a word going: Hebrew's geresh and
 * gershayim (׳ ״ ' ") between two letters, Greek's apostrophe (' ’ ʼ ᾽). */
enum : uint8_t { other = 0, hebrew = 1, greek = 2, mark = 4, joins_hebrew = 8, joins_greek = 16, joins_both = 24 };

/* Ranges of code points and what they are, the first that holds one
 * deciding: signs among letters and marks (Greek's numeral signs, question
 * mark and ano teleia, Hebrew's maqaf, paseq, sof pasuq and nun hafukha) end
 * a word as punctuation does. */
const struct {
    char32_t first, last;
    unsigned char part;
} parts[] = {
    {'"', '"', joins_hebrew},      {'\'', '\'', joins_both},     {0x2BC, 0x2BC, joins_greek},   {0x300, 0x36F, mark},
    {0x374, 0x375, other},         {0x37E, 0x37E, other},        {0x384, 0x385, other},         {0x387, 0x387, other},
    {0x370, 0x3FF, greek},         {0x483, 0x489, mark},         {0x5BE, 0x5BE, other},         {0x5C0, 0x5C0, other},
    {0x5C3, 0x5C3, other},         {0x5C6, 0x5C6, other},        {0x591, 0x5C7, mark},          {0x5D0, 0x5EA, hebrew},
    {0x5EF, 0x5F2, hebrew},        {0x5F3, 0x5F4, joins_hebrew}, {0x1AB0, 0x1AFF, mark},        {0x1DC0, 0x1DFF, mark},
    {0x1FBD, 0x1FBD, joins_greek}, {0x1F00, 0x1FFF, greek},      {0x2019, 0x2019, joins_greek}, {0x20D0, 0x20FF, mark},
    {0xFE20, 0xFE2F, mark},
};
unsigned char part_table[0x10000];  // what parts[] says of each code point below 0x10000, once an alphabet is added

unsigned char part_of(char32_t c)
{
    return c < 0x10000 && !(entry(c) & own) ? part_table[c] : static_cast<unsigned char>(other);
}

/* The one rule for final forms, for a letter (of 0 and 1) or a letter a bit
 * (of masks): a letter whose image has one is written in it where it ends a
 * word of two letters or more: where the word before it is of its script
 * and no letter of it follows, as advance() and follows() find them. */
template <typename Bits> Bits written_final(Bits image_has_final, Bits word_before, Bits word_after)
{
    return image_has_final & word_before & ~word_after;
}

/* Whether the word of a letter of `script` goes on into p[0, n): 1 where the
 * next character but marks is a letter of it, or a sign that joins it (for
 * Hebrew, then a letter); 0 where not, where the text ends, or after more
 * than alphabet_most_marks marks; -1 where the text goes on past p[n - 1]. */
int follows(const unsigned char *p, size_t n, bool last, unsigned char script)
{
    bool joined = false;
    for (unsigned marks = 0; marks <= alphabet_most_marks;) {
        char32_t c = 0;
        const int length = n ? decode(p, n, &c) : 0;
        if (length == 0)
            return last ? 0 : -1;
        const unsigned char part = length < 0 ? static_cast<unsigned char>(other) : part_of(c);
        if (part == script || (script == greek && (part & joins_greek)))
            return 1;
        if (part == mark)
            ++marks;
        else if (script == hebrew && (part & joins_hebrew) && !joined)
            joined = true;
        else
            return 0;
        p += length;
        n -= static_cast<size_t>(length);
    }
    return 0;
}

/* Moves the stream past a character that is `part` to a word. */
void advance(alphabet_stream &s, unsigned char part)
{
    if (part == mark && s.marks < alphabet_most_marks) {
        ++s.marks;
    } else if (part != mark && s.word == hebrew && (part & joins_hebrew) && !s.joined) {
        s.joined = 1;
    } else {
        const bool elision = s.word == greek && (part & joins_greek);
        s = {static_cast<unsigned char>(elision ? greek : part & (hebrew | greek)), 0, 0};
    }
}

/* Takes the character at p[0], of n > 0 bytes, the portable way: writes
 * its image at out[*o], moves `s` past it and returns its length; 0, having
 * taken nothing, where what follows p[n - 1] decides it and the text goes
 * on. */
size_t take_one(const unsigned char *p, size_t n, bool last, unsigned char *out, size_t *o, alphabet_stream &s)
{
    char32_t c = 0;
    const int length = decode(p, n, &c);
    if (length == 0 && !last)
        return 0;
    if (length <= 0) {
        out[(*o)++] = p[0];
        advance(s, other);
        return 1;
    }
    const uint32_t found = entry(c);
    const unsigned char part = part_of(c);
    char32_t image = found ? found & code_bits : c;
    if (found & has_final) {
        const int after = follows(p + length, n - static_cast<size_t>(length), last, part);
        if (after < 0)
            return 0;
        image -= written_final<unsigned>(1, s.word == part, static_cast<unsigned>(after)) & 1;
    }
    *o += static_cast<size_t>(encode(image, out + *o));
    advance(s, part);
    return static_cast<size_t>(length);
}

/* The alphabets that have names, a case at a time, with their final forms,
 * each the code point before its letter. */
const struct {
    const char *name, *letters, *finals;
} named[] = {
    {"latin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", ""},
    {"latin", "abcdefghijklmnopqrstuvwxyz", ""},
    {"hebrew", "אבגדהוזחטיכלמנסעפצקרשת", "ךםןףץ"},
    {"greek", "αβγδεζηθικλμνξοπρστυφχψω", "ς"},
    {"greek", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ", ""},
};

/* Marks each character of `list`, UTF-8 that decode() has checked, pending
 * (or, `undo`, clears what was so marked); returns why one cannot be. */
const char *claim(const unsigned char *list, bool undo = false)
{
    for (const unsigned char *p = list; *p;) {
        char32_t c = 0;
        p += decode(p, 4, &c);
        const uint32_t found = entry(c);
        if (undo && (found & pending))
            set_entry(c, 0);
        else if (!undo && found)
            return found & pending ? "a character stands in it twice"
                                   : "a character of it stands in another alphabet too";
        else if (!undo && !set_entry(c, pending))
            return "its characters lie in more than 511 blocks of 256 code points";
    }
    return nullptr;
}

/* The entry of a character whose mirror is `mirror`: has_final where one of
 * `finals` is the mirror's final form. */
uint32_t entry_for(char32_t mirror, const unsigned char *finals, uint32_t flags)
{
    for (const unsigned char *p = finals; *p;) {
        char32_t final = 0;
        p += decode(p, 4, &final);
        flags |= final + 1 == mirror ? has_final : 0;
    }
    return mirror | flags;
}

/* Goes through the alphabet `text`, the first with the last and so on
 * inwards, then its final forms, each read as the letter after it: sets each
 * character's entry where `set`, and returns whether each already was so. */
bool pair_up(const unsigned char *text, const unsigned char *finals, uint32_t flags, bool set)
{
    bool same = true;
    const unsigned char *first = text;
    const unsigned char *last = text + std::strlen(reinterpret_cast<const char *>(text));
    while (first < last) {
        do
            --last;
        while ((*last & 0xC0) == 0x80);
        char32_t one = 0;
        char32_t other_end = 0;
        const unsigned char *next = first + decode(first, 4, &one);
        decode(last, 4, &other_end);
        const uint32_t entries[2] = {entry_for(other_end, finals, flags), entry_for(one, finals, flags)};
        same = same && entry(one) == entries[0] && entry(other_end) == entries[1];
        lengths_kept = lengths_kept && (!set || next - first == encoded_length(other_end));
        if (set && set_entry(one, entries[0]))
            set_entry(other_end, entries[1]);
        first = next;
    }
    for (const unsigned char *p = finals; *p;) {
        char32_t final = 0;
        p += decode(p, 4, &final);
        same = same && entry(final) == entry(final + 1);
        if (set)
            set_entry(final, entry(final + 1));
    }
    return same;
}

/* Adds the alphabet `text` with its final forms `finals`, whose entries
 * `flags` marks; an alphabet given before is taken once. */
const char *add(const char *letters, const char *final_forms, uint32_t flags)
{
    const auto *text = reinterpret_cast<const unsigned char *>(letters);
    const auto *finals = reinterpret_cast<const unsigned char *>(final_forms);
    if (pair_up(text, finals, flags, false))
        return nullptr;
    const char *why = claim(text);
    why = why ? why : claim(finals);
    claim(text, true);
    claim(finals, true);
    if (!why)
        pair_up(text, finals, flags, true);
    finals_added = finals_added || (!why && *finals);
    return why;
}

/* Adds the alphabet that `name` names in any case, or of the characters
 * that it holds. */
const char *add_named_or_own(const char *name)
{
    bool known = false;
    const char *why = nullptr;
    for (const auto &alphabet : named) {
        size_t i = 0;
        while (name[i] && (name[i] | 0x20) == alphabet.name[i])
            ++i;
        if (name[i] || alphabet.name[i])
            continue;
        known = true;
        why = why ? why : add(alphabet.letters, alphabet.finals, 0);
        latin_alone = latin_alone && std::strcmp(alphabet.name, "latin") == 0;
    }
    if (known)
        return why;
    if (std::strspn(name, "abcdefghijklmnopqrstuvwxyz") == std::strlen(name) && *name)
        return "no alphabet has that name (latin, hebrew, greek)";
    size_t count = 0;
    for (const auto *p = reinterpret_cast<const unsigned char *>(name); *p; ++count) {
        char32_t c = 0;
        const int length = decode(p, 4, &c);
        if (length <= 0)
            return "it is not UTF-8";
        if (part_of(c) == mark)
            return "it holds a combining mark, which is no character alone";
        p += length;
    }
    if (count < 2)
        return "an alphabet needs two characters at least";
    latin_alone = false;
    return add(name, "", own);
}

#ifdef ALPHABETS_WIDE

/* The wide way's tables, made from the entries and part_of(): a character of
 * one byte's image, or 0x80 for the portable way; by a first byte's low six
 * bits, 0x80 where its characters take the portable way; where they change,
 * a slot for that byte, holding by the second byte's low six bits the image's
 * first byte (0x20 added for a letter, 0 for the portable way) and second
 * (0x40 added for a final form), its letters of one script. */
const int slot_count = 4;
struct Plan {
    bool ascii_changes;
    int slots;
    unsigned char ascii[128];
    unsigned char kinds[64];
    unsigned char leads[slot_count];
    unsigned char scripts[slot_count];
    unsigned char firsts[slot_count][64];
    unsigned char seconds[slot_count][64];
};
Plan plan;

/* Plans the characters of two bytes that begin with `lead`. */
void plan_lead(unsigned lead)
{
    unsigned char firsts[64] = {};
    unsigned char seconds[64] = {};
    bool all = true;
    bool changes = false;
    unsigned script = 0;
    for (unsigned low = 0; low < 64; ++low) {
        // The portable way: another length, a final form of another lead, a mark or sign.
        const unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(0x80 | low)};
        char32_t c = 0;
        unsigned char image[4] = {};
        const int length = decode(bytes, 2, &c);
        const uint32_t found = entry(c);
        const char32_t mirror = found ? found & code_bits : c;
        const unsigned char part = finals_added ? part_of(c) : 0;
        if (length != 2 || encode(mirror, image) != 2 || part >= mark ||
            ((found & has_final) && (mirror & 0x3F) == 0)) {
            all = false;
            continue;
        }
        firsts[low] = static_cast<unsigned char>(image[0] | (part ? 0x20 : 0));
        seconds[low] = static_cast<unsigned char>(image[1] | ((found & has_final) ? 0x40 : 0));
        changes = changes || mirror != c;
        script |= part;
    }
    if (changes && plan.slots < slot_count && script != (hebrew | greek)) {
        const int k = plan.slots++;
        plan.leads[k] = static_cast<unsigned char>(lead);
        plan.scripts[k] = static_cast<unsigned char>(script);
        std::memcpy(plan.firsts[k], firsts, sizeof firsts);
        std::memcpy(plan.seconds[k], seconds, sizeof seconds);
    } else if (changes || script || !all) {
        plan.kinds[lead & 0x3F] = 0x80;
    }
}

void make_plan()
{
    plan = {};
    for (unsigned b = 0; b < 128; ++b) {
        const uint32_t found = entry(b);
        const char32_t mirror = found ? found & code_bits : b;
        const bool portable = mirror >= 0x80 || (finals_added && found && (b == '"' || b == '\''));
        plan.ascii[b] = static_cast<unsigned char>(portable ? 0x80 : mirror);
        plan.ascii_changes = plan.ascii_changes || plan.ascii[b] != b;
    }
    for (unsigned lead = 0xC0; lead < 0x100; ++lead)
        plan_lead(lead);
}

#define WIDE __attribute__((target("avx512bw,avx512vbmi")))

WIDE inline __m512i bytes_of(unsigned char b)
{
    return _mm512_set1_epi8(static_cast<char>(b));
}

/* table[64] looked up by the low six bits of each byte of `index`. */
WIDE inline __m512i look_up(const unsigned char *table, __m512i index)
{
    return _mm512_maskz_permutexvar_epi8(~0ULL, index, _mm512_loadu_si512(table));
}

/* Takes a window of 64 bytes at in[0], in[-1] and in[64] there too, where
 * each character is of one or two bytes, its image as long, and no mark:
 * writes out[0, 64), takes the characters that start in its first 61 bytes
 * and returns the bytes that they take, 61 or 62 (what follows is written
 * again). Else 0, `*until` where the last that goes the portable way ends. */
WIDE size_t take_window(const unsigned char *in, unsigned char *out, alphabet_stream &s, size_t *until)
{
    const __m512i before = _mm512_loadu_si512(in - 1);
    const __m512i text = _mm512_loadu_si512(in);
    const __m512i next = _mm512_loadu_si512(in + 1);
    const uint64_t high = _mm512_movepi8_mask(text);
    const uint64_t leads = _mm512_cmpge_epu8_mask(text, bytes_of(0xC0));
    const uint64_t seconds = high & ~leads;
    // Hebrew's joining signs and Greek's apostrophe, not at the window's
    // edges, where the stream would hold what they join, nor twice.
    const uint64_t apostrophes = finals_added ? _mm512_cmpeq_epi8_mask(text, bytes_of('\'')) : 0;
    const uint64_t joins = apostrophes | (finals_added ? _mm512_cmpeq_epi8_mask(text, bytes_of('"')) : 0);
    uint64_t slow = _mm512_cmpge_epu8_mask(text, bytes_of(0xE0)) | (seconds ^ (leads << 1)) |
                    (leads & _mm512_movepi8_mask(look_up(plan.kinds, text))) | (joins & (0xFULL << 60 | 1)) |
                    (joins & (joins << 1));
    __m512i image = text;
    if (plan.ascii_changes) {
        const __m512i ascii = _mm512_maskz_permutex2var_epi8(
            ~0ULL, _mm512_loadu_si512(plan.ascii), text, _mm512_loadu_si512(plan.ascii + 64));
        slow |= ~high & _mm512_movepi8_mask(ascii);
        image = _mm512_mask_blend_epi8(high, ascii, text);
    }
    uint64_t h = 0;  // the first bytes of Hebrew letters
    uint64_t g = 0;  // and of Greek
    uint64_t finals = 0;
    for (int k = 0; k < plan.slots; ++k) {
        const uint64_t at_lead = _mm512_cmpeq_epi8_mask(text, bytes_of(plan.leads[k]));
        const uint64_t at_second = seconds & _mm512_cmpeq_epi8_mask(before, bytes_of(plan.leads[k]));
        const __m512i first = look_up(plan.firsts[k], next);
        const __m512i second = look_up(plan.seconds[k], text);
        const uint64_t letters = at_lead & _mm512_test_epi8_mask(first, bytes_of(0x20));
        slow |= at_lead & _mm512_testn_epi8_mask(first, first);
        h |= plan.scripts[k] == hebrew ? letters : 0;
        g |= plan.scripts[k] == greek ? letters : 0;
        finals |= at_second & _mm512_test_epi8_mask(second, bytes_of(0x40));
        image = _mm512_mask_blend_epi8(at_lead, image, _mm512_and_si512(first, bytes_of(0xDF)));
        image = _mm512_mask_blend_epi8(at_second, image, _mm512_and_si512(second, bytes_of(0xBF)));
    }
    if (slow) {
        *until = 64 - static_cast<size_t>(__builtin_clzll(slow));
        return 0;
    }
    // A letter is of two bytes: its neighbours are two bytes away, or three
    // past a sign of one byte that joins them, as follows() finds them.
    const uint64_t final = written_final<uint64_t>((finals >> 1) & h,
                                                   (h << 2) | ((joins << 1) & (h << 3)) | (s.word == hebrew),
                                                   (h >> 2) | ((joins >> 2) & (h >> 3))) |
                           written_final<uint64_t>((finals >> 1) & g,
                                                   (g << 2) | ((apostrophes << 1) & (g << 3)) | (s.word == greek),
                                                   (g >> 2) | (apostrophes >> 2));
    _mm512_storeu_si512(out, _mm512_mask_sub_epi8(image, final << 1, image, bytes_of(1)));
    const size_t took = 61 + ((seconds >> 61) & 1);
    const uint64_t ends = leads & (uint64_t{1} << (took - 2));  // the last character's first byte, if of two
    s = {static_cast<unsigned char>((((ends & h) != 0) * hebrew) + (((ends & g) != 0) * greek)), 0, 0};
    *until = 0;
    return took;
}

#endif

/* The portable way, and with `wide` the same taking windows of 64 bytes
 * where it can. */
template <bool wide>
size_t mirror_by(alphabet_stream *s, const char *text, size_t size, bool last, char *image, size_t *written)
{
    const auto *in = reinterpret_cast<const unsigned char *>(text);
    auto *out = reinterpret_cast<unsigned char *>(image);
    size_t i = 0;
    size_t o = 0;
    [[maybe_unused]] size_t until = 0;  // for the wide way: where the portable one takes the text
    while (i < size) {
#ifdef ALPHABETS_WIDE
        if (wide && i >= until && i >= 1 && size - i > 64) {
            const size_t took = take_window(in + i, out + o, *s, &until);
            until += i;
            i += took;
            o += took;
            if (took)
                continue;
        }
#endif
        const size_t length = take_one(in + i, size - i, last, out, &o, *s);
        if (!length)
            break;
        i += length;
    }
    if (last)
        *s = {};
    *written = o;
    return i;
}

}  // namespace

const alphabet_way alphabet_ways[] = {
    {"portable", mirror_by<false>, [] { return true; }},
#ifdef ALPHABETS_WIDE
    {"avx512vbmi",
     mirror_by<true>,
     [] { return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"); }},
#endif
};
const int alphabet_way_count = sizeof alphabet_ways / sizeof alphabet_ways[0];

const char *alphabet_add(const char *name)
{
    for (size_t i = sizeof parts / sizeof parts[0]; i-- > 0 && !part_table[parts[0].first];)
        for (char32_t c = parts[i].first; c <= parts[i].last; ++c)
            part_table[c] = parts[i].part;
    const char *why = add_named_or_own(name);
#ifdef ALPHABETS_WIDE
    make_plan();
#endif
    for (int i = 0; i < alphabet_way_count; ++i)
        chosen = alphabet_ways[i].runs_here() ? &alphabet_ways[i] : chosen;
    return why;
}

bool alphabet_is_latin()
{
    return latin_alone;
}

bool alphabet_keeps_lengths()
{
    return lengths_kept;
}

size_t alphabet_mirror(alphabet_stream *stream, const char *text, size_t size, bool last, char *image, size_t *written)
{
    return chosen->mirror(stream, text, size, last, image, written);
}
