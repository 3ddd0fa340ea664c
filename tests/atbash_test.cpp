#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "atbash.h"

namespace {

// cppcheck-suppress passedByValue ; the copy is what gets mirrored and returned
std::string mirrored(std::string text)
{
    atbash(text.data(), static_cast<int>(text.size()));
    return text;
}

struct Case {
    const char *name;
    std::string input;
    std::string expected;
};

TEST(Atbash, MirrorsLettersAndKeepsEverythingElse)
{
    const Case cases[] = {
        {"empty", "", ""},
        {"greeting", "Hello, World!", "Svool, Dliow!"},
        {"small letters", "abc", "zyx"},
        {"capitals", "ABC", "ZYX"},
        {"middle of the alphabet", "Mn", "Nm"},
        {"digits stay", "Zebra 42", "Avyiz 42"},
        {"line breaks and tabs stay", "ab\r\ncd\tef\n", "zy\r\nxw\tvu\n"},
        {"punctuation stays", "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"},
        {"ANSI accented letters stay", "\xC4pfel \xFC\x62\x65r Stra\xDF\x65", "\xC4kuvo \xFCyvi Hgiz\xDFv"},
        {"NUL inside the count is passed over", std::string("ab\0yz", 5), std::string("zy\0ba", 5)},
        {"double-byte trail bytes are mirrored like letters", "\x82\x61\x88\x9f", "\x82\x7a\x88\x9f"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mirrored(c.input), c.expected) << c.name;
}

TEST(Atbash, EveryByteValue)
{
    for (int b = 0; b < 256; ++b) {
        char text[1] = {static_cast<char>(b)};
        atbash(text, 1);
        int want = b;
        if (b >= 'A' && b <= 'Z')
            want = 'Z' - (b - 'A');
        else if (b >= 'a' && b <= 'z')
            want = 'z' - (b - 'a');
        EXPECT_EQ(static_cast<unsigned char>(text[0]), want) << "byte " << b;
    }
}

TEST(Atbash, TwiceGivesBackTheInput)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string text = all + "The quick brown fox jumps over the lazy dog.\r\n" + all;
    EXPECT_EQ(mirrored(mirrored(text)), text);
    EXPECT_NE(mirrored(text), text);
}

TEST(Atbash, TouchesExactlyTheCountedBytes)
{
    const struct {
        int length;
        const char *expected;
    } cases[] = {
        {-5, "abcdef"},
        {0, "abcdef"},
        {1, "zbcdef"},
        {3, "zyxdef"},
        {6, "zyxwvu"},
    };
    for (const auto &c : cases) {
        // The text sits at the end of an exactly sized allocation, so
        // AddressSanitizer reports any access past `length`.
        size_t used = c.length > 0 ? static_cast<size_t>(c.length) : 0;
        char *text = new char[used ? used : 1];
        std::memcpy(text, "abcdef", used);
        atbash(text, c.length);
        EXPECT_EQ(std::string(text, used), std::string(c.expected, used)) << "length " << c.length;
        delete[] text;

        char guarded[] = "abcdef";
        atbash(guarded, c.length);
        EXPECT_STREQ(guarded, c.expected) << "length " << c.length;
    }
}

}  // namespace
