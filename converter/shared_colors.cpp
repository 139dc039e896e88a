#include "shared_colors.hpp"

#include "c64_colors.hpp"

Text ColorText(std::uint8_t color)
{
    return DecimalText(color) + " (" + C64ColorName(color) + ")";
}

Text SharedColorsText(const SharedColors& colors, bool hires)
{
    const Text background = "background " + ColorText(colors.background);
    return hires ? background
                 : background + ", multicolor 1: " + ColorText(colors.multicolor1) +
                       ", multicolor 2: " + ColorText(colors.multicolor2);
}
