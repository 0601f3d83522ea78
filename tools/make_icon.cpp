// Makes the icons from their text grid (icon_grid.hpp):
//   make_icon icon.txt kondensator.ico       the Windows icon
//   make_icon icon.txt kondensator.png SIZE  a PNG of SIZE x SIZE pixels
// The Windows icon holds the 32 x 32 image in the grid's 16 colours that the
// program has always carried, and the same picture with an alpha channel at
// 16, 48 and 64 pixels, and at 256 as a PNG, the form Windows takes for that
// size; Windows then never has to scale the picture, which would blur it.
//
// Every size shows the grid without blur: pixel (x, y) of an N-pixel image is
// the grid's pixel (x * 32 / N, y * 32 / N), rounded down. At 64, 128 and 256
// each grid pixel becomes a square; at 16 each 2 x 2 block shows its top-left
// pixel; at 48 the grid's pixels are alternately 1 and 2 pixels wide, so each
// of the picture's lines, 2 grid pixels thick, is 3 pixels thick.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include <zlib.h>

#include "icon_grid.hpp"

namespace {

using icon::kSize;

class Bytes {
public:
    void u8(std::uint32_t v) { bytes.push_back(static_cast<char>(v & 0xFF)); }
    void u16(std::uint32_t v) { u8(v); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v); u16(v >> 16); }
    void u32_big_endian(std::uint32_t v) { u8(v >> 24); u8(v >> 16); u8(v >> 8); u8(v); }
    std::string bytes;
};

// The image of SIZE x SIZE pixels, row by row from the top, as 0xAARRGGBB.
std::size_t scaled(int size, int at) { return static_cast<std::size_t>(at * kSize / size); }
std::uint32_t argb(const icon::Grid& grid, int size, int x, int y) {
    const char c = grid.rows[scaled(size, y)][scaled(size, x)];
    return c == '.' ? 0 : 0xFF000000 | grid.palette[static_cast<std::size_t>(icon::pixel_index(c))];
}

// The 32 x 32 image at 4 bits a pixel, as the program has always carried it.
std::string bitmap_16_colours(const icon::Grid& grid) {
    const auto& rows = grid.rows;
    const auto pixel = icon::pixel_index;
    constexpr std::uint32_t kColourBytes = kSize * kSize / 2;  // 4 bits a pixel
    constexpr std::uint32_t kMaskBytes = kSize * kSize / 8;    // 1 bit a pixel, rows of 4 bytes
    Bytes out;
    out.u32(40), out.u32(kSize), out.u32(2 * kSize);      // bitmap header: colours and mask
    out.u16(1), out.u16(4), out.u32(0), out.u32(kColourBytes + kMaskBytes);
    out.u32(0), out.u32(0), out.u32(16), out.u32(0);
    for (const std::uint32_t rgb : grid.palette) out.u32(rgb);  // stored as blue, green, red, 0
    for (int y = kSize - 1; y >= 0; --y) {                  // rows bottom up
        for (int x = 0; x < kSize; x += 2) out.u8(static_cast<std::uint32_t>(pixel(rows[y][x]) << 4 | pixel(rows[y][x + 1])));
    }
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; x += 8) {
            std::uint32_t bits = 0;
            for (int i = 0; i < 8; ++i) bits = bits << 1 | (rows[y][x + i] == '.' ? 1 : 0);
            out.u8(bits);
        }
    }
    return out.bytes;
}

// SIZE x SIZE at 32 bits a pixel (blue, green, red, alpha), with the mask
// that programs which ignore the alpha channel go by.
std::string bitmap_with_alpha(const icon::Grid& grid, int size) {
    const auto n = static_cast<std::uint32_t>(size);
    const std::uint32_t mask_row = (n + 31) / 32 * 4;
    Bytes out;
    out.u32(40), out.u32(n), out.u32(2 * n), out.u16(1), out.u16(32), out.u32(0);
    out.u32(n * n * 4 + n * mask_row), out.u32(0), out.u32(0), out.u32(0), out.u32(0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) out.u32(argb(grid, size, x, y));
    }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(mask_row, '\0');
        for (int x = 0; x < size; ++x) {
            if (argb(grid, size, x, y) == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        }
        out.bytes += row;
    }
    return out.bytes;
}

