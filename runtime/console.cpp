#include "console.hpp"

#include "files.hpp"
#include "platform.hpp"

namespace {

// Redirected standard input read beyond the line last returned: it belongs to
// the input stream, as a stream's buffer does, and is handed to the next
// ReadLine first.
Text pendingInput;
// A line that ended in a CR as the last byte of a read: an LF that opens the
// next read belongs to that line end.
bool skipLeadingLineFeed = false;
// The console of a run without a process, when there is one.
ConsoleCapture* capturedConsole = nullptr;

// A CR that ended the previous line as the last byte read may be the first
// half of a CR LF: drop the LF that then opens the next read.
void DropLineFeedAfterCarriageReturn(Text& collected)
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
bool TakeLine(const Text& collected, std::size_t scanFrom, Text& line)
{
    const std::size_t end = collected.find_first_of("\r\n", scanFrom);
    if (end == Text::npos) {
        return false;
    }
    std::size_t next = end + 1;
    if (collected.compare(end, 2, "\r\n") == 0) {
        next += 1;
    } else if (collected[end] == '\r' && next == collected.size()) {
        skipLeadingLineFeed = true;
    }
    line = collected.substr(0, end);
    pendingInput = collected.substr(next);
    return true;
}

// Standard input as a byte stream: lines end at CR LF, CR or LF.
Text ReadRedirectedLine()
{
    Text collected;
    collected.swap(pendingInput);
    std::size_t scanned = 0;
    char buffer[kConsoleReadBytes];
    for (;;) {
        DropLineFeedAfterCarriageReturn(collected);
        Text line;
        if (TakeLine(collected, scanned, line)) {
            return line;
        }
        scanned = collected.size();
        std::size_t delivered = 0;
        const OsInputStatus status = OsReadInput(buffer, kConsoleReadBytes, delivered);
        if (status == OsInputStatus::kEnd) {
            return collected.empty() ? kEndOfInput : collected;
        }
        if (status == OsInputStatus::kFailed) {
            return collected;
        }
        collected.append(buffer, delivered);
    }
}

} // namespace

void StartRuntime(int argc, char** argv)
{
    OsStartPlatform(argc, argv);
}

void CaptureConsole(ConsoleCapture* capture)
{
    capturedConsole = capture;
}

void OpenConsoleSession(const Text& title)
{
    if (capturedConsole == nullptr) {
        OsOpenConsole(title, CloseAllFilesOnClose);
    }
}

void PrintLine(const Text& text)
{
    if (capturedConsole != nullptr) {
        capturedConsole->lines.push_back(text);
        return;
    }
    OsWriteConsole(text + "\r\n");
}

Text ReadLine()
{
    if (capturedConsole != nullptr) {
        return kEndOfInput;
    }
    Text line;
    switch (OsReadConsoleLine(line)) {
    case OsConsoleRead::kLine:
        return line;
    case OsConsoleRead::kEnd:
        return kEndOfInput;
    case OsConsoleRead::kNotAConsole:
        break;
    }
    return ReadRedirectedLine();
}

namespace {

// The parameter at index, from the capture when there is one.
std::optional<std::string> ParameterAt(std::int32_t index)
{
    if (capturedConsole == nullptr) {
        return OsParameter(index);
    }
    const std::vector<Text>& parameters = capturedConsole->parameters;
    if (index < 0 || index >= std::ssize(parameters)) {
        return std::nullopt;
    }
    return parameters[static_cast<std::size_t>(index)];
}

} // namespace

Text NextParameter(ParameterCursor& cursor)
{
    const std::optional<std::string> parameter = ParameterAt(cursor.next);
    if (!parameter) {
        return Text();
    }
    cursor.next += 1;
    return *parameter;
}

void EndProgram(int exitCode)
{
    CloseAllFiles();
    OsExitProcess(exitCode);
}
