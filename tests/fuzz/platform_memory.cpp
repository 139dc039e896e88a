#include "platform_memory.hpp"

#include <algorithm>
#include <cstring>

#include "runtime/platform.hpp"

namespace {

struct MemoryFile {
    Text name;
    MemoryBytes bytes;
};

struct OpenMemoryFile {
    std::size_t file = 0;     // index into memoryFiles
    std::size_t position = 0; // next byte to read or write
    bool open = false;
    bool writable = false;
};

std::vector<MemoryFile> memoryFiles;
std::vector<OpenMemoryFile> openFiles; // OsFile is the index
std::vector<Text> memoryParameters;
Text consoleText;
std::uint64_t consoleBytes = 0;
std::int64_t diskRoom = -1;

MemoryFile* FindFile(const Text& name)
{
    for (MemoryFile& file : memoryFiles) {
        if (file.name == name) {
            return &file;
        }
    }
    return nullptr;
}

OpenMemoryFile* Resolve(OsFile file)
{
    if (file < 0 || static_cast<std::size_t>(file) >= openFiles.size()) {
        return nullptr;
    }
    OpenMemoryFile& record = openFiles[static_cast<std::size_t>(file)];
    return record.open ? &record : nullptr;
}

OsFile OpenFile(std::size_t file, bool writable)
{
    OpenMemoryFile record;
    record.file = file;
    record.open = true;
    record.writable = writable;
    openFiles.push_back(record);
    return static_cast<OsFile>(openFiles.size() - 1);
}

} // namespace

void ResetMemoryPlatform()
{
    memoryFiles.clear();
    openFiles.clear();
    memoryParameters.clear();
    consoleText.clear();
    consoleBytes = 0;
    diskRoom = -1;
}

void PutMemoryFile(const Text& name, const std::uint8_t* bytes, std::size_t count)
{
    MemoryFile* file = FindFile(name);
    if (file == nullptr) {
        memoryFiles.push_back(MemoryFile{name, MemoryBytes()});
        file = &memoryFiles.back();
    }
    file->bytes.assign(bytes, bytes + count);
}

const MemoryBytes* FindMemoryFile(const Text& name)
{
    const MemoryFile* file = FindFile(name);
    return file == nullptr ? nullptr : &file->bytes;
}

void SetMemoryParameters(const std::vector<Text>& parameters)
{
    memoryParameters = parameters;
}

void SetMemoryDiskRoom(std::int64_t room)
{
    diskRoom = room;
}

const Text& MemoryConsoleText()
{
    return consoleText;
}

std::uint64_t MemoryConsoleBytes()
{
    return consoleBytes;
}

void OsStartPlatform(int, char**)
{
}

int OsParameter(std::int32_t index, Text& parameter)
{
    if (index < 0 || static_cast<std::size_t>(index) >= memoryParameters.size()) {
        return 0;
    }
    parameter = memoryParameters[static_cast<std::size_t>(index)];
    return 1;
}

void OsOpenConsole(const Text&)
{
}

void OsWriteConsole(const Text& line)
{
    consoleBytes += line.size();
    if (consoleText.size() < kMemoryConsoleKept) {
        consoleText.append(line, 0, std::min(line.size(), kMemoryConsoleKept - consoleText.size()));
    }
}

int OsReadConsoleLine(Text&)
{
    return 0;
}

// Standard input is always empty: every ReadLine sees the end of input at
// once, so no pending input is left over from one run to the next.
std::int32_t OsReadInput(char*, std::int32_t, OsInputStatus& status)
{
    status = kInputEnd;
    return 0;
}

void OsExitProcess()
{
    MemoryProcessEnd end;
    for (const OpenMemoryFile& record : openFiles) {
        end.filesLeftOpen += record.open ? 1 : 0;
    }
    throw end;
}

void OsLowerCase(Text& text)
{
    for (char& character : text) {
        if (character >= 'A' && character <= 'Z') {
            character = static_cast<char>(character - 'A' + 'a');
        }
    }
}

OsFile OsOpenExisting(const Text& name)
{
    const MemoryFile* file = FindFile(name);
    if (file == nullptr) {
        return kNoOsFile;
    }
    return OpenFile(static_cast<std::size_t>(file - memoryFiles.data()), false);
}

OsFile OsCreateOrEmpty(const Text& name)
{
    MemoryFile* file = FindFile(name);
    if (file == nullptr) {
        memoryFiles.push_back(MemoryFile{name, MemoryBytes()});
        file = &memoryFiles.back();
    }
    file->bytes.clear();
    return OpenFile(static_cast<std::size_t>(file - memoryFiles.data()), true);
}

std::int32_t OsRead(OsFile file, void* bytes, std::int32_t count)
{
    OpenMemoryFile* record = Resolve(file);
    if (record == nullptr || count <= 0) {
        return 0;
    }
    const MemoryBytes& data = memoryFiles[record->file].bytes;
    if (record->position >= data.size()) {
        return 0;
    }
    const std::size_t moved = std::min(static_cast<std::size_t>(count), data.size() - record->position);
    std::memcpy(bytes, data.data() + record->position, moved);
    record->position += moved;
    return static_cast<std::int32_t>(moved);
}

std::int32_t OsWrite(OsFile file, const void* bytes, std::int32_t count)
{
    OpenMemoryFile* record = Resolve(file);
    if (record == nullptr || !record->writable || count <= 0) {
        return 0;
    }
    MemoryBytes& data = memoryFiles[record->file].bytes;
    std::size_t moved = static_cast<std::size_t>(count);
    const std::size_t end = record->position + moved;
    if (diskRoom >= 0 && end > data.size()) {
        const std::size_t growth = std::min(end - data.size(), static_cast<std::size_t>(diskRoom));
        moved = data.size() + growth > record->position ? data.size() + growth - record->position : 0;
        diskRoom -= static_cast<std::int64_t>(growth);
    }
    if (record->position + moved > data.size()) {
        data.resize(record->position + moved);
    }
    std::memcpy(data.data() + record->position, bytes, moved);
    record->position += moved;
    return static_cast<std::int32_t>(moved);
}

void OsMoveBack(OsFile file, std::int32_t count)
{
    OpenMemoryFile* record = Resolve(file);
    if (record != nullptr && count > 0) {
        record->position -= std::min(record->position, static_cast<std::size_t>(count));
    }
}

int OsClose(OsFile file)
{
    OpenMemoryFile* record = Resolve(file);
    if (record == nullptr) {
        return 0;
    }
    record->open = false;
    return 1;
}

std::int64_t OsFileSize(OsFile file)
{
    const OpenMemoryFile* record = Resolve(file);
    return record == nullptr ? -1 : static_cast<std::int64_t>(memoryFiles[record->file].bytes.size());
}

// Names are the identity of memory files: equal names, same file.
int OsSameRegularFile(const Text& first, const Text& second)
{
    return first == second && FindFile(first) != nullptr ? 1 : 0;
}

void OsLockFiles()
{
}

void OsUnlockFiles()
{
}
