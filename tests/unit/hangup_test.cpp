// The console close event on POSIX is SIGHUP: buffered output reaches the files,
// then the process ends as SIGHUP's default action ends it. Each case runs in a
// child process, since the signal ends it.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "runtime/console.hpp"
#include "runtime/files.hpp"
#include "runtime/platform.hpp"
#include "test_support.hpp"

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
        EXPECT_EQ(std::string(said, length > 0 ? static_cast<std::size_t>(length) : 0), duringAnOperation ? "held" : "");
        EXPECT_EQ(ReadWholeFile(folder.PathOf("first")) + ReadWholeFile(folder.PathOf("second")), lines + "\r\nx");
    }
}
