// The size of a sprite, and so of a cell of the sheet.
#pragma once

#include <cstddef>

constexpr std::size_t kSpriteWidth = 24;
constexpr std::size_t kSpriteHeight = 21;
