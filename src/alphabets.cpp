#include "alphabets.h"

#include <cstdint>
#include <cstring>

namespace {

/* Each character's entry: its mirror, where it stands in an alphabet, with
 * marks above the code point's 21 bits; 0 for every other character. */
const uint32_t code_bits = 0x1FFFFF;
/* The mirror has a final form, the character before it, for a word's end. */
const uint32_t has_final = 1U << 29;
/* The character stands in an alphabet given as characters: it is no letter
 * of a Hebrew or Greek word, whatever its block. */
const uint32_t own = 1U << 30;
/* Set while an alphabet is being added: the character stands in it. */
const uint32_t pending = 1U << 31;

/* The entries, 256 code points to a page: code point c's is
 * pages[page_of[c >> 8]][c & 0xFF]. Page 0 stays empty, for every block
 * that no alphabet touches. */
const int page_count = 512;
uint16_t page_of[0x110000 >> 8];
uint32_t pages[page_count][256];
int pages_used = 1;
bool lengths_kept = true;

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

/* The length of the UTF-8 sequence that starts at p, of which n > 0 bytes
 * are there, with its code point in *c: 1 to 4 for a character in its
 * shortest form; 0 where the n bytes begin one but do not complete it; -1
 * where p[0] begins none, and passes as it is. */
int decode(const unsigned char *p, size_t n, char32_t *c)
{
    const unsigned lead = p[0];
    if (lead < 0x80) {
        *c = lead;
        return 1;
    }
    int length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;    // no overlong form
        high = lead == 0xED ? 0x9F : high;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;    // no overlong form
        high = lead == 0xF4 ? 0x8F : high;  // nothing past U+10FFFF
    } else {
        return -1;
    }
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
    if (c < 0x80)
        return 1;
    if (c < 0x800)
        return 2;
    return c < 0x10000 ? 3 : 4;
}

int encode(char32_t c, unsigned char *out)
{
    const int length = encoded_length(c);
    if (length == 1) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    for (int i = length - 1; i > 0; --i, c >>= 6)
        out[i] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    out[0] = static_cast<unsigned char>((0xF00U >> length) | c);
    return length;
}

/* What a character is to a word of the scripts with final forms. */
enum Part : unsigned char { other, hebrew_letter, greek_letter, mark };

Part part_of(char32_t c)
{
    if (entry(c) & own)
        return other;
    if ((c >= 0x05D0 && c <= 0x05EA) || (c >= 0x05EF && c <= 0x05F2))
        return hebrew_letter;
    if ((c >= 0x0370 && c <= 0x03FF && !std::strchr("\x74\x75\x7E\x84\x85\x87", static_cast<int>(c & 0xFF))) ||
        (c >= 0x1F00 && c <= 0x1FFF))
        return greek_letter;
    // Combining accents, and the Hebrew points and cantillation marks,
    // less the punctuation among them (maqaf, paseq, sof pasuq, nun
    // hafukha).
    if ((c >= 0x0300 && c <= 0x036F) ||
        (c >= 0x0591 && c <= 0x05C7 && c != 0x05BE && c != 0x05C0 && c != 0x05C3 && c != 0x05C6))
        return mark;
    return other;
}

/* What the text so far ended with, marks aside: the end of a word, or a
 * letter of a Hebrew or Greek word. */
Part word = other;

/* Whether a letter that `part` names, followed by p[0, n), ends its word:
 * 1 where the next character that is no mark is no letter of its script,
 * or the text ends; 0 where it is; -1 where that lies past p[n - 1] and the
 * text goes on. Eight marks end a word too. */
int ends_word(const unsigned char *p, size_t n, bool last, Part part)
{
    for (int marks = 0; marks < 8; ++marks) {
        char32_t c = 0;
        const int length = n ? decode(p, n, &c) : 0;
        if (length == 0)
            return last ? 1 : -1;
        if (length < 0)
            return 1;
        const Part next = part_of(c);
        if (next != mark)
            return next != part;
        p += length;
        n -= static_cast<size_t>(length);
    }
    return 1;
}

/* The alphabets that have names: each case in its order; the final forms
 * of the first, each the code point before its letter. */
