// The operating-system calls the runtime services are built on. Each platform
// implements them in its own file (platform_posix.cpp, platform_windows.cpp);
// runtime/CMakeLists.txt picks the one that is compiled. The interface speaks
// in plain strings and byte counts and depends on nothing else of the project:
// what the platform calls back is handed to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// An operating-system file handle; kNoOsFile names none.
using OsFile = std::intptr_t;
constexpr OsFile kNoOsFile = -1;

// Called once when the console goes away (its window is closed, or on POSIX
// the terminal hangs up), possibly from a signal handler or another thread.
// The process ends right after it returns.
using OsCloseCallback = void (*)();

// The most bytes one read of the console, or of redirected standard input,
// asks for.
constexpr std::size_t kConsoleReadBytes = 4096;

// Outcome of reading a line from an interactive console.
enum class OsConsoleRead { kNotAConsole, kLine, kEnd };

// Outcome of one read from redirected standard input.
enum class OsInputStatus { kData, kEnd, kFailed };

// Process start: keeps the argument vector where the platform hands one over.
void OsStartPlatform(int argc, char** argv);

// Parameter index (0 = the first after the program's path); none when there
// is none.
std::optional<std::string> OsParameter(std::int32_t index);

// Shows the title where the platform can, and has onClose called when the
// console goes away.
void OsOpenConsole(const std::string& title, OsCloseCallback onClose);

// Writes the bytes of one whole line to standard output and pushes them out.
void OsWriteConsole(const std::string& line);

// Reads one edited line from an interactive console, without its line end;
// kEnd for the end-of-input key alone. kNotAConsole when standard input is not
// an interactive console, so the caller reads it as a byte stream.
OsConsoleRead OsReadConsoleLine(std::string& line);

// Reads up to room bytes of redirected standard input: kData with the count
// delivered (at least one byte), kEnd at the end of the input.
OsInputStatus OsReadInput(char* buffer, std::size_t room, std::size_t& delivered);

[[noreturn]] void OsExitProcess(int exitCode);

void OsLowerCase(std::string& text);

// Opens an existing file read-only; folders are refused.
OsFile OsOpenExisting(const std::string& name);

// Creates or empties a file for reading and writing, falling back to emptying an
// existing file write-only.
OsFile OsCreateOrEmpty(const std::string& name);

// Both return the number of bytes moved. A read delivers at least one byte
// before the end of the file (a pipe may deliver fewer than asked); 0 means
// the end or a failure. A write moves fewer than count only on a failure.
std::size_t OsRead(OsFile file, void* bytes, std::size_t count);
std::size_t OsWrite(OsFile file, const void* bytes, std::size_t count);

// True when the operating system closed the file without reporting an error.
bool OsClose(OsFile file);

// The file's size in bytes; none for a pipe or a terminal.
std::optional<std::int64_t> OsFileSize(OsFile file);

// True when both names lead to one and the same existing regular file.
bool OsSameRegularFile(const std::string& first, const std::string& second);

// Brackets every file-service operation, so that the close callback never
// meets a file record half updated.
void OsLockFiles();
void OsUnlockFiles();
