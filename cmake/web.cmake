# The browser build: WebAssembly + WebGL2 + Web Audio under Debian's emscripten (emcmake cmake).
# Configured by scripts/web.sh; the same subsystems as the native build, each platform service in
# its web flavour (chosen in its own CMakeLists.txt with if(EMSCRIPTEN)). Emscripten's ports do not
# work offline, so nothing here asks for one.
#
#   VM_WEB_PRODUCTION   the production folder packed with the page (mounted as the page's current
#                       folder); its effects baked beforehand by the native effect baker
#   VM_WEB_OUT          where index.html, vessmark.js, vessmark.wasm and vessmark.data are written
set(VM_WEB_PRODUCTION "" CACHE PATH "Production folder packed into the page (effects baked)")
set(VM_WEB_OUT "${CMAKE_BINARY_DIR}/page" CACHE PATH "Folder the page is written to")
if(NOT IS_DIRECTORY "${VM_WEB_PRODUCTION}")
  message(FATAL_ERROR "VM_WEB_PRODUCTION must name the production folder to pack (scripts/web.sh)")
endif()

# Debian's single-header stb, seen as <stb/...> without the rest of the host's /usr/include.
find_path(VM_STB_DIR stb/stb_image.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(stb_link ${CMAKE_BINARY_DIR}/stb-include/stb)
if(NOT EXISTS ${stb_link})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stb-include)
  file(CREATE_LINK ${VM_STB_DIR}/stb ${stb_link} SYMBOLIC)
endif()
add_library(vm_web_stb INTERFACE)
target_include_directories(vm_web_stb SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/stb-include)

# C++ exceptions carry the demo's fatal errors to its entry function; they unwind through the
# frames that Asyncify suspends, which the JS-based exception support allows.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

foreach(dir platform/math platform/file platform/image platform/gfx platform/fx platform/audio platform/ui
            sync display scene_core resources filters scenes driver)
  add_subdirectory(src/${dir})
endforeach()
