#include "atbash.h"

void atbash(char *text, int length)
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
