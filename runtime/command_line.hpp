// Splits a raw command line into parameters. It depends on nothing else of the
// project, so both the console and a platform backend that is handed the raw
// command line can use it.
#pragma once

#include <cstdint>
#include <string>

// Splits a raw command line (program path first): sets parameter to the one at
// index (0 = first after the path) and returns 1, or returns 0 when the line
// ends first. Blanks separate; double quotes group and are dropped.
int CommandLineParameter(const std::string& commandLine, std::int32_t index, std::string& parameter);
