#ifndef QUINDARELVOXEN_ATBASH_H
#define QUINDARELVOXEN_ATBASH_H

/* Mirrors every ASCII letter among the first `length` bytes of `text` in
 * place (A<->Z, B<->Y, ..., a<->z); every other byte is left as it is.
 * Applying it twice gives back the original text. */
void atbash(char *text, int length);

/* The loops that atbash can take, each doing all that it does: the portable
 * one, which every build has, and on x86-64 Linux wider ones, of which
 * atbash takes the widest that this processor runs. `runs_here` tells
 * whether the processor has what the loop needs. The tests, the fuzzer and
 * the benchmark try each one that runs. */
struct atbash_loop {
    const char *name;
    void (*run)(char *text, int length);
    bool (*runs_here)();
};
extern const atbash_loop atbash_loops[];
extern const int atbash_loop_count;

#endif
