// For bench/palette_margin.py: prints the C64 palettes the recognition knows,
// one a line; with --cost, reads lines of a reference number to leave out
// and 16 colours (hexadecimal RRGGBB) and prints the cost of each line.
#include <iostream>
#include <sstream>
#include <string>

#include "converter/c64_colors.hpp"

int main(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--cost") {
        for (const auto& palette : C64ReferencePalettes()) {
            for (const Rgb rgb : palette) {
                std::cout << std::hex << rgb << ' ';
            }
            std::cout << '\n';
        }
        return 0;
    }
    std::cout << "limit " << kC64PaletteCostLimit << '\n';
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::size_t leftOut = 0;
        std::vector<Rgb> colors(kC64ColorCount);
        words >> leftOut >> std::hex;
        for (Rgb& rgb : colors) {
            words >> rgb;
        }
        std::cout << C64PaletteCost(colors, leftOut) << '\n';
    }
    return 0;
}
