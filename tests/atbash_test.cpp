#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <iostream>
#include <string>

#include "helpers.h"

namespace {

// Every case runs through atbash itself (-1) and each loop behind it; a loop this processor lacks is skipped, named.
class Way : public testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        if (GetParam() >= 0 && !atbash_loops[GetParam()].runs_here())
            GTEST_SKIP() << atbash_loops[GetParam()].name << " needs an instruction set that this processor lacks";
    }
    static void loop(char *text, int length) { (GetParam() < 0 ? atbash : atbash_loops[GetParam()].run)(text, length); }
};
INSTANTIATE_TEST_SUITE_P(Atbash, Way, testing::Range(-1, atbash_loop_count), [](const auto &way) {
    return std::string(way.param < 0 ? "atbash" : atbash_loops[way.param].name);
});

// Mirrored before main: the files' static initialisers run in an order of the linker's, and this one may run first.
const std::string before_main = mirrored("Hello, World!");

TEST(Atbash, WorksFromAStaticInitialiser)
{
    EXPECT_EQ(before_main, "Svool, Dliow!");
}

TEST_P(Way, ACountNearIntMax)
{
    // INT_MAX bytes of address space, where a wide loop's step past the count would overflow: a 2 MiB file mapped
    // 1,024 times over. Each of its bytes is mirrored once a mapping, its last once less: the count ends one short.
    const size_t file_size = 2 << 20;
    const size_t span = size_t(INT_MAX) + 1;
    int file = memfd_create("near-int-max", 0);
    ASSERT_GE(file, 0);
    ASSERT_EQ(ftruncate(file, file_size), 0);
    void *reserved = mmap(nullptr, span, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(reserved, MAP_FAILED);
    auto *area = static_cast<char *>(reserved);
    for (size_t at = 0; at < span; at += file_size)
        ASSERT_NE(mmap(area + at, file_size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, file, 0), MAP_FAILED);
    area[0] = 'a';
    area[file_size - 1] = 'a';
    loop(area, INT_MAX);
    EXPECT_EQ(area[0], 'a');
    EXPECT_EQ(area[file_size - 1], 'z');
    munmap(reserved, span);
    close(file);
}

struct Case {
    const char *name;
    std::string input;
    std::string expected;
};

TEST_P(Way, MirrorsLettersAndKeepsEverythingElse)
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
        {"longer than any loop's step",
         "The quick brown fox jumps over the lazy dog; THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG.",
         "Gsv jfrxp yildm ulc qfnkh levi gsv ozab wlt; GSV JFRXP YILDM ULC QFNKH LEVI GSV OZAB WLT."},
    };
    for (const Case &c : cases)
        EXPECT_EQ(mirrored(c.input, loop), c.expected) << c.name;
}

TEST_P(Way, EveryByteValue)
{
    // All 256 values, twice, so that each lands in a wide loop's full step too.
    std::string all;
    for (int b = 0; b < 512; ++b)
        all += static_cast<char>(b % 256);
    std::string text = mirrored(all, loop);
    for (int i = 0; i < 512; ++i)
        EXPECT_EQ(static_cast<unsigned char>(text[i]), mirror_of(i % 256)) << "byte " << i % 256;
}

TEST_P(Way, TwiceGivesBackTheInput)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string text = all + "The quick brown fox jumps over the lazy dog.\r\n" + all;
    EXPECT_EQ(mirrored(mirrored(text, loop), loop), text);
    EXPECT_NE(mirrored(text, loop), text);
}

TEST_P(Way, TouchesExactlyTheCountedBytes)
{
    const struct {
        int length;
        const char *expected;
    } cases[] = {{-5, "abcdef"}, {0, "abcdef"}, {1, "zbcdef"}, {3, "zyxdef"}, {6, "zyxwvu"}};
    for (const auto &c : cases) {
        // The text fills an exactly sized allocation, so AddressSanitizer reports any access past `length`.
        size_t used = c.length > 0 ? static_cast<size_t>(c.length) : 0;
        char *text = new char[used ? used : 1];
        std::memcpy(text, "abcdef", used);
        loop(text, c.length);
        EXPECT_EQ(std::string(text, used), std::string(c.expected, used)) << "length " << c.length;
        delete[] text;

        char guarded[] = "abcdef";
        loop(guarded, c.length);
        EXPECT_STREQ(guarded, c.expected) << "length " << c.length;
    }
}

