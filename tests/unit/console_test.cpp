#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/console.hpp"
#include "test_support.hpp"

namespace {

// Every parameter the splitter hands out, in order.
std::vector<std::string> Split(const std::string& commandLine)
{
    std::vector<std::string> parameters;
    Text parameter;
    for (std::int32_t index = 0; CommandLineParameter(commandLine, index, parameter); index += 1) {
        parameters.push_back(parameter);
        if (index > 100) {
            break;
        }
    }
    return parameters;
}

} // namespace

TEST(CommandLineSplitter, QuotesBlanksAndTabs)
{
    using List = std::vector<std::string>;
    const struct {
        const char* line;
        List expected;
    } cases[] = {
        {"pixmold.exe", {}},
        {"pixmold.exe   ", {}},
        {"pixmold.exe -s a.bmp", {"-s", "a.bmp"}},
        {"pixmold.exe  -s    a.bmp  ", {"-s", "a.bmp"}},
        {"pixmold.exe -s \"my picture.bmp\"", {"-s", "my picture.bmp"}},
        {"pixmold.exe \"a\"b", {"a", "b"}},
        {"pixmold.exe ab\"c d\"", {"ab\"c", "d\""}},
        {"pixmold.exe -s \"unterminated rest", {"-s", "unterminated rest"}},
        {"pixmold.exe a\tb c", {"a\tb", "c"}},
        {"pixmold.exe -p \"\" -s a.bmp", {"-p", "", "-s", "a.bmp"}},
        {"pixmold.exe \"\"\"\"", {"", ""}},
        {"pixmold.exe -v \"", {"-v", ""}},
        {"\"C:\\Program Files\\pixmold.exe\" -h", {"-h"}},
        {"C:\\Program Files\\pixmold.exe -h", {"Files\\pixmold.exe", "-h"}},
        {"pixmold.exe back\\slash\\\" x", {"back\\slash\\\"", "x"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.line), c.expected) << c.line;
    }
}

TEST(CommandLineSplitter, PastTheEndLeavesParameterAlone)
{
    Text parameter = "kept";
    EXPECT_EQ(CommandLineParameter("pixmold -h", 1, parameter), 0);
    EXPECT_EQ(parameter, "kept");
    EXPECT_EQ(CommandLineParameter("pixmold -h", -1, parameter), 1);
    EXPECT_EQ(parameter, "pixmold");
}

TEST(ReadLine, RedirectedInput)
{
    const struct {
        const char* input;
        std::vector<std::string> lines;
    } cases[] = {
        {"abc\r\ndef", {"abc", "def", "\x04"}},
        {"", {"\x04", "\x04"}},
        {"one\ntwo\rthree\r\n\r\nlast", {"one", "two", "three", "", "last", "\x04"}},
        {"\r\n", {"", "\x04"}},
        {"\n\n", {"", "", "\x04"}},
    };
    for (const auto& c : cases) {
        RedirectStandardInput(c.input);
        for (const std::string& expected : c.lines) {
            EXPECT_EQ(ReadLine(), expected) << c.input;
        }
    }
}

TEST(ReadLine, LongLineAcrossReads)
{
    const std::string longLine(10000, 'x');
    RedirectStandardInput(longLine + "\r\n" + "tail");
    EXPECT_EQ(ReadLine(), longLine);
    EXPECT_EQ(ReadLine(), "tail");
    EXPECT_EQ(ReadLine(), "\x04");
}

TEST(ReadLine, CarriageReturnAtTheEndOfARead)
{
    // The first read stops right after the CR: the LF that follows belongs to it.
    std::string input(4095, 'y');
    input += "\r\nnext\r\n";
    RedirectStandardInput(input);
    EXPECT_EQ(ReadLine(), std::string(4095, 'y'));
    EXPECT_EQ(ReadLine(), "next");
    EXPECT_EQ(ReadLine(), "\x04");
}
