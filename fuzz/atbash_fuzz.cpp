// libFuzzer target for the cipher core: the output is as long as the input,
// exactly the letters change, each to its mirror, and a second pass gives
// the input back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "atbash.h"

namespace {

int mirror_of(unsigned char b)
{
    if (b >= 'A' && b <= 'Z')
        return 'A' + 'Z' - b;
    if (b >= 'a' && b <= 'z')
        return 'a' + 'z' - b;
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size copy: AddressSanitizer catches any access past the count.
    std::vector<char> text(data, data + size);
    atbash(text.data(), static_cast<int>(size));
    if (text.size() != size)
        std::abort();
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(text[i]) != mirror_of(data[i]))
            std::abort();
    atbash(text.data(), static_cast<int>(size));
    if (size && std::memcmp(text.data(), data, size) != 0)
        std::abort();
    return 0;
}
