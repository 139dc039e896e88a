// Windows backend: the console and file calls of the Win32 interface, in the
// 8-bit (ANSI) code page.
#include <windows.h>

#include <algorithm>

#include "command_line.hpp"
#include "platform.hpp"

namespace {

// The process's standard handles, taken when the console is opened.
HANDLE inputHandle = INVALID_HANDLE_VALUE;
HANDLE outputHandle = INVALID_HANDLE_VALUE;

// Global, since the close event needs it: the event arrives on a thread of the
// system's and waits here until a file operation of the main thread is over.
SRWLOCK fileLock = SRWLOCK_INIT;

// Global, since the console control handler needs it: what to call before the
// process ends.
OsCloseCallback closeCallback = nullptr;

// One ReadFile or WriteFile moves at most a DWORD of bytes; larger counts go in
// pieces of this size.
constexpr std::size_t kMostPerCall = 1U << 30;

// Windows hands out pointer-sized handles, which is what OsFile holds.
HANDLE Handle(OsFile file)
{
    return reinterpret_cast<HANDLE>(file);
}

OsFile ToOsFile(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? kNoOsFile : reinterpret_cast<OsFile>(handle);
}

// Every other event (Ctrl+C, Ctrl+Break, log-off, shut-down) is left to the
// system's default handling, which ends the process at once.
BOOL WINAPI ConsoleControlHandler(DWORD eventType)
{
    if (eventType == CTRL_CLOSE_EVENT && closeCallback != nullptr) {
        closeCallback();
    }
    return FALSE;
}

DWORD PieceOf(std::size_t count)
{
    return static_cast<DWORD>(std::min(count, kMostPerCall)); // at most 2^30
}

bool GetIdentity(const std::string& name, BY_HANDLE_FILE_INFORMATION& information)
{
    const HANDLE handle = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool known = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) != 0 &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    CloseHandle(handle);
    return known;
}

} // namespace

void OsStartPlatform(int, char**)
{
}

std::optional<std::string> OsParameter(std::int32_t index)
{
    const char* commandLine = GetCommandLineA();
    std::string parameter;
    if (!CommandLineParameter(commandLine == nullptr ? std::string() : std::string(commandLine), index, parameter)) {
        return std::nullopt;
    }
    return parameter;
}

void OsOpenConsole(const std::string& title, OsCloseCallback onClose)
{
    closeCallback = onClose;
    inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    SetConsoleCtrlHandler(ConsoleControlHandler, TRUE);
    if (!title.empty()) {
        SetConsoleTitleA(title.c_str());
    }
}

void OsWriteConsole(const std::string& line)
{
    const DWORD length = PieceOf(line.size()); // console lines are short
    DWORD written = 0;
    if (WriteConsoleA(outputHandle, line.data(), length, &written, nullptr) == 0) {
        WriteFile(outputHandle, line.data(), length, &written, nullptr);
    }
    FlushFileBuffers(outputHandle);
}

OsConsoleRead OsReadConsoleLine(std::string& line)
{
    SetConsoleMode(inputHandle, ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT);
    char buffer[kConsoleReadBytes];
    DWORD delivered = 0;
    if (ReadConsoleA(inputHandle, buffer, sizeof buffer, &delivered, nullptr) != 1) {
        return OsConsoleRead::kNotAConsole;
    }
    std::size_t length = delivered;
    if (length >= 2 && buffer[length - 2] == '\r') {
        length -= 2;
    }
    if (length == 1 && buffer[0] == '\x1a') {
        return OsConsoleRead::kEnd;
    }
    line.assign(buffer, length);
    return OsConsoleRead::kLine;
}

OsInputStatus OsReadInput(char* buffer, std::size_t room, std::size_t& delivered)
{
    DWORD count = 0;
    if (ReadFile(inputHandle, buffer, PieceOf(room), &count, nullptr) == 0) {
        return GetLastError() == ERROR_BROKEN_PIPE ? OsInputStatus::kEnd : OsInputStatus::kFailed;
    }
    delivered = count;
    return count == 0 ? OsInputStatus::kEnd : OsInputStatus::kData;
}

void OsExitProcess(int exitCode)
{
    ExitProcess(static_cast<UINT>(exitCode)); // exit codes are small and not negative
}

void OsLowerCase(std::string& text)
{
    if (!text.empty()) {
        CharLowerA(&text[0]);
    }
}

OsFile OsOpenExisting(const std::string& name)
{
    return ToOsFile(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

OsFile OsCreateOrEmpty(const std::string& name)
{
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        handle = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    }
    return ToOsFile(handle);
}

std::size_t OsRead(OsFile file, void* bytes, std::size_t count)
{
    DWORD delivered = 0;
    if (ReadFile(Handle(file), bytes, PieceOf(count), &delivered, nullptr) == 0) {
        return 0;
    }
    return delivered;
}

std::size_t OsWrite(OsFile file, const void* bytes, std::size_t count)
{
    const char* next = static_cast<const char*>(bytes); // the caller's bytes, counted
    std::size_t total = 0;
    while (total < count) {
        DWORD written = 0;
        if (WriteFile(Handle(file), next + total, PieceOf(count - total), &written, nullptr) == 0 || written == 0) {
            break;
        }
        total += written;
    }
    return total;
}

bool OsClose(OsFile file)
{
    return CloseHandle(Handle(file)) != 0;
}

std::optional<std::int64_t> OsFileSize(OsFile file)
{
    LARGE_INTEGER size = {};
    if (GetFileType(Handle(file)) != FILE_TYPE_DISK || GetFileSizeEx(Handle(file), &size) == 0) {
        return std::nullopt;
    }
    return size.QuadPart;
}

bool OsSameRegularFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION firstInformation = {};
    BY_HANDLE_FILE_INFORMATION secondInformation = {};
    if (!GetIdentity(first, firstInformation) || !GetIdentity(second, secondInformation)) {
        return false;
    }
    return firstInformation.dwVolumeSerialNumber == secondInformation.dwVolumeSerialNumber &&
           firstInformation.nFileIndexHigh == secondInformation.nFileIndexHigh &&
           firstInformation.nFileIndexLow == secondInformation.nFileIndexLow;
}

void OsLockFiles()
{
    AcquireSRWLockExclusive(&fileLock);
}

void OsUnlockFiles()
{
    ReleaseSRWLockExclusive(&fileLock);
}
