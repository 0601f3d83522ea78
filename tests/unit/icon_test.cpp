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
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

const icon::Grid& grid() {
    static const icon::Grid read = [] {
        std::ifstream grid_file(KONDENSATOR_ICON_GRID);
        return icon::read_grid(grid_file).value();
    }();
    return read;
}

// The 16-pixel image: of each 2 x 2 block of the grid, the top-left pixel.
const std::vector<std::string> kSixteen = {
    "................", "................", "................", "......4...4.....",
    "......4...4.....", "......4...4.....", "......4...4.....", "......4...4.....",
    ".000004...400000", "......4...4.....", "......4...4.....", "......4...4.....",
    "......4...4.....", "......4...4.....", "................", "................"};

// The grid at N pixels, by the rule above (at 16, the table).
std::vector<std::string> scaled(int n) {
    if (n == 16) return kSixteen;
    std::vector<std::string> rows(static_cast<std::size_t>(n));
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) rows[static_cast<std::size_t>(y)] += grid().rows[static_cast<std::size_t>(y * 32 / n)][static_cast<std::size_t>(x * 32 / n)];
    }
    return rows;
}

// A pixel as the grid writes it: '.' where transparent, else its colour's index.
char grid_pixel(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t alpha) {
    if (alpha == 0) return '.';
    const auto palette = grid().palette;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (alpha == 255 && palette[i] == (red << 16 | green << 8 | blue)) return "0123456789ABCDEF"[i];
    }
    return '?';
}

// The pixels of a PNG of N x N pixels in 8-bit RGBA, each chunk's CRC checked.
std::vector<std::string> png_pixels(const std::string& png, int n) {
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    std::string header, data;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = big_endian(png, at);
        const std::string body = png.substr(at + 4, length + 4);
        EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())),
                  big_endian(png, at + 8 + length));
        (body.starts_with("IDAT") ? data : header) += body.substr(4);  // IHDR, then IEND, empty
        at += length + 12;
    }
    EXPECT_EQ(std::vector<std::uint32_t>({big_endian(header, 0), big_endian(header, 4)}),
              std::vector<std::uint32_t>({static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(n)}));
    EXPECT_EQ(header.substr(8), std::string("\x08\x06\0\0\0", 5)) << "8 bits of red, green, blue and alpha";
    const std::size_t row_bytes = 1 + 4 * static_cast<std::size_t>(n);
    std::string raw(row_bytes * static_cast<std::size_t>(n), '\0');
    uLongf raw_size = static_cast<uLongf>(raw.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &raw_size, reinterpret_cast<const Bytef*>(data.data()),
                         static_cast<uLong>(data.size())), Z_OK);
    std::vector<std::string> rows(static_cast<std::size_t>(n));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        EXPECT_EQ(raw[y * row_bytes], '\0') << "filter of row " << y;
        for (std::size_t p = y * row_bytes + 1; p < (y + 1) * row_bytes; p += 4) {
            auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(raw[p + i])); };
            rows[y] += grid_pixel(byte(0), byte(1), byte(2), byte(3));
        }
    }
    return rows;
}

TEST(Icon, LinuxIconsShowTheGrid) {
    for (const int n : {16, 32, 48, 64, 128, 256}) {
        const std::string png = read_file((KONDENSATOR_HICOLOR "/" + std::to_string(n) + "x" + std::to_string(n) + "/apps/kondensator.png").c_str());
        EXPECT_EQ(png_pixels(png, n), scaled(n)) << n << " pixels";
    }
}

TEST(Icon, FileShowsTheGrid) {
    const auto& read = grid();
    const auto& grid = read.rows;

    const std::string ico = read_file(KONDENSATOR_ICON);
    auto u8 = [&](std::size_t at) { return little_endian(ico, at, 1); };
    auto u16 = [&](std::size_t at) { return little_endian(ico, at, 2); };
    auto u32 = [&](std::size_t at) { return little_endian(ico, at, 4); };
    // Icon directory: type 1, five images; each entry's width, height, colours and bits a pixel.
    EXPECT_EQ(std::vector<std::uint32_t>({u16(0), u16(2), u16(4)}), std::vector<std::uint32_t>({0, 1, 5}));
    const std::vector<std::vector<std::uint32_t>> entries = {
        {16, 16, 0, 32}, {32, 32, 16, 4}, {48, 48, 0, 32}, {64, 64, 0, 32}, {0, 0, 0, 32}};  // 0: 256
    std::size_t end = 6 + 16 * entries.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(std::vector<std::uint32_t>({u8(entry), u8(entry + 1), u8(entry + 2), u16(entry + 6)}), entries[i]);
        EXPECT_EQ(u32(entry + 12), end) << "image " << i << " follows the one before";
        end += u32(entry + 8);
    }
    ASSERT_EQ(end, ico.size());
    // The images with an alpha channel: bitmaps bottom up, blue, green, red and
    // alpha, with the mask of the transparent pixels; and the PNG.
    for (const std::size_t i : {0, 2, 3}) {
        const std::size_t image = u32(6 + 16 * i + 12), n = u8(6 + 16 * i), mask_row = (n + 31) / 32 * 4;
        EXPECT_EQ(std::vector<std::uint32_t>({u32(image), u32(image + 4), u32(image + 8), u16(image + 14), u32(image + 16)}),
                  std::vector<std::uint32_t>({40, static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(2 * n), 32, 0}));
        std::vector<std::string> rows(n);
        for (std::size_t y = 0; y < n; ++y) {
            const std::size_t row = n - 1 - y, pixels = image + 40 + 4 * n * row, mask = image + 40 + 4 * n * n + mask_row * row;
            for (std::size_t x = 0; x < n; ++x) {
                rows[y] += grid_pixel(u8(pixels + 4 * x + 2), u8(pixels + 4 * x + 1), u8(pixels + 4 * x), u8(pixels + 4 * x + 3));
                EXPECT_EQ((u8(mask + x / 8) >> (7 - x % 8)) & 1, rows[y].back() == '.' ? 1U : 0U) << n << " pixels, " << x << ", " << y;
            }
        }
        EXPECT_EQ(rows, scaled(static_cast<int>(n))) << n << " pixels";
    }
    EXPECT_EQ(png_pixels(ico.substr(u32(6 + 16 * 4 + 12), u32(6 + 16 * 4 + 8)), 256), scaled(256));

    // The 16-colour image, as the program has always carried it.
    const std::size_t image = u32(6 + 16 + 12);
    // Bitmap header: 32 wide, twice 32 high (colours, then the mask), 4 bits, uncompressed.
    EXPECT_EQ(std::vector<std::uint32_t>({u32(image), u32(image + 4), u32(image + 8), u16(image + 14), u32(image + 16)}),
              std::vector<std::uint32_t>({40, 32, 64, 4, 0}));

    const std::size_t palette = image + 40;
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(u32(palette + 4 * i), read.palette[i]) << "colour " << i;

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
