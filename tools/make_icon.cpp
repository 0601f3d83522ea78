// Makes the Windows icon file from its text grid:
//   make_icon icon.txt kondensator.ico
// The grid holds 32 rows of 32 characters (lines starting with # are comments):
// a hexadecimal digit is an index into the standard 16-colour palette, a full
// stop a transparent pixel. The icon holds one 32 x 32 image at 4 bits per pixel.
#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

// The standard 16-colour palette, as red, green, blue.
constexpr std::array<std::uint32_t, 16> kPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::vector<std::string> read_grid(std::istream& in) {
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') rows.push_back(line);
    }
    return rows;
}

bool valid(const std::vector<std::string>& rows) {
    if (rows.size() != kSize) return false;
    for (const std::string& row : rows) {
        if (row.size() != kSize || row.find_first_not_of("0123456789ABCDEF.") != std::string::npos) return false;
    }
    return true;
}

class LittleEndian {
public:
    void u8(std::uint32_t v) { bytes.push_back(static_cast<char>(v & 0xFF)); }
    void u16(std::uint32_t v) { u8(v); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v); u16(v >> 16); }
    std::string bytes;
};

int pixel(char c) { return c == '.' ? 0 : (c <= '9' ? c - '0' : c - 'A' + 10); }

std::string icon_file(const std::vector<std::string>& rows) {
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
    for (const std::uint32_t rgb : kPalette) out.u32(rgb);  // stored as blue, green, red, 0
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
    std::ifstream grid(argv[1]);
    const std::vector<std::string> rows = read_grid(grid);
    if (!valid(rows)) {
        std::cerr << "make_icon: " << argv[1] << " is not a grid of 32 rows of 32 pixels\n";
        return 1;
    }
    std::ofstream icon(argv[2], std::ios::binary);
    icon << icon_file(rows);
    return icon.flush() ? 0 : 1;
}
