// The operating-system calls the runtime services are built on. Each platform
// implements them in its own file (platform_posix.cpp, platform_windows.cpp);
// runtime/CMakeLists.txt picks the one that is compiled. The interface speaks
// in plain strings and depends on nothing else of the project: what the
// platform calls back is handed to it.
#pragma once

#include <cstdint>
#include <string>

// An operating-system file handle; kNoOsFile names none.
using OsFile = std::intptr_t;
constexpr OsFile kNoOsFile = -1;

// Called for a console control event, possibly from a signal handler or
// another thread; its result is the platform's "handled" answer.
using OsControlHandler = int (*)(std::uint32_t eventType);
// The event type for a closed console (on POSIX, SIGHUP).
constexpr std::uint32_t kOsCloseEvent = 2;

// Outcome of reading a line from an interactive console.
enum OsConsoleRead { kNotAConsole = 0, kConsoleLine = 1, kConsoleEnd = 2 };

// Outcome of one read from redirected standard input.
enum OsInputStatus { kInputData = 0, kInputEnd = 1, kInputFailed = 2 };

// Process start: keeps the argument vector where the platform hands one over.
void OsStartPlatform(int argc, char** argv);

// Parameter index (0 = the first after the program's path); 1 when it exists.
int OsParameter(std::int32_t index, std::string& parameter);

// Registers handler for console control events and shows the title where the
// platform can.
void OsOpenConsole(const std::string& title, OsControlHandler handler);

// Writes the bytes of one whole line to standard output and pushes them out.
void OsWriteConsole(const std::string& line);

// Reads one edited line from an interactive console, without its line end;
// kConsoleEnd for the end-of-input key alone. kNotAConsole when standard input
// is not an interactive console, so the caller reads it as a byte stream.
OsConsoleRead OsReadConsoleLine(std::string& line);

// Reads up to room bytes of redirected standard input; kInputData comes with
// at least one byte, the end of the input as kInputEnd.
std::int32_t OsReadInput(char* buffer, std::int32_t room, OsInputStatus& status);

[[noreturn]] void OsExitProcess();

void OsLowerCase(std::string& text);

// Opens an existing file read-only; folders are refused.
OsFile OsOpenExisting(const std::string& name);

// Creates or empties a file for reading and writing, falling back to emptying an
// existing file write-only.
OsFile OsCreateOrEmpty(const std::string& name);

// Both return the number of bytes moved, 0 on failure.
std::int32_t OsRead(OsFile file, void* bytes, std::int32_t count);
std::int32_t OsWrite(OsFile file, const void* bytes, std::int32_t count);

// 1 when the operating system closed the file without reporting an error.
int OsClose(OsFile file);

// The file's size in bytes, or -1 when it has none (a pipe, a terminal).
std::int64_t OsFileSize(OsFile file);

// 1 when both names lead to one and the same existing regular file.
int OsSameRegularFile(const std::string& first, const std::string& second);

// Brackets every file-service operation, so that the console close event never
// meets a file record half updated.
void OsLockFiles();
void OsUnlockFiles();
