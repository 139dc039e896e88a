// POSIX backend: Linux, macOS and the BSDs. Parameters are the argv elements;
// the terminal's hang-up (SIGHUP) is the console going away. SIGHUP, the one
// signal caught, restarts the calls it interrupts (SA_RESTART), so no call here
// fails with EINTR.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "platform.hpp"

namespace {

// Global, since the SIGHUP handler needs it: what to call before the process ends.
OsCloseCallback closeCallback = nullptr;

// The process's own arguments, kept from its start: the platform's, not the
// run's.
int argumentCount = 0;
char** argumentVector = nullptr;

// Global, since the SIGHUP handler needs them: the file service is in the
// middle of an operation, and a SIGHUP that arrives then is only noted, to be
// acted on when the operation is over.
volatile std::sig_atomic_t filesBusy = 0;
volatile std::sig_atomic_t hangupPending = 0;

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

// Lets the close callback close the files, then ends the process as SIGHUP's
// default action ends it.
[[noreturn]] void EndByHangup()
{
    if (closeCallback != nullptr) {
        closeCallback();
    }
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigaction(SIGHUP, &action, nullptr);
    sigset_t hangup;
    sigemptyset(&hangup);
    sigaddset(&hangup, SIGHUP);
    sigprocmask(SIG_UNBLOCK, &hangup, nullptr);
    raise(SIGHUP);
    _exit(EXIT_FAILURE); // not reached: the default action ends the process
}

// Async-signal-safe: the close path only writes and closes descriptors.
void HangupHandler(int)
{
    if (filesBusy != 0) {
        hangupPending = 1;
        return;
    }
    EndByHangup();
}

// Writes until every byte is out or a write fails; returns the bytes written.
// Pipes and terminals may take less than offered.
std::size_t WriteAll(int descriptor, const char* bytes, std::size_t count)
{
    std::size_t total = 0;
    while (total < count) {
        const ssize_t written = write(descriptor, bytes + total, count - total);
        if (written <= 0) {
            break;
        }
        total += static_cast<std::size_t>(written); // positive here
    }
    return total;
}

// Descriptors are what POSIX hands out as OsFile, so they fit an int.
int Descriptor(OsFile file)
{
    return static_cast<int>(file);
}

// Canonical, echoed terminal input with signal keys, like a console's line mode.
void SetLineInputMode()
{
    struct termios mode = {};
    if (tcgetattr(kStandardInput, &mode) != 0) {
        return;
    }
    const tcflag_t wanted = ICANON | ECHO | ISIG;
    if ((mode.c_lflag & wanted) != wanted) {
        mode.c_lflag |= wanted;
        tcsetattr(kStandardInput, TCSANOW, &mode);
    }
}

} // namespace

void OsStartPlatform(int argc, char** argv)
{
    argumentCount = argc;
    argumentVector = argv;
    // A closed pipe on standard output makes writes fail instead of ending the
    // run before the output files are complete.
    signal(SIGPIPE, SIG_IGN);
}

std::optional<std::string> OsParameter(std::int32_t index)
{
    if (index < 0 || argumentVector == nullptr || index >= argumentCount - 1) {
        return std::nullopt;
    }
    return argumentVector[index + 1];
}

void OsOpenConsole(const std::string& title, OsCloseCallback onClose)
{
    closeCallback = onClose;
    struct sigaction action = {};
    action.sa_handler = HangupHandler;
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
    if (!title.empty() && isatty(kStandardOutput) == 1) {
        const std::string sequence = "\x1b]0;" + title + "\x07";
        WriteAll(kStandardOutput, sequence.data(), sequence.size());
    }
}

void OsWriteConsole(const std::string& line)
{
    WriteAll(kStandardOutput, line.data(), line.size());
}

OsConsoleRead OsReadConsoleLine(std::string& line)
{
    if (isatty(kStandardInput) != 1) {
        return OsConsoleRead::kNotAConsole;
    }
    SetLineInputMode();
    char buffer[kConsoleReadBytes];
    const ssize_t delivered = read(kStandardInput, buffer, sizeof buffer);
    if (delivered < 0) {
        return OsConsoleRead::kNotAConsole;
    }
    if (delivered == 0) {
        return OsConsoleRead::kEnd;
    }
    std::size_t length = static_cast<std::size_t>(delivered); // positive here
    if (buffer[length - 1] == '\n') {
        length -= 1;
        if (length > 0 && buffer[length - 1] == '\r') {
            length -= 1;
        }
    }
    line.assign(buffer, length);
    return OsConsoleRead::kLine;
}

OsInputStatus OsReadInput(char* buffer, std::size_t room, std::size_t& delivered)
{
    const ssize_t count = read(kStandardInput, buffer, room);
    if (count <= 0) {
        return count == 0 ? OsInputStatus::kEnd : OsInputStatus::kFailed;
    }
    delivered = static_cast<std::size_t>(count); // positive here
    return OsInputStatus::kData;
}

void OsExitProcess(int exitCode)
{
    _exit(exitCode);
}

void OsLowerCase(std::string& text)
{
    for (char& character : text) {
        if (character >= 'A' && character <= 'Z') {
            character = static_cast<char>(character - 'A' + 'a'); // a letter again
        }
    }
}

OsFile OsOpenExisting(const std::string& name)
{
    const int descriptor = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status = {};
    if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        close(descriptor); // nothing to close when the open failed
        return kNoOsFile;
    }
    return descriptor;
}

OsFile OsCreateOrEmpty(const std::string& name)
{
    int descriptor = open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        descriptor = open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    }
    return descriptor; // -1 on failure, which is kNoOsFile
}

// One read: a pipe may deliver less than asked before its end.
std::size_t OsRead(OsFile file, void* bytes, std::size_t count)
{
    const ssize_t delivered = read(Descriptor(file), bytes, count);
    return static_cast<std::size_t>(std::max<ssize_t>(delivered, 0)); // a failure reads as the end
}

std::size_t OsWrite(OsFile file, const void* bytes, std::size_t count)
{
    return WriteAll(Descriptor(file), static_cast<const char*>(bytes), count); // the caller's bytes, counted
}

bool OsClose(OsFile file)
{
    // After an interrupted close the descriptor's state is unspecified; it is
    // not retried, to avoid closing a descriptor reused meanwhile.
    return close(Descriptor(file)) == 0;
}

std::optional<std::int64_t> OsFileSize(OsFile file)
{
    struct stat status = {};
    if (fstat(Descriptor(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return status.st_size;
}

bool OsSameRegularFile(const std::string& first, const std::string& second)
{
    struct stat firstStatus = {};
    struct stat secondStatus = {};
    if (stat(first.c_str(), &firstStatus) != 0 || stat(second.c_str(), &secondStatus) != 0) {
        return false;
    }
    return S_ISREG(firstStatus.st_mode) && S_ISREG(secondStatus.st_mode) && firstStatus.st_dev == secondStatus.st_dev &&
           firstStatus.st_ino == secondStatus.st_ino;
}

void OsLockFiles()
{
    filesBusy = 1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

void OsUnlockFiles()
{
    std::atomic_signal_fence(std::memory_order_seq_cst);
    filesBusy = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (hangupPending != 0) {
        EndByHangup();
    }
}
