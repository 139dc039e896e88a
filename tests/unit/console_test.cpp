#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/command_line.hpp"
#include "runtime/console.hpp"
#include "test_support.hpp"

using Lines = std::vector<std::string>;

TEST(CommandLineSplitter, QuotesBlanksAndTabs)
{
    const std::pair<const char*, Lines> cases[] = {
        {"pixmold.exe   ", {}}, {"pixmold.exe  -s    a.bmp  ", {"-s", "a.bmp"}},
        {"pixmold.exe -s \"my picture.bmp\"", {"-s", "my picture.bmp"}}, {"pixmold.exe \"a\"b", {"a", "b"}},
        {"pixmold.exe ab\"c d\"", {"ab\"c", "d\""}}, {"pixmold.exe -s \"open rest", {"-s", "open rest"}},
        {"pixmold.exe a\tb c", {"a\tb", "c"}}, {"pixmold.exe -p \"\" -s", {"-p", "", "-s"}},
        {"pixmold.exe \"\"\"\"", {"", ""}}, {"pixmold.exe -v \"", {"-v", ""}},
        {"\"C:\\Program Files\\pixmold.exe\" -h", {"-h"}},
        {"C:\\Program Files\\pixmold.exe -h", {"Files\\pixmold.exe", "-h"}},
        {"pixmold.exe back\\slash\\\" x", {"back\\slash\\\"", "x"}}, {"", {}}, {"   ", {}},
    };
    for (const auto& [line, expected] : cases) {
        Lines parameters;
        Text parameter = "kept";
        for (std::int32_t index = 0; index < 10 && CommandLineParameter(line, index, parameter); index += 1) {
            parameters.push_back(parameter);
        }
        EXPECT_EQ(parameters, expected) << line;
        EXPECT_EQ(parameter, expected.empty() ? "kept" : expected.back()) << line; // left alone past the end
    }
    Text program;
    EXPECT_TRUE(CommandLineParameter("pixmold -h", -1, program));
    EXPECT_EQ(program, "pixmold");
}

TEST(ReadLine, RedirectedInputAcrossReads)
{
    // A line longer than one read, and a CR that ends one read with its LF in the next.
    const std::string longLine(10000, 'x');
    const std::string edge(4095, 'y');
    const std::pair<std::string, Lines> cases[] = {
        {"\nx", {"", "x"}}, {"abc\r\ndef", {"abc", "def"}}, {"", {}},
        {"one\ntwo\rthree\r\n\r\nlast", {"one", "two", "three", "", "last"}},
        {"\r\n", {""}}, {"\n\n", {"", ""}}, {"x", {"x"}}, {longLine + "\r\ntail", {longLine, "tail"}},
        {edge + "\r\nnext\r\n", {edge, "next"}}, {edge + "\r\nnext\n\nlast", {edge, "next", "", "last"}},
        {edge + "\n\nlast", {edge, "", "last"}},
    };
    for (const auto& [input, expected] : cases) {
        RedirectStandardInput(input);
        for (const std::string& line : expected) {
            EXPECT_EQ(ReadLine(), line) << input.substr(0, 20);
        }
        EXPECT_EQ(ReadLine(), kEndOfInput);
        EXPECT_EQ(ReadLine(), kEndOfInput);
    }
}
