# The browser build (configured with emcmake by scripts/build-web): the game alone, compiled to
# WebAssembly against Emscripten's own SDL, with Graphics/ and the two fonts packed into grimvale.data.
# The page that loads it, and every file served beside it as it is, live in web/site/, written by
# hand: scripts/build-web copies them into build-web/.

# The desktop's controller file is left out: in the browser the page reads gamepads (platform_web.cpp).
set(web_sources ${GRIMVALE_CORE_SOURCES})
list(REMOVE_ITEM web_sources src/platform/pad.cpp)
add_executable(grimvale src/shell/main.cpp ${web_sources} src/platform/platform_web.cpp
  src/platform/controls_web.cpp)
target_include_directories(grimvale PRIVATE src)
target_compile_options(grimvale PRIVATE -Wall -Wextra)

# The fonts are packed under the same relative paths the desktop game opens, into grimvale.data.
# The pictures are not: scripts/build-web puts them in the page's pack as PNG files of the same pixels
# under their .bmp names (made by web/tools), and the page decodes them while the pack streams in and
# hands them to the emulated SDL, which loads a picture from what the page decoded (its
# preloadedImages), or from its size while it is still on its way (web/surfaces.js). The runtime
# exits when the game ends, so the page hears of it through Module.onExit. The runtime is the
# lighter one: the small allocator, text decoded by the browser alone, and no code made at run time
# (docs/performance.md weighs each). The page calls the game's main() itself (callMain), in a task
# after the runtime's own setting up (web/site/unpack.js).
set(GRIMVALE_WEB_FILES
  "${PROJECT_SOURCE_DIR}/data/font1@/data/font1"
  "${PROJECT_SOURCE_DIR}/data/font2@/data/font2")
set(web_link_options
  -sENVIRONMENT=web
  -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1
  -sMALLOC=emmalloc
  -sTEXTDECODER=2
  -sDYNAMIC_EXECUTION=0
  -sEXPORTED_RUNTIME_METHODS=callMain
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/web/listeners.js")
foreach(files ${GRIMVALE_WEB_FILES})
  list(APPEND web_link_options "SHELL:--preload-file ${files}")
endforeach()
target_link_options(grimvale PRIVATE ${web_link_options})

# The emulated SDL's surface making, without its per-byte copies (web/surfaces.js).
target_link_options(grimvale PRIVATE "SHELL:--js-library ${PROJECT_SOURCE_DIR}/web/surfaces.js")
set_property(TARGET grimvale APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/web/surfaces.js)

# Relink when a packed file changes.
file(GLOB_RECURSE packed_files "${PROJECT_SOURCE_DIR}/data/font1/*" "${PROJECT_SOURCE_DIR}/data/font2/*")
set_property(TARGET grimvale APPEND PROPERTY LINK_DEPENDS ${packed_files} ${PROJECT_SOURCE_DIR}/web/listeners.js)
