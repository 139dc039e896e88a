#include "command_line.hpp"

int CommandLineParameter(const std::string& commandLine, std::int32_t index, std::string& parameter)
{
    const std::size_t length = commandLine.size();
    std::size_t position = 0;
    for (std::int32_t token = -1;; token += 1) {
        while (position < length && commandLine[position] == ' ') {
            position += 1;
        }
        if (position >= length) {
            return 0;
        }
        std::size_t start = position;
        std::size_t end = position;
        if (commandLine[position] == '"') {
            start = position + 1;
            end = commandLine.find('"', start);
            if (end == std::string::npos) {
                end = length;
            }
            position = end < length ? end + 1 : length;
        } else {
            end = commandLine.find(' ', start);
            if (end == std::string::npos) {
                end = length;
            }
            position = end < length ? end + 1 : length;
        }
        if (token == index) {
            parameter = commandLine.substr(start, end - start);
            return 1;
        }
    }
}
