// The Windows icon file and the PNGs of the Linux build against the text grid
// they are made from: the 32 x 32 image in 16 colours, the grid's palette, and
// the same pixel everywhere; the other sizes with an alpha channel, each pixel
// (x, y) of an N-pixel image the grid's pixel (x * 32 / N, y * 32 / N).
#include <gtest/gtest.h>
#include <zlib.h>

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

std::uint32_t big_endian(const std::string& bytes, std::size_t at) {
    const std::uint32_t v = little_endian(bytes, at, 4);
    return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24;
}

const icon::Grid kGrid = [] { std::ifstream in(KONDENSATOR_ICON_GRID); return icon::read_grid(in).value(); }();

// The grid at N pixels; at 16, of each 2 x 2 block its top-left pixel.
std::vector<std::string> scaled(std::size_t n) {
    if (n == 16) {
        return {"................", "................", "................", "......4...4.....",
                "......4...4.....", "......4...4.....", "......4...4.....", "......4...4.....",
                ".000004...400000", "......4...4.....", "......4...4.....", "......4...4.....",
                "......4...4.....", "......4...4.....", "................", "................"};
    }
    std::vector<std::string> rows(n, std::string(n, ' '));
    for (std::size_t y = 0; y < n * n; ++y) rows[y / n][y % n] = kGrid.rows[y / n * 32 / n][y % n * 32 / n];
    return rows;
}

// A pixel as the grid writes it: '.' where transparent, else its colour's index.
char grid_pixel(std::uint32_t rgb, std::uint32_t alpha) {
    for (std::size_t i = 0; i < 16; ++i) if (alpha == 255 && kGrid.palette[i] == rgb) return "0123456789ABCDEF"[i];
    return alpha == 0 ? '.' : '?';
}

// The pixels of an N x N PNG in 8-bit RGBA without filters, each chunk's CRC checked.
std::vector<std::string> png_pixels(const std::string& png, std::size_t n) {
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    std::string header, data;  // IHDR's (and IEND's, none); IDAT's
    for (std::size_t at = 8; at + 12 <= png.size(); at += big_endian(png, at) + 12) {
        const std::string chunk = png.substr(at + 4, big_endian(png, at) + 4);
        EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size())),
                  big_endian(png, at + 4 + chunk.size()));
        (chunk.starts_with("IDAT") ? data : header) += chunk.substr(4);
    }
    const char high = static_cast<char>(n >> 8), low = static_cast<char>(n & 0xFF);
    EXPECT_EQ(header, std::string({0, 0, high, low, 0, 0, high, low, 8, 6, 0, 0, 0}));
    const std::size_t row = 1 + 4 * n;
    std::string raw(row * n, '\0');
    uLongf size = static_cast<uLongf>(raw.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                         static_cast<uLong>(data.size())), Z_OK);
    std::vector<std::string> rows(n);
    for (std::size_t y = 0; y < n; ++y) {
        EXPECT_EQ(raw[y * row], '\0') << "filter of row " << y;
        for (std::size_t at = y * row + 1; at < (y + 1) * row; at += 4) rows[y] += grid_pixel(big_endian(raw, at) >> 8, raw[at + 3] & 0xFFU);
    }
    return rows;
}

TEST(Icon, LinuxIconsShowTheGrid) {
    for (const std::size_t n : {16, 32, 48, 64, 128, 256}) {
        const std::string path = KONDENSATOR_HICOLOR "/" + std::to_string(n) + "x" + std::to_string(n) + "/apps/kondensator.png";
        EXPECT_EQ(png_pixels(read_file(path.c_str()), n), scaled(n)) << path;
    }
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
    // Icon directory: type 1, five images; each one's width, height (0: 256), colours and bits a pixel.
    EXPECT_EQ(std::vector<std::uint32_t>({u16(0), u16(2), u16(4)}), std::vector<std::uint32_t>({0, 1, 5}));
    const std::vector<std::vector<std::uint32_t>> entries = {{16, 16, 0, 32}, {32, 32, 16, 4}, {48, 48, 0, 32}, {64, 64, 0, 32}, {0, 0, 0, 32}};
    for (std::size_t i = 0, at = 6; i < 5; ++i, at += 16) EXPECT_EQ(std::vector<std::uint32_t>({u8(at), u8(at + 1), u8(at + 2), u16(at + 6)}), entries[i]);
    // With an alpha channel: bitmaps bottom up in blue, green, red and alpha, then the mask; and the PNG.
    for (const std::size_t i : {0, 2, 3}) {
        const std::uint32_t n = u8(6 + 16 * i), image = u32(18 + 16 * i), mask_row = (n + 31) / 32 * 4;
        EXPECT_EQ(std::vector<std::uint32_t>({u32(image), u32(image + 4), u32(image + 8), u16(image + 14), u32(image + 16)}),
                  std::vector<std::uint32_t>({40, n, 2 * n, 32, 0}));
        std::vector<std::string> rows(n);
        for (std::uint32_t y = 0, row = n - 1; y < n; ++y, --row) {
            for (std::uint32_t x = 0; x < n; ++x) {
                rows[y] += grid_pixel(u32(image + 40 + 4 * (n * row + x)) & 0xFFFFFF, u8(image + 43 + 4 * (n * row + x)));
                EXPECT_EQ(u8(image + 40 + 4 * n * n + mask_row * row + x / 8) >> (7 - x % 8) & 1, rows[y].back() == '.' ? 1U : 0U);
            }
        }
        EXPECT_EQ(rows, scaled(n)) << n << " pixels";
    }
    EXPECT_EQ(png_pixels(ico.substr(u32(6 + 16 * 4 + 12), u32(6 + 16 * 4 + 8)), 256), scaled(256));

    const std::size_t image = u32(6 + 16 + 12);  // the 16-colour image, as the program has always carried it
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
