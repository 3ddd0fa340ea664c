// Writes the program's icon, a 32x32 picture in 16 colours, as an .ico file:
// a blue A and a red Z with a double arrow between them, the cipher's
// first and last letters trading places.
//
//   make_icon res/quindarelvoxen.ico
//
// The picture is the map below; the file format is the classic one that
// resource compilers expect: one directory entry and a 744-byte image made of
// a BITMAPINFOHEADER, a 16-colour palette, 4-bit pixels and a 1-bit mask.
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// clang-format off
const char *const picture[32] = {
    "................................",
    "..gggggggggggggggggggggggggggg..",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwbbwwwwwwwwrrrrrrrrrrwwg.",
    ".gwwwwwbbbbwwwwwwwrrrrrrrrrrwwg.",
    ".gwwwwwbbbbwwwwwwwwwwwwwwrrwwwg.",
    ".gwwwwbbwwbbwwwwwwwwwwwwrrwwwwg.",
    ".gwwwwbbwwbbwwwwwwwwwwwrrwwwwwg.",
    ".gwwwbbwwwwbbwwwwwwwwwrrwwwwwwg.",
    ".gwwwbbbbbbbbwwwwwwwwrrwwwwwwwg.",
    ".gwwwbbbbbbbbwwwwwwwrrwwwwwwwwg.",
    ".gwwbbwwwwwwbbwwwwwrrwwwwwwwwwg.",
    ".gwwbbwwwwwwbbwwwwrrwwwwwwwwwwg.",
    ".gwwbbwwwwwwbbwwwwrrrrrrrrrrwwg.",
    ".gwwbbwwwwwwbbwwwwrrrrrrrrrrwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwkwwwwwwwwwwwwwwwwkwwwwwg.",
    ".gwwwwkkwwwwwwwwwwwwwwwwkkwwwwg.",
    ".gwwwkkkkkkkkkkkkkkkkkkkkkkwwwg.",
    ".gwwkkkkkkkkkkkkkkkkkkkkkkkkwwg.",
    ".gwwwkkkkkkkkkkkkkkkkkkkkkkwwwg.",
    ".gwwwwkkwwwwwwwwwwwwwwwwkkwwwwg.",
    ".gwwwwwkwwwwwwwwwwwwwwwwkwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    ".gwwwwwwwwwwwwwwwwwwwwwwwwwwwwg.",
    "..gggggggggggggggggggggggggggg..",
    "................................",
};

// The standard 16-colour palette, as red, green, blue.
const uint8_t palette[16][3] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};
// clang-format on

// Map letters to palette indices; '.' is transparent.
int colour_of(char c)
{
    switch (c) {
    case 'k':
        return 0;  // black
    case 'g':
        return 8;  // dark grey
    case 'r':
        return 9;  // red
    case 'b':
        return 12;  // blue
    case 'w':
        return 15;  // white
    default:
        return -1;  // transparent
    }
}

const int side = 32;
const int header_size = 40;
const int palette_size = 16 * 4;
const int pixels_size = side * side / 2;
const int mask_size = side * side / 8;
const int image_size = header_size + palette_size + pixels_size + mask_size;  // 744

uint8_t *put16(uint8_t *p, unsigned v)
{
    p[0] = v & 0xff;
    p[1] = (v >> 8) & 0xff;
    return p + 2;
}

uint8_t *put32(uint8_t *p, uint32_t v)
{
    p = put16(p, v & 0xffff);
    return put16(p, v >> 16);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        static_cast<void>(std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n"));
        return 2;
    }
    uint8_t file[6 + 16 + image_size] = {};
    uint8_t *p = file;
    p = put16(p, 0);  // reserved
    p = put16(p, 1);  // type: icon
    p = put16(p, 1);  // one image
    *p++ = side;      // width
    *p++ = side;      // height
    *p++ = 16;        // colours
    *p++ = 0;         // reserved
    p = put16(p, 1);  // planes
    p = put16(p, 4);  // bits per pixel
    p = put32(p, image_size);
    p = put32(p, 6 + 16);

    p = put32(p, header_size);
    p = put32(p, side);
    p = put32(p, 2 * side);  // colour and mask halves
    p = put16(p, 1);
    p = put16(p, 4);
    p = put32(p, 0);  // no compression
    p = put32(p, pixels_size + mask_size);
    p = put32(p, 0);
    p = put32(p, 0);
    p = put32(p, 0);
    p = put32(p, 0);
    for (const uint8_t *rgb : palette) {
        *p++ = rgb[2];
        *p++ = rgb[1];
        *p++ = rgb[0];
        *p++ = 0;
    }
    uint8_t *pixels = p;
    uint8_t *mask = p + pixels_size;
    for (int row = 0; row < side; ++row) {
        const char *line = picture[side - 1 - row];  // bitmaps run bottom-up
        if (std::strlen(line) != side) {
            static_cast<void>(std::fprintf(stderr, "make_icon: row %d is not %d wide\n", side - 1 - row, side));
            return 1;
        }
        for (int x = 0; x < side; ++x) {
            int colour = colour_of(line[x]);
            if (colour < 0) {
                mask[(row * side / 8) + (x / 8)] |= 0x80 >> (x % 8);
                colour = 0;
            }
            pixels[(row * side / 2) + (x / 2)] |= colour << (x % 2 ? 0 : 4);
        }
    }

    FILE *out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    bool ok = std::fwrite(file, 1, sizeof file, out) == sizeof file;
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        static_cast<void>(std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]));
        return 1;
    }
    return 0;
}
