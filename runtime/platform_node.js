// Node beneath the POSIX platform (platform_posix.cpp) in the WebAssembly
// build. Emscripten's file system on Node's (NODERAWFS) takes every standard
// stream for a terminal and every file it opens for one that can seek; Node
// knows better. A standard stream is a terminal only where Node sees one (else
// the console's title would go into a redirected console), and only a regular
// file seeks (a named pipe is read where it stands, not at a position).
// Runs before the file system starts (a --pre-js file's preRun).
Module.preRun = (Module.preRun || []).concat(() => {
  const createStandardStreams = FS.createStandardStreams;
  FS.createStandardStreams = function () {
    createStandardStreams.apply(this, arguments);
    for (const descriptor of [0, 1, 2]) {
      FS.streams[descriptor].tty = require("tty").isatty(descriptor);
    }
  };
  const open = FS.open;
  FS.open = function () {
    const stream = open.apply(this, arguments);
    stream.seekable = require("fs").fstatSync(stream.nfd).isFile();
    return stream;
  };
});
