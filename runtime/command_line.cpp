#include "command_line.hpp"

#include <algorithm>

bool CommandLineParameter(const std::string& commandLine, std::int32_t index, std::string& parameter)
{
    const std::size_t length = commandLine.size();
    std::size_t position = 0;
    for (std::int32_t token = -1;; token += 1) {
        position = commandLine.find_first_not_of(' ', position);
        if (position == std::string::npos) {
            return false;
        }
        // A quoted parameter runs to the next quote, any other to the next blank;
        // either may run to the end of the line.
        const bool quoted = commandLine[position] == '"';
        const std::size_t start = quoted ? position + 1 : position;
        const std::size_t end = std::min(commandLine.find(quoted ? '"' : ' ', start), length);
        position = std::min(end + 1, length);
        if (token == index) {
            parameter = commandLine.substr(start, end - start);
            return true;
        }
    }
}
