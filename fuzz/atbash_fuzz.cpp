// libFuzzer target for the cipher core, and each of the loops behind it:
// exactly the letters change, each to its mirror, nothing outside the count
// is touched, and a second pass gives the input back. And the same input as
// UTF-8 through the alphabets (-a), by each of their ways: cut anywhere, with
// the rest given later, as a read cuts it, each way gives the portable way's
// image, as long as the input; the image comes back from its own image, and
// so does the input where no final form is written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "helpers.h"

namespace {

// Runs the checks on `loop`.
void check(void (*loop)(char *, int), const uint8_t *data, size_t size)
{
    // The text ends where its allocation ends, so that AddressSanitizer
    // catches any access past the count, and starts 0 to 63 bytes in, as the
    // input's first byte says, after letters that must stay as they are: so
    // every alignment of a wide loop's first and last steps is tried.
    const size_t offset = size ? data[0] % 64 : 0;
    std::vector<char> buffer(offset + size, 'M');
    char *text = buffer.data() + offset;
    if (size)
        std::memcpy(text, data, size);
    loop(text, static_cast<int>(size));
    for (size_t i = 0; i < offset; ++i)
        if (buffer[i] != 'M')
            std::abort();
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(text[i]) != mirror_of(data[i]))
            std::abort();
    loop(text, static_cast<int>(size));
    if (size && std::memcmp(text, data, size) != 0)
        std::abort();
}

// Whether a final form of Hebrew or Greek, each of two bytes, stands in
// `text`.
bool final_form_in(const std::string &text)
{
    const char *const finals[] = {"ך", "ם", "ן", "ף", "ץ", "ς"};
    return std::any_of(std::begin(finals), std::end(finals), [&text](const char *final) {
        return text.find(final) != std::string::npos;
    });
}

// The input as UTF-8 through each way of the alphabets that this processor
// runs, cut at two places that the input chooses: each gives the portable
// way's image, as long as the input. The image is spelled as the rule
// spells, so twice gives it back; and where no final form stands in the
// three texts, twice gives the input too.
void check_alphabets(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string once = alphabet_image(text, size, alphabet_ways[0]);
    for (int i = 0; i < alphabet_way_count; ++i)
        if (alphabet_ways[i].runs_here() &&
            (alphabet_image(text, size ? data[0] % (size + 1) : 0, alphabet_ways[i]) != once ||
             alphabet_image(text, size ? data[size - 1] % (size + 1) : 0, alphabet_ways[i]) != once))
            std::abort();
    const std::string twice = alphabet_image(once, size / 2, alphabet_ways[0]);
    if (once.size() != size || alphabet_image(twice, twice.size() / 3, alphabet_ways[0]) != once ||
        (!final_form_in(text + once + twice) && twice != text))
        std::abort();
}

}  // namespace

// Says, once, which loops are fuzzed here and which this processor cannot run.
extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
    for (int i = 0; i < atbash_loop_count; ++i)
        (void)std::fprintf(stderr,
                           "atbash_fuzz: %s %s\n",
                           atbash_loops[i].name,
                           atbash_loops[i].runs_here() ? "fuzzed"
                                                       : "not fuzzed: this processor lacks its instructions");
    // Alphabets of every kind at once, each image as long as its character.
    for (const char *alphabet : {"latin", "hebrew", "greek", "0123456789", "¡¿", "€₿"})
        if (alphabet_add(alphabet))
            std::abort();
    for (int i = 0; i < alphabet_way_count; ++i)
        (void)std::fprintf(stderr,
                           "atbash_fuzz: alphabets' way %s %s\n",
                           alphabet_ways[i].name,
                           alphabet_ways[i].runs_here() ? "fuzzed against the portable one"
                                                        : "not fuzzed: this processor lacks its instructions");
    return 0;
}

// atbash itself, and every loop behind it that this processor runs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check(atbash, data, size);
    for (int i = 0; i < atbash_loop_count; ++i)
        if (atbash_loops[i].runs_here())
            check(atbash_loops[i].run, data, size);
    check_alphabets(data, size);
    return 0;
}