// SIZE x SIZE, 8 bits each of red, green, blue and alpha, compressed by zlib.
std::string png(const icon::Grid& grid, int size) {
    Bytes raw;
    for (int y = 0; y < size; ++y) {
        raw.u8(0);  // no filter
        for (int x = 0; x < size; ++x) {
            const std::uint32_t c = argb(grid, size, x, y);
            raw.u32_big_endian(c << 8 | c >> 24);
        }
    }
    std::string compressed(compressBound(static_cast<uLong>(raw.bytes.size())), '\0');
    auto length = static_cast<uLongf>(compressed.size());
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &length, reinterpret_cast<const Bytef*>(raw.bytes.data()),
                  static_cast<uLong>(raw.bytes.size()), Z_BEST_COMPRESSION) != Z_OK) {
        return "";
    }
    compressed.resize(length);

    Bytes out;
    out.bytes = "\x89PNG\r\n\x1A\n";
    auto chunk = [&out](std::string_view type, const std::string& data) {
        out.u32_big_endian(static_cast<std::uint32_t>(data.size()));
        const std::string body = std::string(type) + data;
        out.bytes += body;
        out.u32_big_endian(static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    };
    Bytes header;
    header.u32_big_endian(static_cast<std::uint32_t>(size)), header.u32_big_endian(static_cast<std::uint32_t>(size));
    header.u8(8), header.u8(6), header.u8(0), header.u8(0), header.u8(0);  // 8 bits, RGBA, no interlace
    chunk("IHDR", header.bytes);
    chunk("IDAT", compressed);
    chunk("IEND", "");
    return out.bytes;
}

std::string icon_file(const icon::Grid& grid) {
    struct Image {
        int size;
        int bits;
        std::string data;
    };
    const std::array<Image, 5> images{{{16, 32, bitmap_with_alpha(grid, 16)},
                                       {32, 4, bitmap_16_colours(grid)},
                                       {48, 32, bitmap_with_alpha(grid, 48)},
                                       {64, 32, bitmap_with_alpha(grid, 64)},
                                       {256, 32, png(grid, 256)}}};
    if (images.back().data.empty()) return "";
    Bytes out;
    out.u16(0), out.u16(1), out.u16(static_cast<std::uint32_t>(images.size()));  // icon directory
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const Image& image : images) {
        out.u8(image.size % 256), out.u8(image.size % 256), out.u8(image.bits == 4 ? 16 : 0), out.u8(0);
        out.u16(1), out.u16(static_cast<std::uint32_t>(image.bits));
        out.u32(static_cast<std::uint32_t>(image.data.size())), out.u32(offset);
        offset += static_cast<std::uint32_t>(image.data.size());
    }
    for (const Image& image : images) out.bytes += image.data;
    return out.bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string output = argc > 2 ? argv[2] : "";
    const bool is_png = argc == 4 && output.ends_with(".png");
    const int size = is_png ? std::atoi(argv[3]) : 0;
    if (!(argc == 3 && output.ends_with(".ico")) && !(is_png && size > 0 && size <= 1024)) {
        std::cerr << "usage: make_icon GRID ICON.ico\n       make_icon GRID IMAGE.png SIZE\n";
        return 2;
    }
    std::ifstream grid_file(argv[1]);
    const auto grid = icon::read_grid(grid_file);
    if (!grid) {
        std::cerr << "make_icon: " << argv[1] << " is not a grid of 32 rows of 32 pixels with 16 colours\n";
        return 1;
    }
    const std::string bytes = is_png ? png(*grid, size) : icon_file(*grid);
    std::ofstream out(output, std::ios::binary);
    out << bytes;
    return !bytes.empty() && out.flush() ? 0 : 1;
}
