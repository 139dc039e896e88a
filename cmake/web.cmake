# The WebAssembly build (the web preset, Debian's emscripten). A program built
# here runs as a command under Node: pixmold_node_command(target) gives it the
# real file system (NODERAWFS, with runtime/platform_node.js), compiles it at
# its start as Node 20 needs it, and lets its memory grow to wasm32's 4 GiB.
set(PIXMOLD_NODE_PLATFORM ${PROJECT_SOURCE_DIR}/runtime/platform_node.js)

function(pixmold_node_command target)
  if(EMSCRIPTEN)
    target_link_options(${target} PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sWASM_ASYNC_COMPILATION=0
                        -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB --pre-js ${PIXMOLD_NODE_PLATFORM})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PIXMOLD_NODE_PLATFORM})
  endif()
endfunction()