struct Named {
    const char *name;
    const char *cases[2];
    const char *finals;
};
const Named named[] = {
    {"latin", {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"}, ""},
    {"hebrew", {"אבגדהוזחטיכלמנסעפצקרשת", nullptr}, "ךםןףץ"},
    {"greek", {"αβγδεζηθικλμνξοπρστυφχψω", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"}, "ς"},
};

/* The character at p, of a text that decode() has checked, into *c; returns
 * where the next one starts. */
const unsigned char *take(const unsigned char *p, char32_t *c)
{
    return p + decode(p, 4, c);
}

/* The character before p, in such a text. */
const unsigned char *back(const unsigned char *p)
{
    do
        --p;
    while ((*p & 0xC0) == 0x80);
    return p;
}

/* Marks each character of `list` pending; returns why one cannot be. */
const char *claim(const unsigned char *list)
{
    for (const unsigned char *p = list; *p;) {
        char32_t c = 0;
        p = take(p, &c);
        const uint32_t found = entry(c);
        if (found & pending)
            return "a character stands in it twice";
        if (found)
            return "a character of it stands in another alphabet too";
        if (!set_entry(c, pending))
            return "it reaches into too many blocks of Unicode";
    }
    return nullptr;
}

/* Clears what claim() marked pending in `list`. */
void withdraw(const unsigned char *list)
{
    for (const unsigned char *p = list; *p;) {
        char32_t c = 0;
        p = take(p, &c);
        if (entry(c) & pending)
            set_entry(c, 0);
    }
}

/* The entry of a character whose mirror is `mirror`: has_final where one of
 * `finals` is the mirror's final form. */
uint32_t entry_for(char32_t mirror, const unsigned char *finals, uint32_t flags)
{
    for (const unsigned char *p = finals; *p;) {
        char32_t final = 0;
        p = take(p, &final);
        if (final + 1 == mirror)
            flags |= has_final;
    }
    return mirror | flags;
}

/* Adds the alphabet `text`, UTF-8 that decode() has checked, whose final
 * forms, each the character before its letter, are `finals`; `flags` marks
 * its entries. */
const char *add(const unsigned char *text, const unsigned char *finals, uint32_t flags)
{
    const char *why = claim(text);
    why = why ? why : claim(finals);
    if (why) {
        withdraw(text);
        withdraw(finals);
        return why;
    }
    // The first with the last, and so on inwards.
    const unsigned char *first = text;
    const unsigned char *last = text + std::strlen(reinterpret_cast<const char *>(text));
    while (first < last) {
        last = back(last);
        char32_t one = 0;
        char32_t other_end = 0;
        const unsigned char *next = take(first, &one);
        take(last, &other_end);
        lengths_kept = lengths_kept && next - first == encoded_length(other_end);
        set_entry(one, entry_for(other_end, finals, flags));
        set_entry(other_end, entry_for(one, finals, flags));
        first = next;
    }
    // A final form is read as its letter.
    for (const unsigned char *p = finals; *p;) {
        char32_t final = 0;
        p = take(p, &final);
        set_entry(final, entry(final + 1));
    }
    return nullptr;
}

/* The characters of one and of two bytes, which make most texts, by their
 * first two bytes read as one little-endian number (whatever follows a
 * character of one byte), so that the loop takes them without decoding and
 * without a branch on what they are: the image's two bytes as they are
 * written (the second past an image of one byte is written over next), the
 * length less one, the part that the character plays in a word, and
 * whether the image has a final form for a word's end, the code point
 * before it, one less in the second byte. `slow` for any other start, and
 * for a character whose image has another length. */
const uint32_t image_bits = 0xFFFF;
const uint32_t second_byte = 1U << 16;
const int part_shift = 17;
const uint32_t slow = 1U << 20;
const uint32_t with_final = 1U << 21;
/* After a letter with a final form, this character leaves its form open
 * here: it is slow, or a mark. */
const uint32_t unsure = 1U << 22;
uint32_t starts[0x10000];

uint32_t start_of(const unsigned char *bytes)
{
    char32_t c = 0;
    const int length = decode(bytes, 2, &c);
    if (length <= 0)
        return slow | unsure;
    const uint32_t found = entry(c);
    const char32_t mirror = found ? found & code_bits : c;
    unsigned char image[4] = {};
    // A final form one less in the second byte alone.
    const bool same_length = encode(mirror, image) == length && (!(found & has_final) || (mirror & 0x3F) != 0);
    const Part part = part_of(c);
    return (same_length ? 0 : slow | unsure) | (part == mark ? unsure : 0) |
           ((found & has_final) != 0 ? with_final : 0) | (static_cast<uint32_t>(part) << part_shift) |
           (length == 2 ? second_byte : 0) | (static_cast<uint32_t>(image[1]) << 8) | image[0];
}

void shorten_all()
{
    for (unsigned pair = 0; pair < 0x10000; ++pair) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(pair), static_cast<unsigned char>(pair >> 8)};
        starts[pair] = start_of(bytes);
    }
}

/* Adds the alphabet that `name` names, or of the characters that it holds. */
const char *add_named_or_own(const char *name)
{
    const auto *text = reinterpret_cast<const unsigned char *>(name);
    if (std::strspn(name, "abcdefghijklmnopqrstuvwxyz") == std::strlen(name) && *name) {
        for (const Named &alphabet : named) {
            if (std::strcmp(name, alphabet.name) != 0)
                continue;
            const auto *finals = reinterpret_cast<const unsigned char *>(alphabet.finals);
            for (const char *letters : alphabet.cases) {
                const char *why = letters ? add(reinterpret_cast<const unsigned char *>(letters), finals, 0) : nullptr;
                if (why)
                    return why;
                finals = reinterpret_cast<const unsigned char *>("");
            }
            return nullptr;
        }
        return "no alphabet has that name (latin, hebrew, greek)";
    }
    size_t count = 0;
    for (const unsigned char *p = text; *p; ++count) {
        char32_t c = 0;
        const int length = decode(p, 4, &c);
        if (length <= 0)
            return "it is not UTF-8";
        p += length;
    }
    if (count < 2)
        return "an alphabet needs two characters at least";
    return add(text, reinterpret_cast<const unsigned char *>(""), own);
}

}  // namespace

const char *alphabet_add(const char *name)
{
    const char *why = add_named_or_own(name);
    shorten_all();
    return why;
}

bool alphabet_keeps_lengths()
{
    return lengths_kept;
}

namespace {

/* The two bytes at p as one little-endian number: one load on x86. */
inline unsigned pair_at(const unsigned char *p)
{
    return p[0] | (p[1] << 8);
}

/* Where a run of the text stands: its next byte to read and to write, and
 * what the run so far ended with, marks aside. */
struct Run {
    size_t in;
    size_t out;
    Part word;
    uint32_t start;  // what starts[] holds for the character at `in`
};

/* Looks up run.start, where two bytes are there to look at. */
void look(const unsigned char *in, size_t size, Run &run)
{
    run.start = run.in + 2 <= size ? starts[pair_at(in + run.in)] : slow;
}

/* Takes the character at in[i] where it is of one or two bytes, its image
 * as long, and the character after it within the 4 bytes that must be there
 * and no mark: writes its image at `to`, moves `word` and `start` (what
 * starts[] holds for it) on, and returns its length; 0, having taken
 * nothing, where it is not so. */
inline size_t take_short(const unsigned char *in, size_t i, unsigned char *to, Part &word, uint32_t &start)
{
    const uint32_t here = start;
    const size_t length = 1 + ((here & second_byte) >> 16);
    const uint32_t next_start = starts[pair_at(in + i + length)];
    const auto part = static_cast<Part>((here >> part_shift) & 7);
    const auto next = static_cast<Part>((next_start >> part_shift) & 7);
    // A final form hangs on what follows, not known here after a mark or
    // a longer character. A branch, not arithmetic, so that the common
    // character's image waits on nothing that follows it.
    if ((here & slow) || ((here & with_final) && (next_start & unsure)))
        return 0;
    const bool final = ((here & with_final) != 0) & (next != part) & (word == part);
    const unsigned image = (here & image_bits) - (final ? 0x100 : 0);
    const unsigned char bytes[2] = {static_cast<unsigned char>(image), static_cast<unsigned char>(image >> 8)};
    std::memcpy(to, bytes, 2);
    word = part == mark ? word : part;
    start = next_start;
    return length;
}

/* Takes the character at run.in, decoded, or a byte that begins none;
 * returns false, having taken nothing, where what follows in[size - 1]
 * decides it and the text goes on. */
bool decode_one(const unsigned char *in, size_t size, bool last, unsigned char *out, Run &run)
{
    const size_t i = run.in;
    char32_t c = 0;
    const int length = decode(in + i, size - i, &c);
    if (length == 0 && !last)
        return false;
    if (length <= 0) {
        out[run.out++] = in[run.in++];
        run.word = other;
        return true;
    }
    const uint32_t found = entry(c);
    const Part part = part_of(c);
    if (!found) {
        std::memcpy(out + run.out, in + i, static_cast<size_t>(length));
        run.out += static_cast<size_t>(length);
    } else {
        char32_t mirror = found & code_bits;
        if (found & has_final) {
            const size_t next = i + static_cast<size_t>(length);
            const int ends = ends_word(in + next, size - next, last, part);
            if (ends < 0)
                return false;
            if (ends && run.word == part)
                --mirror;
        }
        run.out += static_cast<size_t>(encode(mirror, out + run.out));
    }
    run.in += static_cast<size_t>(length);
    run.word = part == mark ? run.word : part;
    return true;
}

/* The same, and looks up what starts after it. */
bool take_decoded(const unsigned char *in, size_t size, bool last, unsigned char *out, Run &run)
{
    if (!decode_one(in, size, last, out, run))
        return false;
    look(in, size, run);
    return true;
}

/* Takes the characters of `run` that start before `end`, and returns where
 * it then stands; stops early where what follows in[size - 1] decides one.
 * The last bytes before `end` are decoded, which writes nothing past their
 * image, where the next run's may already stand. Runs pass by value, so
 * that they stay in registers. */
Run take_run(const unsigned char *in, size_t end, size_t size, bool last, unsigned char *out, Run run)
{
    while (run.in < end) {
        for (size_t length = 1; length > 0 && run.in + 4 <= end;) {
            length = take_short(in, run.in, out + run.out, run.word, run.start);
            run.in += length;
            run.out += length;
        }
        if (run.in < end && !take_decoded(in, size, last, out, run))
            break;
    }
    return run;
}

}  // namespace

namespace {

const int run_count = 4;

/* Splits in[0, size) into runs, each but the first begun after an ASCII
 * byte near its share's start (whose word has ended); a run that finds none
 * is empty, and the next goes on from where it would have begun. */
void split(const unsigned char *in, size_t size, Run *runs, size_t *ends)
{
    for (int k = 1; k < run_count; ++k) {
        size_t at = size * static_cast<size_t>(k) / run_count;
        const size_t limit = at + 256 < size ? at + 256 : size;
        while (at < limit && in[at] >= 0x80)
            ++at;
        const bool found = at < limit && at >= runs[k - 1].in;
        at = found ? at + 1 : runs[k - 1].in;
        ends[k - 1] = at;
        runs[k] = {at, at, found ? other : runs[k - 1].word, slow};
    }
    ends[run_count - 1] = size;
    for (int k = 0; k < run_count; ++k)
        look(in, size, runs[k]);
}

/* Takes the runs side by side, where each writes where it reads, in steps
 * of four bytes at most, as many as every run has room for (alphabet_held
 * bytes kept to its end), without a check between them. The steps of one
 * run wait on each other, not on the other runs'; three numbers a run stay
 * in registers. */
void side_by_side(const unsigned char *in, size_t size, bool last, unsigned char *out, Run *runs, const size_t *ends)
{
    for (;;) {
        size_t steps = size;
        for (int k = 0; k < run_count; ++k) {
            const size_t room = runs[k].in + alphabet_held <= ends[k] ? ends[k] - runs[k].in - alphabet_held : 0;
            steps = room / 4 < steps ? room / 4 : steps;
        }
        if (steps == 0)
            return;
        size_t at[run_count];
        Part words[run_count];
        uint32_t next[run_count];
        for (int k = 0; k < run_count; ++k) {
            at[k] = runs[k].in;
            words[k] = runs[k].word;
            next[k] = runs[k].start;
        }
        for (; steps > 0; --steps) {
            for (int k = 0; k < run_count; ++k) {
                const size_t length = take_short(in, at[k], out + at[k], words[k], next[k]);
                if (length > 0) {
                    at[k] += length;
                    continue;
                }
                const Run run = take_run(in, at[k] + 1, size, last, out, {at[k], at[k], words[k], next[k]});
                at[k] = run.in;
                words[k] = run.word;
                next[k] = run.start;
            }
        }
        for (int k = 0; k < run_count; ++k)
            runs[k] = {at[k], at[k], words[k], next[k]};
    }
}

}  // namespace

size_t alphabet_mirror(const char *text, size_t size, bool last, char *image, size_t *written)
{
    const auto *in = reinterpret_cast<const unsigned char *>(text);
    auto *out = reinterpret_cast<unsigned char *>(image);
    // Where every image is as long as its character, four runs of the text
    // go side by side; else one takes it all.
    Run runs[run_count] = {{0, 0, word, slow}};
    size_t ends[run_count] = {size};
    int count = 1;
    if (lengths_kept) {
        count = run_count;
        split(in, size, runs, ends);
        side_by_side(in, size, last, out, runs, ends);
    }
    for (int k = 0; k < count; ++k)
        runs[k] = take_run(in, ends[k], size, last, out, runs[k]);
    const Run &end = runs[count - 1];
    word = last ? other : end.word;
    *written = end.out;
    return end.in;
}
