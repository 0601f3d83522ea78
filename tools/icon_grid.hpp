#pragma once

// The icon's text grid (src/icon/icon.txt), as make_icon and the icon test
// read it: 32 rows of 32 pixels, each a hexadecimal index into the palette
// or a full stop for a transparent pixel, and the 16 colours of the palette,
// each a line "colour INDEX RRGGBB NAME". Lines starting with # are comments.

#include <array>
#include <cstdint>
#include <istream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace icon {

constexpr int kSize = 32;

struct Grid {
    std::vector<std::string> rows;
    std::array<std::uint32_t, 16> palette{};  // red, green, blue
};

inline int pixel_index(char c) { return c == '.' ? 0 : (c <= '9' ? c - '0' : c - 'A' + 10); }

inline std::optional<Grid> read_grid(std::istream& in) {
    Grid grid;
    std::array<bool, 16> named{};
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (line.starts_with("colour ")) {
            std::istringstream fields(line.substr(7));
            char index = 0;
            std::string rgb;
            fields >> index >> rgb;
            if (rgb.size() != 6 || rgb.find_first_not_of("0123456789ABCDEF") != std::string::npos ||
                std::string("0123456789ABCDEF").find(index) == std::string::npos) {
                return std::nullopt;
            }
            grid.palette[static_cast<std::size_t>(pixel_index(index))] = std::stoul(rgb, nullptr, 16);
            named[static_cast<std::size_t>(pixel_index(index))] = true;
        } else if (line.size() == kSize && line.find_first_not_of("0123456789ABCDEF.") == std::string::npos) {
            grid.rows.push_back(line);
        } else {
            return std::nullopt;
        }
    }
    for (const bool is_named : named) {
        if (!is_named) return std::nullopt;
    }
    if (grid.rows.size() != kSize) return std::nullopt;
    return grid;
}

}  // namespace icon
