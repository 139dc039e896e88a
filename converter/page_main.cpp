// The entry of the page (web/worker.js): one conversion in memory, without a
// process, for the parameters a command line would give and the files they
// name.
#include <emscripten/bind.h>

#include <utility>

#include "converter/driver.hpp"

namespace {

using emscripten::val;

// A copy of bytes as a Uint8Array of JavaScript's own.
val Bytes(const std::vector<std::uint8_t>& bytes)
{
    return val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<val>("slice");
}

// parameters: an array of strings; files: an array of {name, bytes}. Gives
// {exitCode, lines, files}: the console's lines and every file of the run,
// the ones given first.
val Convert(val parameters, val files)
{
    std::vector<MemoryFile> volume;
    for (const val& file : emscripten::vecFromJSArray<val>(files)) {
        volume.push_back({file["name"].as<std::string>(),
                          emscripten::convertJSArrayToNumberVector<std::uint8_t>(file["bytes"])});
    }
    const MemoryRun run = RunInMemory(emscripten::vecFromJSArray<std::string>(parameters), std::move(volume));
    val lines = val::array();
    for (const Text& line : run.console.lines) {
        lines.call<void>("push", line);
    }
    val written = val::array();
    for (const MemoryFile& file : run.files) {
        val entry = val::object();
        entry.set("name", file.name);
        entry.set("bytes", Bytes(file.bytes));
        written.call<void>("push", entry);
    }
    val result = val::object();
    result.set("exitCode", run.exitCode);
    result.set("lines", lines);
    result.set("files", written);
    return result;
}

} // namespace

EMSCRIPTEN_BINDINGS(pixmold)
{
    emscripten::function("convert", &Convert);
}
