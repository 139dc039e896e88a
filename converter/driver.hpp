// The driver: reads the command line into the run's options and runs the
// phases in order.
#pragma once

#include "run_control.hpp"

// The banner: program name, version, author and group.
Text BannerText();

// Reads the command line into options, stopping at the first empty parameter.
void ReadOptions(RunOptions& options);

// The whole run, from the banner to the end of the program; never returns.
[[noreturn]] void RunConverter();
