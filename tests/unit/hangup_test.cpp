// The console close event on POSIX is SIGHUP: buffered output reaches the
// files, then the process ends as SIGHUP's default action ends it. Each case
// runs in a child process, since the signal ends it.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "runtime/console.hpp"
#include "runtime/files.hpp"
#include "runtime/platform.hpp"
#include "test_support.hpp"

namespace {

enum class HangupMoment { BetweenOperations, DuringAnOperation };

constexpr int kChildSurvived = 99;

// In the child: writes two files with buffered lines, then hangs up. Reports
// "alive" on the pipe when the signal was held back during the operation.
[[noreturn]] void HangUpWhileWriting(const TemporaryFolder& folder, HangupMoment moment, int reportPipe)
{
    OpenConsoleSession("");
    const FileHandle first = CreateOutputFile(folder.PathOf("first.txt"));
    const FileHandle second = CreateOutputFile(folder.PathOf("second.txt"));
    for (int line = 0; line < 1000; line += 1) {
        WriteLine(first, "line " + std::to_string(line));
    }
    WriteInt8(second, 'x');
    if (moment == HangupMoment::DuringAnOperation) {
        OsLockFiles();
        raise(SIGHUP);
        const ssize_t reported = write(reportPipe, "alive", 5);
        static_cast<void>(reported);
        OsUnlockFiles();
    } else {
        raise(SIGHUP);
    }
    _exit(kChildSurvived);
}

std::string ExpectedFirstFile()
{
    std::string bytes;
    for (int line = 0; line < 1000; line += 1) {
        bytes += "line " + std::to_string(line) + "\r\n";
    }
    return bytes;
}

} // namespace

TEST(Hangup, FlushesEveryFileAndEndsBySighup)
{
    const struct {
        HangupMoment moment;
        const char* report;
    } cases[] = {
        {HangupMoment::BetweenOperations, ""},
        {HangupMoment::DuringAnOperation, "alive"},
    };
    for (const auto& c : cases) {
        TemporaryFolder folder;
        int reportPipe[2];
        ASSERT_EQ(pipe(reportPipe), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(reportPipe[0]);
            HangUpWhileWriting(folder, c.moment, reportPipe[1]);
        }
        close(reportPipe[1]);
        char report[16] = {};
        const ssize_t reported = read(reportPipe[0], report, sizeof report - 1);
        close(reportPipe[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << "status " << status;
        EXPECT_EQ(std::string(report, reported > 0 ? static_cast<std::size_t>(reported) : 0), c.report);
        EXPECT_EQ(ReadWholeFile(folder.PathOf("first.txt")), ExpectedFirstFile());
        EXPECT_EQ(ReadWholeFile(folder.PathOf("second.txt")), "x");
    }
}
