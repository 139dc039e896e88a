#include "files.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform.hpp"

namespace {

enum class Direction { kWriting, kReading };

struct FileRecord {
    OsFile osFile = kNoOsFile;
    std::array<std::uint8_t, kFileBufferSize> buffer;
    // Reading: buffered bytes not yet consumed. Writing: free bytes left.
    std::size_t count = 0;
    // Reading: bytes the last fill delivered; the next byte is buffer[filled - count].
    std::size_t filled = 0;
    Direction direction = Direction::kReading;
    // A read found the end of the file: later reads give zeros without asking
    // the operating system again, until the file is written.
    bool endReached = false;
    bool writeFailed = false;
    std::uint32_t serial = 0;
    bool open = false;
    // A file of the memory volume: its place there, and the bytes read so far.
    std::optional<std::size_t> memoryFile;
    std::size_t memoryRead = 0;
};

// Global, since the close callback must reach every open file: the files in
// the order they were opened. A closed file keeps its record, which resolves
// to nothing; a run opens four files at most.
std::vector<FileRecord> fileTable;
std::uint32_t lastSerial = 0;
// The files of a run without a process, when there is one.
std::vector<MemoryFile>* memoryVolume = nullptr;

// Keeps the close callback out while one file operation runs.
struct FileServiceGuard {
    FileServiceGuard() { OsLockFiles(); }
    ~FileServiceGuard() { OsUnlockFiles(); }
    FileServiceGuard(const FileServiceGuard&) = delete;
    FileServiceGuard& operator=(const FileServiceGuard&) = delete;
};

FileRecord* Resolve(FileHandle handle)
{
    if (IsNullHandle(handle)) {
        return nullptr;
    }
    for (FileRecord& record : fileTable) {
        if (record.serial == handle.serial) {
            return record.open ? &record : nullptr;
        }
    }
    return nullptr;
}

FileHandle Register(OsFile osFile, std::optional<std::size_t> memoryFile = std::nullopt)
{
    if (osFile == kNoOsFile && !memoryFile) {
        return FileHandle();
    }
    FileRecord& record = fileTable.emplace_back();
    record.osFile = osFile;
    record.memoryFile = memoryFile;
    record.open = true;
    lastSerial = lastSerial == UINT32_MAX ? 1 : lastSerial + 1;
    record.serial = lastSerial;
    return FileHandle{lastSerial};
}

// The place of the named file in the memory volume.
std::optional<std::size_t> FindMemoryFile(const Text& name)
{
    for (std::size_t place = 0; place < memoryVolume->size(); place += 1) {
        if (TextEquals((*memoryVolume)[place].name, name)) {
            return place;
        }
    }
    return std::nullopt;
}

std::size_t ReadFromSource(FileRecord& record, std::uint8_t* bytes, std::size_t count)
{
    if (!record.memoryFile) {
        return OsRead(record.osFile, bytes, count);
    }
    const std::vector<std::uint8_t>& stored = (*memoryVolume)[*record.memoryFile].bytes;
    const std::size_t delivered = std::min(count, stored.size() - record.memoryRead);
    std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(record.memoryRead), delivered, bytes);
    record.memoryRead += delivered;
    return delivered;
}

std::size_t WriteToSystem(FileRecord& record, const void* bytes, std::size_t count)
{
    std::size_t written = count;
    if (record.memoryFile) {
        const std::uint8_t* first = static_cast<const std::uint8_t*>(bytes); // the caller's bytes
        std::vector<std::uint8_t>& stored = (*memoryVolume)[*record.memoryFile].bytes;
        stored.insert(stored.end(), first, first + count);
    } else {
        written = OsWrite(record.osFile, bytes, count);
    }
    if (written != count) {
        record.writeFailed = true;
    }
    return written;
}

void FlushFile(FileRecord& record)
{
    if (record.direction == Direction::kWriting) {
        const std::size_t pending = kFileBufferSize - record.count;
        record.count = kFileBufferSize;
        WriteToSystem(record, record.buffer.data(), pending);
    }
}

// Refills the buffer with one read; false at the end of the file.
bool FillBuffer(FileRecord& record)
{
    const std::size_t delivered = record.endReached ? 0 : ReadFromSource(record, record.buffer.data(), kFileBufferSize);
    record.endReached = delivered == 0;
    record.count = record.filled = delivered;
    return delivered > 0;
}

// Pushes out the bytes buffered for writing, so that the buffer serves reading.
void SwitchToReading(FileRecord& record)
{
    if (record.direction == Direction::kWriting) {
        FlushFile(record);
        record.direction = Direction::kReading;
        record.count = record.filled = 0; // nothing buffered for reading
    }
}

// Fills the buffer up to count unconsumed bytes (at most its size), moving
// those left to its start; fewer only at the end of the file.
std::size_t FillAhead(FileRecord& record, std::size_t count)
{
    SwitchToReading(record);
    std::memmove(record.buffer.data(), &record.buffer[record.filled - record.count], record.count);
    record.filled = record.count;
    while (record.filled < count && !record.endReached) {
        const std::size_t room = kFileBufferSize - record.filled;
        const std::size_t delivered = ReadFromSource(record, &record.buffer[record.filled], room);
        record.endReached = delivered == 0;
        record.filled += delivered;
    }
    record.count = record.filled;
    return std::min(count, record.count);
}

// Up to count bytes through the buffer; fewer only at the end of the file.
std::size_t ReadThroughBuffer(FileRecord& record, std::uint8_t* bytes, std::size_t count)
{
    SwitchToReading(record);
    std::size_t done = 0;
    while (done < count && (record.count > 0 || FillBuffer(record))) {
        const std::size_t taken = std::min(count - done, record.count);
        std::memcpy(bytes + done, &record.buffer[record.filled - record.count], taken);
        record.count -= taken;
        done += taken;
    }
    return done;
}

