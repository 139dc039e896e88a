#include "files.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform.hpp"

namespace {

enum Direction : std::int32_t { kWriting = 0, kReading = 1 };

struct FileRecord {
    OsFile osFile = kNoOsFile;
    std::unique_ptr<std::uint8_t[]> buffer; // none: the file works unbuffered
    std::int32_t size = 0;
    // Reading: buffered bytes not yet consumed. Writing: free bytes left.
    std::int32_t count = 0;
    // Reading: bytes the last fill delivered; the next byte is buffer[filled - count].
    std::int32_t filled = 0;
    std::int32_t direction = kReading;
    // A read found the end of the file: later reads give zeros without asking
    // the operating system again, until the file is written.
    bool endReached = false;
    bool writeFailed = false;
    std::uint32_t serial = 0;
};

// The open files, in the order they were opened.
std::vector<FileRecord> fileTable;
std::uint32_t lastSerial = 0;

// Keeps the close event out while one file operation runs.
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
            return record.osFile == kNoOsFile ? nullptr : &record;
        }
    }
    return nullptr;
}

FileHandle Register(OsFile osFile)
{
    if (osFile == kNoOsFile) {
        return FileHandle();
    }
    FileRecord record;
    record.osFile = osFile;
    record.buffer.reset(new (std::nothrow) std::uint8_t[kFileBufferSize]);
    record.size = kFileBufferSize;
    lastSerial = lastSerial == UINT32_MAX ? 1 : lastSerial + 1;
    record.serial = lastSerial;
    fileTable.push_back(std::move(record));
    return FileHandle{lastSerial};
}

std::int32_t WriteToSystem(FileRecord& record, const std::uint8_t* bytes, std::int32_t count)
{
    const std::int32_t written = OsWrite(record.osFile, bytes, count);
    if (written != count) {
        record.writeFailed = true;
    }
    return written;
}

std::int32_t FlushFile(FileRecord& record)
{
    if (record.direction != kWriting || !record.buffer) {
        return 0;
    }
    const std::int32_t pending = record.size - record.count;
    record.count = record.size;
    return WriteToSystem(record, record.buffer.get(), pending);
}

std::int32_t ReadFromSystem(FileRecord& record, std::uint8_t* bytes, std::int32_t count)
{
    if (record.endReached) {
        return 0;
    }
    const std::int32_t delivered = OsRead(record.osFile, bytes, count);
    if (delivered <= 0) {
        record.endReached = true;
        return 0;
    }
    return delivered;
}

// Pushes out the bytes buffered for writing, so that the buffer serves reading.
void SwitchToReading(FileRecord& record)
{
    if (record.direction == kWriting) {
        FlushFile(record);
        record.direction = kReading;
        record.count = 0;
    }
}

void ReadBuffered(FileRecord& record, std::uint8_t* bytes, std::int32_t wanted)
{
    SwitchToReading(record);
    if (record.count >= wanted) {
        std::memcpy(bytes, &record.buffer[static_cast<std::size_t>(record.filled - record.count)],
                    static_cast<std::size_t>(wanted));
        record.count -= wanted;
        return;
    }
    const std::int32_t copied = record.count;
    std::memcpy(bytes, &record.buffer[static_cast<std::size_t>(record.filled - record.count)],
                static_cast<std::size_t>(copied));
    const std::int32_t rest = wanted - copied;
    record.count = 0;
    const std::int32_t delivered = ReadFromSystem(record, record.buffer.get(), record.size);
    record.count = delivered;
    record.filled = delivered;
    const std::int32_t taken = std::min(delivered, rest);
    std::memcpy(bytes + copied, record.buffer.get(), static_cast<std::size_t>(taken));
    record.count -= taken;
}

// Reads an item of 1, 2 or 4 bytes and assembles it little-endian.
std::uint32_t ReadItem(FileHandle handle, std::int32_t wanted)
{
    FileServiceGuard guard;
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return 0;
    }
    if (record->buffer) {
        ReadBuffered(*record, bytes, wanted);
    } else {
        ReadFromSystem(*record, bytes, wanted);
    }
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::int32_t WriteBytes(FileRecord& record, const std::uint8_t* bytes, std::int32_t count)
{
    record.endReached = false;
    if (!record.buffer) {
        return WriteToSystem(record, bytes, count);
    }
    if (record.direction == kReading) {
        // Only a created file is written, and it is read only at its end (the
        // buffer is flushed first): no read-ahead is left to give back.
        record.direction = kWriting;
        record.count = record.size;
    }
    if (record.count > count) {
        std::memcpy(&record.buffer[static_cast<std::size_t>(record.size - record.count)], bytes,
                    static_cast<std::size_t>(count));
        record.count -= count;
        return count;
    }
    FlushFile(record);
    if (count >= record.size) {
        return WriteToSystem(record, bytes, count);
    }
    std::memcpy(record.buffer.get(), bytes, static_cast<std::size_t>(count));
    record.count -= count;
    return count;
}

