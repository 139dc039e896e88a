// -colors: the console's account of the colour choice. Sprites are named by
// the numbers they have in the files written, an overlay counting as one.
#pragma once

#include "color_choice.hpp"
#include "picture.hpp"
#include "run_control.hpp"

// Warns of every multicolour sprite whose pixel pairs hold two colours; then,
// when a cell converts under no sprite, names each such cell and ends the run;
// otherwise shows the shared colours and every overlay pair.
void ReportColorChoice(const RunOptions& options, const SourceBitmap& bitmap, const SheetColors& sheet,
                       const ColorChoice& choice);