// Reads an item of 1, 2 or 4 bytes and assembles it little-endian.
std::uint32_t ReadItem(FileHandle handle, std::size_t size)
{
    std::uint8_t bytes[sizeof(std::uint32_t)];
    ReadBytes(handle, bytes, size);
    std::uint32_t item = 0;
    for (std::size_t byte = size; byte > 0; byte -= 1) {
        item = item << 8 | bytes[byte - 1];
    }
    return item;
}

std::size_t WriteBytes(FileRecord& record, const void* bytes, std::size_t count)
{
    record.endReached = false;
    if (record.direction == Direction::kReading) {
        // Only a created file is written, and it is read only at its end (the
        // buffer is flushed first): no read-ahead is left to give back.
        record.direction = Direction::kWriting;
        record.count = kFileBufferSize;
    }
    if (record.count > count) {
        std::memcpy(&record.buffer[kFileBufferSize - record.count], bytes, count);
        record.count -= count;
        return count;
    }
    FlushFile(record);
    if (count >= kFileBufferSize) {
        return WriteToSystem(record, bytes, count);
    }
    std::memcpy(record.buffer.data(), bytes, count);
    record.count -= count;
    return count;
}

bool CloseRecord(FileRecord& record)
{
    FlushFile(record);
    const bool closed = record.memoryFile || OsClose(record.osFile);
    record.osFile = kNoOsFile;
    record.open = false;
    return closed && !record.writeFailed;
}

// Flushes and closes every file still open, in the order they were opened.
void CloseOpenRecords()
{
    for (FileRecord& record : fileTable) {
        if (record.open) {
            CloseRecord(record);
        }
    }
}

} // namespace

void UseMemoryFiles(std::vector<MemoryFile>* volume)
{
    memoryVolume = volume;
}

FileHandle OpenInputFile(const Text& name)
{
    FileServiceGuard guard;
    if (memoryVolume != nullptr) {
        return Register(kNoOsFile, FindMemoryFile(name));
    }
    return Register(OsOpenExisting(name));
}

FileHandle CreateOutputFile(const Text& name)
{
    FileServiceGuard guard;
    if (memoryVolume != nullptr) {
        std::optional<std::size_t> place = FindMemoryFile(name);
        if (place) {
            (*memoryVolume)[*place].bytes.clear();
        } else {
            place = memoryVolume->size();
            memoryVolume->push_back({name, {}});
        }
        return Register(kNoOsFile, place);
    }
    return Register(OsCreateOrEmpty(name));
}

// The casts sign-extend the item from its own width.
std::int32_t ReadInt8(FileHandle handle)
{
    return static_cast<std::int8_t>(ReadItem(handle, 1));
}

std::int32_t ReadInt16(FileHandle handle)
{
    return static_cast<std::int16_t>(ReadItem(handle, 2));
}

std::int32_t ReadInt32(FileHandle handle)
{
    return static_cast<std::int32_t>(ReadItem(handle, 4));
}

std::size_t ReadBytes(FileHandle handle, void* bytes, std::size_t count)
{
    FileServiceGuard guard;
    std::uint8_t* destination = static_cast<std::uint8_t*>(bytes); // the caller's bytes, counted
    FileRecord* record = Resolve(handle);
    const std::size_t done = record == nullptr ? 0 : ReadThroughBuffer(*record, destination, count);
    std::fill(destination + done, destination + count, std::uint8_t{0});
    return done;
}

std::size_t PeekBytes(FileHandle handle, void* bytes, std::size_t count)
{
    FileServiceGuard guard;
    std::uint8_t* destination = static_cast<std::uint8_t*>(bytes); // the caller's bytes, counted
    FileRecord* record = Resolve(handle);
    const std::size_t done = record == nullptr ? 0 : FillAhead(*record, std::min(count, kFileBufferSize));
    std::copy_n(record == nullptr ? destination : record->buffer.data(), done, destination);
    std::fill(destination + done, destination + count, std::uint8_t{0});
    return done;
}

std::size_t WriteBlock(FileHandle handle, const void* bytes, std::size_t count)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    return record == nullptr || count == 0 ? 0 : WriteBytes(*record, bytes, count);
}

std::size_t WriteInt8(FileHandle handle, std::int32_t value)
{
    const std::uint8_t byte = static_cast<std::uint8_t>(value & 0xFF); // the low 8 bits
    return WriteBlock(handle, &byte, 1);
}

std::size_t WriteLine(FileHandle handle, const Text& text)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return 0;
    }
    const std::size_t written = WriteBytes(*record, text.data(), text.size());
    return written + WriteBytes(*record, "\r\n", 2);
}

bool CloseFile(FileHandle handle)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return false;
    }
    return CloseRecord(*record);
}

void CloseAllFiles()
{
    FileServiceGuard guard;
    CloseOpenRecords();
    fileTable.clear();
}

void CloseAllFilesOnClose()
{
    // The lock is kept: the process ends, and no file operation may start again.
    OsLockFiles();
    CloseOpenRecords();
}

std::optional<std::int64_t> FileSizeOf(FileHandle handle)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return std::nullopt;
    }
    if (record->memoryFile) {
        return std::ssize((*memoryVolume)[*record->memoryFile].bytes);
    }
    return OsFileSize(record->osFile);
}

bool SameRegularFile(const Text& first, const Text& second)
{
    if (memoryVolume != nullptr) {
        return TextEquals(first, second) && FindMemoryFile(first).has_value();
    }
    return OsSameRegularFile(first, second);
}
