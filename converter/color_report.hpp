// -colors: the console's account of the colour choice. Sprites are named by
// the numbers they have in the files written, an overlay counting as one.
#pragma once

#include "color_choice.hpp"
#include "picture.hpp"
#include "refusal.hpp"

// Warns of every multicolour sprite whose pixel pairs hold two colours; then,
// when a cell converts under no sprite, names each such cell and refuses the
// sheet; otherwise shows the shared colours, a warning when a transparent
// sheet's background is a colour of its pixels, and every overlay pair.
// The cells come in the files in order (-object; empty: cell by cell).
Refused ReportColorChoice(bool hiresSprites, const SourceBitmap& bitmap, const SheetColors& sheet,
                          const ColorChoice& choice, const std::vector<std::size_t>& order);
