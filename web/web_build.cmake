# zelmor_add_web_build(TARGET BINARY_DIR): a target of the desktop build that
# configures and builds the web edition with Emscripten in BINARY_DIR (the
# pages land in BINARY_DIR/site).  Shared by the browser tests' set-up.
include_guard(GLOBAL)

function(zelmor_add_web_build target binary_dir)
  find_program(emxx em++ REQUIRED)
  get_filename_component(em_root ${emxx} REALPATH)
  get_filename_component(em_root ${em_root} DIRECTORY)
  set(toolchain ${em_root}/cmake/Modules/Platform/Emscripten.cmake)
  if(NOT EXISTS ${toolchain})
    message(FATAL_ERROR "no Emscripten CMake toolchain at ${toolchain}")
  endif()
  # Debian's emscripten runs its JavaScript tools with the node found first
  # on PATH, which must see Debian's node modules (acorn and friends).
  set(node_path /usr/share/nodejs)
  if(DEFINED ENV{NODE_PATH} AND NOT "$ENV{NODE_PATH}" STREQUAL "")
    set(node_path "${node_path}:$ENV{NODE_PATH}")
  endif()
  add_custom_target(${target} ALL
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${node_path}
            ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR} -B ${binary_dir}
            -DCMAKE_TOOLCHAIN_FILE=${toolchain} -DCMAKE_BUILD_TYPE=Release
    COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${node_path}
            ${CMAKE_COMMAND} --build ${binary_dir} --parallel 2
    COMMENT "Building the web edition with Emscripten"
    USES_TERMINAL
    VERBATIM)
endfunction()
