#ifndef QUINDARELVOXEN_ALPHABETS_H
#define QUINDARELVOXEN_ALPHABETS_H

#include <cstddef>

/* Atbash over alphabets of any script, in UTF-8: the characters of each
 * alphabet mirrored within it, the first with the last and so on; every
 * other character, and every byte of a malformed or cut-off sequence, as it
 * is. The final forms of Hebrew (ך ם ן ף ץ) and of Greek (ς) are read as
 * their letters, and a letter that has one is written in it where it ends a
 * word of two letters or more, as the script is spelled: בבל and ששך are
 * each other's images. A word goes on through points and accents, through
 * Hebrew's geresh and gershayim (׳ ״, or ' and ") between two of its
 * letters, and through Greek's apostrophe of elision (σ' stays σ). Twice
 * gives back any text so spelled, byte for byte. */

/* Adds an alphabet: `latin` (A-Z and a-z, each case within itself),
 * `hebrew` (the 22 letters), `greek` (the 24 letters, each case within
 * itself), in any case; or, where the text given is not made of ASCII
 * letters alone, the alphabet of its own characters. An alphabet given
 * again is taken once. Returns nullptr, or why the alphabet cannot be
 * added, as a line's text. */
const char *alphabet_add(const char *name);

/* Whether the alphabets added are Latin's alone, so that atbash() gives
 * the same image. */
bool alphabet_is_latin();

/* Whether every character of the alphabets added mirrors to one as long in
 * UTF-8, so that a text's image is exactly as long as the text. */
bool alphabet_keeps_lengths();

/* Where a text stands after the part of it mirrored so far: a value that
 * its caller holds, zeroed for each new text (each FILE). */
struct alphabet_stream {
    unsigned char word;    // the script of the word that it ends in, if any
    unsigned char joined;  // a geresh or gershayim follows the word's last letter
    unsigned short marks;  // points and accents since that letter
};

/* Writes the image of the UTF-8 text[0, size) into `image`, which has room
 * for 4 * size bytes (a character may mirror to a longer one), sets
 * `*written` to the bytes written, and returns how many bytes of `text` it
 * took. Unless `last`, it leaves at most `alphabet_held` bytes at the end,
 * to be given again before what follows: a sequence that the end cuts off,
 * or a letter whose form depends on what follows it. `last` ends the text. */
size_t alphabet_mirror(alphabet_stream *stream, const char *text, size_t size, bool last, char *image, size_t *written);

/* A letter followed by more points and accents than this ends its word
 * there; a letter waits for what follows its marks within alphabet_held. */
constexpr unsigned alphabet_most_marks = 1000;
constexpr size_t alphabet_held = 4096;

/* The ways that alphabet_mirror can take, each giving the same image: the
 * portable one, a character at a time, which every build has; and on
 * x86-64 Linux one with AVX-512 VBMI, which takes most texts 64 bytes at a
 * time, and which alphabet_mirror takes where the processor runs it. The tests
 * and the fuzzer run each against the others. */
struct alphabet_way {
    const char *name;
    size_t (*mirror)(alphabet_stream *stream, const char *text, size_t size, bool last, char *image, size_t *written);
    bool (*runs_here)();
};
extern const alphabet_way alphabet_ways[];
extern const int alphabet_way_count;

#endif
