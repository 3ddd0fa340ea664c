#include "atbash.h"

void atbash(char *text, int length)
{
    /* No branch and no conditional store on the byte, so that the loop
     * vectorizes: every byte is rewritten, letters with their mirror image,
     * everything else with itself. */
    for (int i = 0; i < length; ++i) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        unsigned char folded = b | 0x20;                   /* 'A'..'Z' -> 'a'..'z' */
        bool letter = static_cast<unsigned char>(folded - 'a') < 26;
        /* 'Z' + 'A' = 155 for capitals, 'z' + 'a' = 219 for small letters. */
        unsigned char mirror = static_cast<unsigned char>(155 + ((b & 0x20) << 1) - b);
        text[i] = static_cast<char>(letter ? mirror : b);
    }
}
