// The Windows icon file against the text grid it is made from: one 32 x 32
// image in 16 colours, the grid's palette, and the same pixel everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "icon_grid.hpp"

namespace {

std::string read_file(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t little_endian(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

TEST(Icon, FileShowsTheGrid) {
    std::ifstream grid_file(KONDENSATOR_ICON_GRID);
    const auto read = icon::read_grid(grid_file);
    ASSERT_TRUE(read.has_value());
    const auto& grid = read->rows;

    const std::string ico = read_file(KONDENSATOR_ICON);
    auto u8 = [&](std::size_t at) { return little_endian(ico, at, 1); };
    auto u16 = [&](std::size_t at) { return little_endian(ico, at, 2); };
    auto u32 = [&](std::size_t at) { return little_endian(ico, at, 4); };
    // Icon directory and its one entry: type 1, 32 x 32, 16 colours, 4 bits a pixel.
    EXPECT_EQ(std::vector<std::uint32_t>({u16(0), u16(2), u16(4), u8(6), u8(7), u8(8), u16(10), u16(12)}),
              std::vector<std::uint32_t>({0, 1, 1, 32, 32, 16, 1, 4}));
    const std::size_t image = u32(18);
    ASSERT_EQ(image + u32(14), ico.size());
    // Bitmap header: 32 wide, twice 32 high (colours, then the mask), 4 bits, uncompressed.
    EXPECT_EQ(std::vector<std::uint32_t>({u32(image), u32(image + 4), u32(image + 8), u16(image + 14), u32(image + 16)}),
              std::vector<std::uint32_t>({40, 32, 64, 4, 0}));

    const std::size_t palette = image + 40;
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(u32(palette + 4 * i), read->palette[i]) << "colour " << i;

    const std::size_t colours = palette + 64;
    const std::size_t mask = colours + std::size_t{32} * 16;
    for (std::size_t y = 0; y < 32; ++y) {
        const std::size_t row = 31 - y;  // rows are stored bottom up
        std::string decoded;
        for (std::size_t x = 0; x < 32; ++x) {
            const bool transparent = (u8(mask + row * 4 + x / 8) >> (7 - x % 8)) & 1;
            const std::uint32_t index = (u8(colours + row * 16 + x / 2) >> (x % 2 ? 0 : 4)) & 0xF;
            decoded += transparent ? '.' : "0123456789ABCDEF"[index];
        }
        EXPECT_EQ(decoded, grid[y]) << "row " << y;
    }
}

}  // namespace
