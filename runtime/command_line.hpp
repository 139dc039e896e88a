// Splits a raw command line into parameters. It depends on nothing else of the
// project, so both the console and a platform backend that is handed the raw
// command line can use it.
#pragma once

#include <cstdint>
#include <string>

// Splits a raw command line (program path first): sets parameter to the one at
// index (0 = first after the path) and returns true, or returns false when the
// line ends first. Blanks separate; double quotes group and are dropped.
bool CommandLineParameter(const std::string& commandLine, std::int32_t index, std::string& parameter);
