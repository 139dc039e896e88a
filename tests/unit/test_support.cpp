#include "test_support.hpp"

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "runtime/console.hpp"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::atomic<int> folderCounter{0};

} // namespace

TemporaryFolder::TemporaryFolder()
{
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; attempt += 1) {
        path = base / ("pixmold-unit-" + std::to_string(std::filesystem::file_time_type::clock::now()
                                                             .time_since_epoch()
                                                             .count()) +
                       "-" + std::to_string(folderCounter++));
        if (std::filesystem::create_directory(path)) {
            return;
        }
        if (attempt > 100) {
            throw std::runtime_error("no temporary folder");
        }
    }
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string TemporaryFolder::PathOf(const std::string& name) const
{
    return (path / name).string();
}

std::string ReadWholeFile(const std::string& name)
{
    std::ifstream stream(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& name, const std::string& bytes)
{
    std::ofstream stream(name, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RedirectStandardInput(const std::string& bytes)
{
#if defined(_WIN32)
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, nullptr, 65536);
    DWORD written = 0;
    if (!bytes.empty()) {
        WriteFile(writeEnd, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    CloseHandle(writeEnd);
    SetStdHandle(STD_INPUT_HANDLE, readEnd);
#else
    int ends[2];
    if (pipe(ends) != 0) {
        throw std::runtime_error("no pipe");
    }
    if (!bytes.empty() && write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("short pipe write");
    }
    close(ends[1]);
    dup2(ends[0], 0);
    close(ends[0]);
#endif
    OpenConsoleSession(Text()); // picks up the new standard input
}
