// Windows backend: the console and file calls of the Win32 interface, in the
// 8-bit (ANSI) code page.
#include <windows.h>

#include "command_line.hpp"
#include "platform.hpp"

namespace {

HANDLE inputHandle = INVALID_HANDLE_VALUE;
HANDLE outputHandle = INVALID_HANDLE_VALUE;

// The close event arrives on a thread of the system's; it waits here until a
// file operation of the main thread is over.
SRWLOCK fileLock = SRWLOCK_INIT;

// Called for console control events; set by OsOpenConsole before they are caught.
OsControlHandler controlHandler = nullptr;

HANDLE Handle(OsFile file)
{
    return reinterpret_cast<HANDLE>(file);
}

OsFile ToOsFile(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? kNoOsFile : reinterpret_cast<OsFile>(handle);
}

BOOL WINAPI ControlHandlerThunk(DWORD eventType)
{
    return controlHandler != nullptr && controlHandler(eventType) != 0 ? TRUE : FALSE;
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

int OsParameter(std::int32_t index, std::string& parameter)
{
    const char* commandLine = GetCommandLineA();
    return CommandLineParameter(commandLine == nullptr ? std::string() : std::string(commandLine), index, parameter);
}

void OsOpenConsole(const std::string& title, OsControlHandler handler)
{
    controlHandler = handler;
    inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    SetConsoleCtrlHandler(ControlHandlerThunk, TRUE);
    if (!title.empty()) {
        SetConsoleTitleA(title.c_str());
    }
}

void OsWriteConsole(const std::string& line)
{
    const DWORD length = static_cast<DWORD>(line.size());
    DWORD written = 0;
    if (WriteConsoleA(outputHandle, line.data(), length, &written, nullptr) == 0) {
        WriteFile(outputHandle, line.data(), length, &written, nullptr);
    }
    FlushFileBuffers(outputHandle);
}

OsConsoleRead OsReadConsoleLine(std::string& line)
{
    SetConsoleMode(inputHandle, ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT);
    char buffer[4096];
    DWORD delivered = 0;
    if (ReadConsoleA(inputHandle, buffer, sizeof buffer, &delivered, nullptr) != 1) {
        return kNotAConsole;
    }
    std::size_t length = delivered;
    if (length >= 2 && buffer[length - 2] == '\r') {
        length -= 2;
    }
    if (length == 1 && buffer[0] == '\x1a') {
        return kConsoleEnd;
    }
    line.assign(buffer, length);
    return kConsoleLine;
}

std::int32_t OsReadInput(char* buffer, std::int32_t room, OsInputStatus& status)
{
    DWORD delivered = 0;
    if (ReadFile(inputHandle, buffer, static_cast<DWORD>(room), &delivered, nullptr) == 0) {
        status = GetLastError() == ERROR_BROKEN_PIPE ? kInputEnd : kInputFailed;
        return 0;
    }
    status = delivered == 0 ? kInputEnd : kInputData;
    return static_cast<std::int32_t>(delivered);
}

void OsExitProcess()
{
    ExitProcess(0);
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

std::int32_t OsRead(OsFile file, void* bytes, std::int32_t count)
{
    DWORD delivered = 0;
    if (ReadFile(Handle(file), bytes, static_cast<DWORD>(count), &delivered, nullptr) == 0) {
        return 0;
    }
    return static_cast<std::int32_t>(delivered);
}

std::int32_t OsWrite(OsFile file, const void* bytes, std::int32_t count)
{
    DWORD written = 0;
    if (WriteFile(Handle(file), bytes, static_cast<DWORD>(count), &written, nullptr) == 0) {
        return 0;
    }
    return static_cast<std::int32_t>(written);
}

int OsClose(OsFile file)
{
    return CloseHandle(Handle(file)) != 0 ? 1 : 0;
}

std::int64_t OsFileSize(OsFile file)
{
    LARGE_INTEGER size = {};
    if (GetFileType(Handle(file)) != FILE_TYPE_DISK || GetFileSizeEx(Handle(file), &size) == 0) {
        return -1;
    }
    return static_cast<std::int64_t>(size.QuadPart);
}

int OsSameRegularFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION firstInformation = {};
    BY_HANDLE_FILE_INFORMATION secondInformation = {};
    if (!GetIdentity(first, firstInformation) || !GetIdentity(second, secondInformation)) {
        return 0;
    }
    return firstInformation.dwVolumeSerialNumber == secondInformation.dwVolumeSerialNumber &&
                   firstInformation.nFileIndexHigh == secondInformation.nFileIndexHigh &&
                   firstInformation.nFileIndexLow == secondInformation.nFileIndexLow
               ? 1
               : 0;
}

void OsLockFiles()
{
    AcquireSRWLockExclusive(&fileLock);
}

void OsUnlockFiles()
{
    ReleaseSRWLockExclusive(&fileLock);
}
