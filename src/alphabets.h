#ifndef QUINDARELVOXEN_ALPHABETS_H
#define QUINDARELVOXEN_ALPHABETS_H

#include <cstddef>

/* Atbash over alphabets of any script, in UTF-8: the characters of each
 * alphabet mirrored within it, the first with the last and so on; every
 * other character, and every byte of a malformed or cut-off sequence, as it
 * is. The final forms of Hebrew (ך ם ן ף ץ) and of Greek (ς) are read as
 * their letters, and a letter that has one is written in it where it ends a
 * word of two letters or more, as the script is spelled: בבל and ששך are
 * each other's images. Twice gives back any text so spelled, byte for byte,
 * and every text whatever in alphabets without final forms. */

/* Adds an alphabet: `latin` (A-Z and a-z, each case within itself),
 * `hebrew` (the 22 letters), `greek` (the 24 letters, each case within
 * itself), or, where the text given is not made of the small ASCII letters
 * alone, the alphabet of its own characters. Returns nullptr, or why the
 * alphabet cannot be added, as a line's text. */
const char *alphabet_add(const char *name);

/* Whether every character of the alphabets added mirrors to one as long in
 * UTF-8, so that a text's image is exactly as long as the text. */
bool alphabet_keeps_lengths();

/* Writes the image of the UTF-8 text[0, size) into `image`, which has room
 * for 4 * size bytes (a character may mirror to a longer one), sets
 * `*written` to the bytes written, and returns how many bytes of `text` it
 * took. Unless `last`, it leaves at most `alphabet_held` bytes at the end,
 * to be given again before what follows: a sequence that the end cuts off,
 * or a letter whose form depends on what follows it. `last` ends the text. */
size_t alphabet_mirror(const char *text, size_t size, bool last, char *image, size_t *written);

constexpr size_t alphabet_held = 64;

#endif
