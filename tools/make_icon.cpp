// Makes the Windows icon file from its text grid:
//   make_icon icon.txt kondensator.ico
// The grid (icon_grid.hpp) holds 32 rows of 32 pixels and the palette of 16
// colours. The icon holds one 32 x 32 image at 4 bits per pixel.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

#include "icon_grid.hpp"

namespace {

using icon::kSize;

class LittleEndian {
public:
    void u8(std::uint32_t v) { bytes.push_back(static_cast<char>(v & 0xFF)); }
    void u16(std::uint32_t v) { u8(v); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v); u16(v >> 16); }
    std::string bytes;
};

std::string icon_file(const icon::Grid& grid) {
    const auto& rows = grid.rows;
    const auto pixel = icon::pixel_index;
    constexpr std::uint32_t kColourBytes = kSize * kSize / 2;  // 4 bits a pixel
    constexpr std::uint32_t kMaskBytes = kSize * kSize / 8;    // 1 bit a pixel, rows of 4 bytes
    constexpr std::uint32_t kImageBytes = 40 + 16 * 4 + kColourBytes + kMaskBytes;
    LittleEndian out;
    out.u16(0), out.u16(1), out.u16(1);                   // icon directory: one icon
    out.u8(kSize), out.u8(kSize), out.u8(16), out.u8(0);  // width, height, colours
    out.u16(1), out.u16(4), out.u32(kImageBytes), out.u32(6 + 16);
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_icon GRID ICON\n";
        return 2;
    }
    std::ifstream grid_file(argv[1]);
    const auto grid = icon::read_grid(grid_file);
    if (!grid) {
        std::cerr << "make_icon: " << argv[1] << " is not a grid of 32 rows of 32 pixels with 16 colours\n";
        return 1;
    }
    std::ofstream icon_out(argv[2], std::ios::binary);
    icon_out << icon_file(*grid);
    return icon_out.flush() ? 0 : 1;
}