// Writes a text of any length in pieces the operating system accepts.
std::int64_t WriteText(FileRecord& record, const Text& text)
{
    constexpr std::size_t kPiece = 1U << 30;
    std::int64_t written = 0;
    for (std::size_t offset = 0; offset < text.size(); offset += kPiece) {
        const std::size_t piece = std::min(kPiece, text.size() - offset);
        written += WriteBytes(record, reinterpret_cast<const std::uint8_t*>(text.data()) + offset,
                              static_cast<std::int32_t>(piece));
    }
    return written;
}

int CloseRecord(FileRecord& record)
{
    FlushFile(record);
    const int closed = OsClose(record.osFile);
    record.osFile = kNoOsFile;
    return closed == 1 && !record.writeFailed ? 1 : 0;
}

// Flushes and closes every file still open, in the order they were opened.
void CloseOpenRecords()
{
    for (FileRecord& record : fileTable) {
        if (record.osFile != kNoOsFile) {
            CloseRecord(record);
        }
    }
}

} // namespace

FileHandle OpenInputFile(const Text& name)
{
    FileServiceGuard guard;
    return Register(OsOpenExisting(name));
}

FileHandle CreateOutputFile(const Text& name)
{
    FileServiceGuard guard;
    return Register(OsCreateOrEmpty(name));
}

std::int32_t ReadInt8(FileHandle handle)
{
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(ReadItem(handle, 1)));
}

std::int32_t ReadInt16(FileHandle handle)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(ReadItem(handle, 2)));
}

std::int32_t ReadInt32(FileHandle handle)
{
    return static_cast<std::int32_t>(ReadItem(handle, 4));
}

void ReadBytes(FileHandle handle, std::uint8_t* bytes, std::int64_t count)
{
    FileServiceGuard guard;
    std::int64_t done = 0;
    FileRecord* record = Resolve(handle);
    if (record != nullptr && !record->buffer) {
        while (done < count) {
            const std::int32_t piece = static_cast<std::int32_t>(std::min<std::int64_t>(count - done, kFileBufferSize));
            const std::int32_t delivered = ReadFromSystem(*record, bytes + done, piece);
            done += delivered;
            if (delivered < piece) {
                break;
            }
        }
    } else if (record != nullptr) {
        SwitchToReading(*record);
        while (done < count) {
            if (record->count == 0) {
                const std::int32_t delivered = ReadFromSystem(*record, record->buffer.get(), record->size);
                record->count = delivered;
                record->filled = delivered;
                if (delivered == 0) {
                    break;
                }
            }
            const std::int32_t taken = static_cast<std::int32_t>(std::min<std::int64_t>(count - done, record->count));
            std::memcpy(bytes + done, &record->buffer[static_cast<std::size_t>(record->filled - record->count)],
                        static_cast<std::size_t>(taken));
            record->count -= taken;
            done += taken;
        }
    }
    if (done < count) {
        std::memset(bytes + done, 0, static_cast<std::size_t>(count - done));
    }
}

std::int32_t WriteInt8(FileHandle handle, std::int32_t value)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return 0;
    }
    const std::uint8_t byte = static_cast<std::uint8_t>(value & 0xFF);
    return WriteBytes(*record, &byte, 1);
}

std::int32_t WriteBlock(FileHandle handle, const std::uint8_t* bytes, std::int32_t count)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr || count <= 0) {
        return 0;
    }
    return WriteBytes(*record, bytes, count);
}

std::int64_t WriteLine(FileHandle handle, const Text& text)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return 0;
    }
    static const std::uint8_t kLineEnd[] = {13, 10};
    const std::int64_t written = WriteText(*record, text);
    return written + WriteBytes(*record, kLineEnd, sizeof kLineEnd);
}

int CloseFile(FileHandle handle)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    if (record == nullptr) {
        return 0;
    }
    const int result = CloseRecord(*record);
    fileTable.erase(fileTable.begin() + (record - fileTable.data()));
    return result;
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

std::int64_t FileSizeOf(FileHandle handle)
{
    FileServiceGuard guard;
    FileRecord* record = Resolve(handle);
    return record == nullptr ? -1 : OsFileSize(record->osFile);
}

int SameRegularFile(const Text& first, const Text& second)
{
    return OsSameRegularFile(first, second);
}
