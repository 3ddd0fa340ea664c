// Every resource that the dialog program carries, byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "resource.h"
#include "helpers.h"

namespace {

HMODULE module;
std::string icon_path;

using Bytes = std::vector<uint8_t>;

// Hex dumps, so that a mismatch shows where the bytes differ.
std::string hex(const Bytes &bytes)
{
    std::string out;
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        (void)std::snprintf(byte, sizeof byte, "%02x%c", bytes[i], i % 16 == 15 ? '\n' : ' ');
        out += byte;
    }
    return out;
}

// Little-endian template writer.
struct Writer {
    Bytes bytes;
    void words(std::initializer_list<unsigned> values)
    {
        for (unsigned v : values)
            bytes.insert(bytes.end(), {uint8_t(v & 0xff), uint8_t(v >> 8)});
    }
    void dword(uint32_t v) { words({v & 0xffff, v >> 16}); }
    void text(const char *s)
    {
        do
            words({static_cast<unsigned char>(*s)});
        while (*s++);
    }
    void align() { bytes.resize((bytes.size() + 3) / 4 * 4); }
};

Bytes expected_dialog()
{
    const struct {
        uint32_t style;
        unsigned x, y, cx, cy, id;
        unsigned class_atom;  // 0x80 button, 0x81 edit
        const char *text;
    } controls[] = {
        {0x50A10004, 6, 7, 125, 120, IDC_INPUT, 0x81, ""},
        {0x50A10804, 188, 7, 125, 120, IDC_OUTPUT, 0x81, ""},
        {0x50010001, 132, 47, 55, 14, IDC_ABOUT, 0x80, "About"},
        {0x50010000, 131, 70, 55, 14, IDC_QUIT, 0x80, "Beenden"},
    };
    Writer w;
    w.dword(0x80C800C0);                 // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    w.dword(0);                          // extended style
    w.words({4, 0, 0, 320, 135, 0, 0});  // controls, x, y, cx, cy; no menu, the default dialog class
    w.text("Quindarelvoxen by Torvangrel");
    w.words({8});  // points
    w.text("MS Sans Serif");
    for (const auto &c : controls) {
        w.align();
        w.dword(c.style);
        w.dword(0);                                                   // extended style
        w.words({c.x, c.y, c.cx, c.cy, c.id, 0xffff, c.class_atom});  // 0xffff: a class named by its atom
        w.text(c.text);
        w.words({0});  // no creation data
    }
    return w.bytes;
}

Bytes expected_group(unsigned image)
{
    Writer w;
    w.words({0, 1, 1});                              // reserved, icons, one image
    w.bytes.insert(w.bytes.end(), {32, 32, 16, 0});  // 32 by 32 pixels, 16 colours
    w.words({1, 4});                                 // planes, bits per pixel
    w.dword(744);                                    // the image's bytes
    w.words({image});                                // and its ID
    return w.bytes;
}

Bytes resource(LPCSTR type, LPCSTR name)
{
    HRSRC found = FindResourceExA(module, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!found)
        return {};
    const auto *data = static_cast<const uint8_t *>(LockResource(LoadResource(module, found)));
    return Bytes(data, data + SizeofResource(module, found));
}

std::string name_of(LPCSTR name)
{
    return IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string("\"") + name + "\"";
}

// Each resource as TYPE/NAME/LANGUAGE, into the list of strings that `list` points to.
BOOL CALLBACK add_language(HMODULE /*module*/, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list)
{
    reinterpret_cast<std::vector<std::string> *>(list)->push_back(name_of(type) + "/" + name_of(name) + "/" +
                                                                  std::to_string(language));
    return TRUE;
}

BOOL CALLBACK add_name(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list)
{
    return EnumResourceLanguagesA(module, type, name, add_language, list);
}

BOOL CALLBACK add_type(HMODULE module, LPSTR type, LONG_PTR list)
{
    return EnumResourceNamesA(module, type, add_name, list);
}

TEST(Program, CarriesExactlyItsResourcesInAmericanEnglish)
{
    std::vector<std::string> found;
    EnumResourceTypesA(module, add_type, reinterpret_cast<LONG_PTR>(&found));
    // Directory order: by type; within a type, names before numbers.
    const std::vector<std::string> expected = {"3/1/1033", "3/2/1033", "5/103/1033", "14/\"A\"/1033", "14/102/1033"};
    EXPECT_EQ(found, expected);
}

TEST(Program, DialogTemplateIsExact)
{
    EXPECT_EQ(hex(resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN))), hex(expected_dialog()));
}

TEST(Program, IconGroupsShareOneImage)
{
    EXPECT_EQ(hex(resource(RT_GROUP_ICON, "A")), hex(expected_group(2)));
    EXPECT_EQ(hex(resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_MAIN))), hex(expected_group(1)));

    // Both images are the committed icon's one image.
    std::ifstream file(icon_path, std::ios::binary);
    const Bytes ico(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>{});
    ASSERT_EQ(ico.size(), 6U + 16U + 744U) << icon_path;
    const Bytes image(ico.begin() + 22, ico.end());
    EXPECT_EQ(resource(RT_ICON, MAKEINTRESOURCEA(1)), image);
    EXPECT_EQ(resource(RT_ICON, MAKEINTRESOURCEA(2)), image);
}

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const std::vector<std::string> paths = windows_paths(argc, argv, 2, "resources_test PROGRAM.exe ICON.ico");
    icon_path = paths[1];
    module = LoadLibraryExA(paths[0].c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        (void)std::fprintf(stderr, "resources_test: cannot load %s\n", paths[0].c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