TEST_P(Way, EveryLengthAndAlignmentAroundTheWideSteps)
{
    // Letters beside the counted bytes stay; starts and lengths cover each way a 32- or 64-byte step begins and ends.
    std::string source;
    for (int i = 0; i < 300; ++i)
        source += static_cast<char>("Az{@`[ 9\xC1q"[i % 10]);
    for (int start = 0; start < 64; ++start) {
        for (int length = 0; length <= 200; ++length) {
            std::string buffer = source;
            loop(&buffer[start], length);
            std::string expected = source;
            for (int i = start; i < start + length; ++i)
                expected[i] = static_cast<char>(mirror_of(static_cast<unsigned char>(source[i])));
            ASSERT_EQ(buffer, expected) << "start " << start << ", length " << length;
        }
    }
}

// The alphabets (-a), through each of the core's ways: each text's image, the text over and over, so that the
// wide way takes it in windows, cut at every byte (of a long one, every 1/300th) as reads cut it; twice, the text.
TEST(Alphabets, EachWayGivesEachTextsImageCutAnywhere)
{
    // Taken once where given twice, names in any case, images of another length.
    for (const char *alphabet : {"latin", "HEBREW", "Greek", "0123456789", "€😀", "hebrew"})
        // cppcheck-suppress useStlAlgorithm ; each alphabet is named where it fails
        ASSERT_EQ(alphabet_add(alphabet), nullptr) << alphabet;
    std::string points;
    for (int i = 0; i < 1001; ++i)
        points += "ְ";
    const std::string p[] = {points.substr(0, 16), points.substr(0, 400), points.substr(0, 2000), points};
    const Case cases[] = {
        {"Hebrew whole; final forms at a word's end, before a point, before another script; a letter alone",
         "אבגדהוזחטיכלמנסעפצקרשת בבל לְךָ בלְα ל כ",
         "תשרקצפעסנמלכיטחזוהדגבא ששך כְלָ שךְω כ ל"},
        {"geresh and gershayim within a word",
         "תנ״ך רמב״ם או\"ם אזרבייג׳ן סנדוויץ' אינצ'ך יוניצ\"ף \"שלום\"",
         "אט״ל גיש״י תפ\"י תעגשממר׳ט חטקפפמה' תמטה'ל מפטמה\"ו \"בכפי\""},
        {"8, 200, 1,000 points within a word, more end it",
         "בל" + p[0] + "ב בל" + p[1] + "ב בל" + p[2] + "ב בל" + p[3] + "ב",
         "שכ" + p[0] + "ש שכ" + p[1] + "ש שכ" + p[2] + "ש שך" + p[3] + "ש"},
        {"Greek, both cases, final sigma, ano teleia, elision", "λόγος· σ η ΑΒΓ νέη' ωιό", "ξόχκη· η σ ΩΨΧ μέσ' από"},
        {"Latin, digits, three and four bytes", "Az 19 €😀", "Za 80 😀€"},
        {"malformed, overlong and cut off",
         "\xd7 \xc0\x80 x\xe0\x81\x81! \xed\xa0\x80 \xf4\x90\x80\x80 \x90 \xff \xce\xb1\xd7",
         "\xd7 \xc0\x80 c\xe0\x81\x81! \xed\xa0\x80 \xf4\x90\x80\x80 \x90 \xff ω\xd7"},
    };
    for (const Case &c : cases) {
        Case many = c;
        while (many.input.size() < 300)
            many = {c.name, many.input + " " + c.input, many.expected + " " + c.expected};
        for (const alphabet_way &way : std::vector<alphabet_way>(alphabet_ways, alphabet_ways + alphabet_way_count)) {
            if (!way.runs_here()) {
                std::cout << way.name << ": not tried, this processor lacks its instructions\n";
                continue;
            }
            for (size_t cut = 0; cut <= many.input.size(); cut += 1 + many.input.size() / 300)
                ASSERT_EQ(alphabet_image(many.input, cut, way), many.expected)
                    << c.name << ", " << way.name << ", cut at " << cut;
            EXPECT_EQ(alphabet_image(many.expected, many.input.size() / 2, way), many.input)
                << c.name << ", " << way.name << ", twice";
        }
    }
}

}  // namespace
