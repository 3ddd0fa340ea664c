#ifndef QUINDARELVOXEN_ATBASH_H
#define QUINDARELVOXEN_ATBASH_H

/* Mirrors every ASCII letter among the first `length` bytes of `text` in
 * place (A<->Z, B<->Y, ..., a<->z); every other byte is left as it is.
 * Applying it twice gives back the original text. */
void atbash(char *text, int length);

#endif
