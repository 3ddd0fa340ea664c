// Every resource that the dialog program carries, byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resource.h"
#include "helpers.h"

namespace {

std::string program_path;
std::string icon_path;

using Bytes = std::vector<uint8_t>;

Bytes read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Hex dumps, so that a mismatch shows where the bytes differ.
std::string hex(const Bytes &bytes)
{
    std::string out;
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        (void)std::snprintf(byte, sizeof byte, "%02x", bytes[i]);
        out += byte;
        out += i % 16 == 15 ? '\n' : ' ';
    }
    return out;
}

// Little-endian template writer.
struct Writer {
    Bytes bytes;
    void word(unsigned v)
    {
        bytes.push_back(v & 0xff);
        bytes.push_back((v >> 8) & 0xff);
    }
    void dword(uint32_t v)
    {
        word(v & 0xffff);
        word(v >> 16);
    }
    void text(const char *s)
    {
        do
            word(static_cast<unsigned char>(*s));
        while (*s++);
    }
    void align()
    {
        while (bytes.size() % 4)
            bytes.push_back(0);
    }
};

struct Control {
    uint32_t style;
    int x, y, cx, cy;
    unsigned id;
    unsigned class_atom;  // 0x80 button, 0x81 edit
    const char *text;
};

Bytes expected_dialog()
{
    const Control controls[] = {
        {0x50A10004, 6, 7, 125, 120, IDC_INPUT, 0x81, ""},
        {0x50A10804, 188, 7, 125, 120, IDC_OUTPUT, 0x81, ""},
        {0x50010001, 132, 47, 55, 14, IDC_ABOUT, 0x80, "About"},
        {0x50010000, 131, 70, 55, 14, IDC_QUIT, 0x80, "Beenden"},
    };
    Writer w;
    w.dword(0x80C800C0);  // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    w.dword(0);           // extended style
    w.word(4);            // controls
    w.word(0);
    w.word(0);
    w.word(320);
    w.word(135);
    w.word(0);  // no menu
    w.word(0);  // the default dialog class
    w.text("Quindarelvoxen by Torvangrel");
    w.word(8);
    w.text("MS Sans Serif");
    for (const Control &c : controls) {
        w.align();
        w.dword(c.style);
        w.dword(0);
        w.word(c.x);
        w.word(c.y);
        w.word(c.cx);
        w.word(c.cy);
        w.word(c.id);
        w.word(0xffff);
        w.word(c.class_atom);
        w.text(c.text);
        w.word(0);  // no creation data
    }
    return w.bytes;
}

Bytes expected_group(unsigned image)
{
    Writer w;
    w.word(0);
    w.word(1);  // icons
    w.word(1);  // one image
    w.bytes.insert(w.bytes.end(), {32, 32, 16, 0});
    w.word(1);  // planes
    w.word(4);  // bits per pixel
    w.dword(744);
    w.word(image);
    return w.bytes;
}

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() { module = LoadLibraryExA(program_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE); }
    static void TearDownTestSuite() { FreeLibrary(module); }

    static Bytes resource(LPCSTR type, LPCSTR name)
    {
        HRSRC found = FindResourceExA(module, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!found)
            return {};
        const auto *data = static_cast<const uint8_t *>(LockResource(LoadResource(module, found)));
        return Bytes(data, data + SizeofResource(module, found));
    }

    static HMODULE module;
};
HMODULE Program::module;

std::string name_of(LPCSTR name)
{
    return IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string("\"") + name + "\"";
}

BOOL CALLBACK add_language(HMODULE /*module*/, LPCSTR /*type*/, LPCSTR /*name*/, WORD language, LONG_PTR list)
{
    reinterpret_cast<std::vector<WORD> *>(list)->push_back(language);
    return TRUE;
}

BOOL CALLBACK add_name(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module, type, name, add_language, reinterpret_cast<LONG_PTR>(&languages));
    for (WORD language : languages)
        reinterpret_cast<std::vector<std::string> *>(list)->push_back(name_of(type) + "/" + name_of(name) + "/" +
                                                                      std::to_string(language));
    return TRUE;
}

BOOL CALLBACK add_type(HMODULE module, LPSTR type, LONG_PTR list)
{
    EnumResourceNamesA(module, type, add_name, list);
    return TRUE;
}

TEST_F(Program, CarriesExactlyItsResourcesInAmericanEnglish)
{
    ASSERT_NE(module, nullptr) << program_path;
    std::vector<std::string> found;
    EnumResourceTypesA(module, add_type, reinterpret_cast<LONG_PTR>(&found));
    // Directory order: by type; within a type, names before numbers.
    const std::vector<std::string> expected = {
        "3/1/1033",
        "3/2/1033",
        "5/103/1033",
        "14/\"A\"/1033",
        "14/102/1033",
    };
    EXPECT_EQ(found, expected);
}

TEST_F(Program, DialogTemplateIsExact)
{
    ASSERT_NE(module, nullptr) << program_path;
    EXPECT_EQ(hex(resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN))), hex(expected_dialog()));
}

TEST_F(Program, IconGroupsShareOneImage)
{
    ASSERT_NE(module, nullptr) << program_path;
    EXPECT_EQ(hex(resource(RT_GROUP_ICON, "A")), hex(expected_group(2)));
    EXPECT_EQ(hex(resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_MAIN))), hex(expected_group(1)));

    // Both images are the committed icon's one image.
    Bytes ico = read_file(icon_path);
    ASSERT_EQ(ico.size(), 6U + 16U + 744U) << icon_path;
    Bytes image(ico.begin() + 22, ico.end());
    EXPECT_EQ(resource(RT_ICON, MAKEINTRESOURCEA(1)), image);
    EXPECT_EQ(resource(RT_ICON, MAKEINTRESOURCEA(2)), image);
}

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        (void)std::fprintf(stderr, "usage: resources_test PROGRAM.exe ICON.ico\n");
        return 2;
    }
    program_path = windows_path(argv[1]);
    icon_path = windows_path(argv[2]);
    return RUN_ALL_TESTS();
}
