// The POSIX console: lines typed at a terminal, and its hang-up (SIGHUP), on
// which buffered output reaches the files before the process ends as SIGHUP's
// default action ends it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "runtime/console.hpp"
#include "runtime/files.hpp"
#include "runtime/platform.hpp"
#include "test_support.hpp"

// Each case runs in a child process, since the signal ends it. It comes
// before any test that starts a thread: in a child forked after that, the
// 32-bit AddressSanitizer runtime cannot find the main thread's stack.
TEST(Hangup, FlushesEveryFileAndEndsBySighup)
{
    const std::string lines(3000, 'l');
    for (const bool duringAnOperation : {false, true}) {
        TemporaryFolder folder;
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t child = fork();
        if (child == 0) {
            OpenConsoleSession("");
            WriteLine(CreateOutputFile(folder.PathOf("first")), lines);
            WriteInt8(CreateOutputFile(folder.PathOf("second")), 'x');
            if (duringAnOperation) { // the signal waits until the operation ends, then acts
                OsLockFiles();
            }
            raise(SIGHUP);
            static_cast<void>(write(report[1], "held", 4));
            OsUnlockFiles();
            _exit(99);
        }
        close(report[1]);
        char said[8] = {};
        const ssize_t length = read(report[0], said, sizeof said);
        close(report[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << status;
        EXPECT_EQ(std::string(said, length > 0 ? static_cast<std::size_t>(length) : 0),
                  duringAnOperation ? "held" : "");
        EXPECT_EQ(ReadWholeFile(folder.PathOf("first")) + ReadWholeFile(folder.PathOf("second")), lines + "\r\nx");
    }
}

// A pseudo-terminal as standard input, in raw mode without echo: ReadLine must
// set the line mode itself, echo what is typed and give each line without its
// line end, and the end of input for Ctrl+D alone.
TEST(TerminalReadLine, TypedLines)
{
    const int controller = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(controller >= 0 && grantpt(controller) == 0 && unlockpt(controller) == 0);
    const int terminal = open(ptsname(controller), O_RDWR | O_NOCTTY);
    struct termios mode = {};
    tcgetattr(terminal, &mode);
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    mode.c_iflag &= ~static_cast<tcflag_t>(ICRNL); // a CR arrives as typed
    tcsetattr(terminal, TCSANOW, &mode);
    const int input = dup(0);
    dup2(terminal, 0);
    const std::pair<std::string, std::string> typed[] = {
        {"abc\n", "abc"}, {"x\r\n", "x"}, {"\n", ""}, {"\r\n", ""}, {"y\x04", "y"}, {"\x04", kEndOfInput}};
    for (const auto& [keys, line] : typed) {
        std::thread typist([&, keys = keys] {
            while (tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ICANON) == 0) {
                usleep(1000);
            }
            static_cast<void>(write(controller, keys.data(), keys.size()));
        });
        EXPECT_EQ(ReadLine(), line) << keys;
        typist.join();
    }
    char echo[64] = {};
    EXPECT_EQ(std::string(echo, static_cast<std::size_t>(read(controller, echo, sizeof echo))).substr(0, 3), "abc");
    dup2(input, 0);
    close(input);
    close(terminal);
    close(controller);
}
