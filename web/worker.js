// The page's worker: one conversion per message, each in a new instance of
// the module (fresh memory), so that one sheet never spoils the next; the
// compiled module is kept and instantiated again. A long conversion runs
// here, never in the page's own thread.
"use strict";
importScripts("pixmold-page.js");

const compiled = fetch("pixmold-page.wasm")
  .then((response) => {
    if (!response.ok) {
      throw new Error(`pixmold-page.wasm could not be loaded: ${response.status} ${response.statusText}`);
    }
    return response.arrayBuffer();
  })
  .then((bytes) => WebAssembly.compile(bytes));

function instanceOf(module) {
  return createPixmold({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module));
      return {};
    },
  });
}

// data: {parameters: [string], files: [{name, bytes}]}; answers {result} as
// the converter gives it, or {failure} when the module itself failed.
onmessage = async ({ data }) => {
  try {
    const pixmold = await instanceOf(await compiled);
    const result = pixmold.convert(data.parameters, data.files);
    postMessage({ result }, result.files.map((file) => file.bytes.buffer));
  } catch (error) {
    postMessage({ failure: String(error) });
  }
};
