#include "console.hpp"

#include <mutex>

#include "files.hpp"
#include "platform.hpp"

namespace {

std::int32_t parameterCursor = 0;

// Redirected input read beyond the line last returned, guarded by one lock.
std::mutex pendingLock;
Text pendingInput;
// A line that ended in a CR as the last byte of a read: an LF that opens the
// next read belongs to that line end.
bool skipLeadingLineFeed = false;

constexpr std::size_t kInputRoom = 4096;
constexpr std::size_t kMinimumRoom = 512;

} // namespace

void StartRuntime(int argc, char** argv)
{
    OsStartPlatform(argc, argv);
}

int OpenConsoleSession(const Text& title)
{
    OsOpenConsole(title, ConsoleControlHandler);
    return 1;
}

void PrintLine(const Text& text)
{
    OsWriteConsole(text + "\r\n");
}

// A CR that ended the previous line as the last byte read may be the first
// half of a CR LF: drop the LF that then opens the next read.
static void DropLineFeedAfterCarriageReturn(Text& collected)
{
    if (skipLeadingLineFeed && !collected.empty()) {
        if (collected[0] == '\n') {
            collected.erase(0, 1);
        }
        skipLeadingLineFeed = false;
    }
}

// Cuts one line off the front of collected when it holds a line end at or after
// scanFrom; CR LF, a lone CR and a lone LF each end a line.
static bool TakeLine(const Text& collected, std::size_t scanFrom, Text& line)
{
    const std::size_t end = collected.find_first_of("\r\n", scanFrom);
    if (end == Text::npos) {
        return false;
    }
    std::size_t next = end + 1;
    if (collected[end] == '\r') {
        if (next < collected.size() && collected[next] == '\n') {
            next += 1;
        } else if (next == collected.size()) {
            skipLeadingLineFeed = true;
        }
    }
    line = collected.substr(0, end);
    pendingInput = collected.substr(next);
    return true;
}

// Room for the next read: what is left of 4096 bytes, or 4096 more once less
// than 512 are left.
static std::size_t InputRoom(std::size_t collected)
{
    return collected + kMinimumRoom <= kInputRoom ? kInputRoom - collected : kInputRoom;
}

Text ReadLine()
{
    Text line;
    switch (OsReadConsoleLine(line)) {
    case kConsoleLine:
        return line;
    case kConsoleEnd:
        return kEndOfInput;
    case kNotAConsole:
        break;
    }

    std::lock_guard<std::mutex> guard(pendingLock);
    Text collected;
    collected.swap(pendingInput);
    std::size_t scanned = 0;
    char buffer[kInputRoom];
    for (;;) {
        DropLineFeedAfterCarriageReturn(collected);
        if (TakeLine(collected, scanned, line)) {
            return line;
        }
        scanned = collected.size();
        OsInputStatus status = kInputData;
        const std::int32_t delivered =
            OsReadInput(buffer, static_cast<std::int32_t>(InputRoom(collected.size())), status);
        if (status == kInputEnd) {
            return collected.empty() ? kEndOfInput : collected;
        }
        if (status == kInputFailed) {
            return collected;
        }
        collected.append(buffer, static_cast<std::size_t>(delivered));
    }
}

Text NextParameter()
{
    Text parameter;
    if (OsParameter(parameterCursor, parameter)) {
        parameterCursor += 1;
        return parameter;
    }
    return Text();
}

void EndProgram()
{
    CloseAllFiles();
    OsExitProcess();
}

int ConsoleControlHandler(std::uint32_t eventType)
{
    if (eventType == kOsCloseEvent) {
        CloseAllFilesOnClose();
    }
    return 0;
}
