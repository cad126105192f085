# The web: Emscripten's GL, drawn by its legacy GL emulation on WebGL 1, with this folder's
# stand-ins for what the desktop gets from libepoxy, freeglut and GLU, DevIL's three calls from
# platform/common, and glslang and SPIRV-Cross built for WebAssembly (scripts/web).
set(WEB ${CMAKE_CURRENT_LIST_DIR})
# SPIRV-Cross reports what it cannot translate by throwing, and the translator catches it.
string(APPEND CMAKE_CXX_FLAGS " -fexceptions")

# The calls the emulation gets wrong or lacks, done as desktop GL does them.
add_library(web_gl STATIC
  ${WEB}/WebGL.cpp ${WEB}/Immediate.cpp ${WEB}/Glu.cpp ${WEB}/Shapes.cpp)
target_include_directories(web_gl PRIVATE ${WEB}/include)
target_include_directories(gl_deps INTERFACE ${WEB}/include)
target_link_libraries(gl_deps INTERFACE web_gl)
target_include_directories(shadow_core PUBLIC ${PLATFORMS}/common/include)

set(SHADERS ${PROJECT_SOURCE_DIR}/src/ShadowMapping/resource/cg)
set(PAGE_LINK_OPTIONS
  -fexceptions
  -sLEGACY_GL_EMULATION=1
  -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1
  # The main loop flushes what a frame printed (main_loop.js).
  -sEXPORTED_FUNCTIONS=_main,_fflush
  -sENVIRONMENT=web
  --js-library ${WEB}/main_loop.js
  --pre-js ${WEB}/pre.js)

# page(TARGET LINK_OPTIONS...): the program linked for a page.
function(page target)
  target_link_options(${target} PRIVATE ${PAGE_LINK_OPTIONS} ${ARGN})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${WEB}/main_loop.js ${WEB}/pre.js
    ${SHADERS}/vp_ShadowMapping.cg ${SHADERS}/fp_ShadowMapping.cg)
endfunction()

# The served page: index.html loads shadow-demo.js, which fetches the .wasm and the shaders' .data
# package beside it.
page(shadow-demo --preload-file ${SHADERS}@/src/ShadowMapping/resource/cg)
file(READ ${WEB}/index.html PAGE)
string(REPLACE "{{{ SCRIPT }}}" "<script async src=\"shadow-demo.js\"></script>" PAGE "${PAGE}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/index.html CONTENT "${PAGE}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${WEB}/index.html)

# The same page as one file that opens from disk: a page loaded from file:// may fetch nothing, so
# the WebAssembly and the shaders travel inside the script, and the script inside the page. Built in
# a folder of its own, since emcc writes and deletes a shadow-demo.js on the way.
add_executable(shadow-demo-single src/main.cpp)
target_link_libraries(shadow-demo-single PRIVATE shadow_core)
page(shadow-demo-single -sSINGLE_FILE=1 -sMINIFY_HTML=0 --shell-file ${WEB}/index.html
  "SHELL:--pre-js ${WEB}/single_file.js"
  --embed-file ${SHADERS}@/src/ShadowMapping/resource/cg)
set_target_properties(shadow-demo-single PROPERTIES OUTPUT_NAME shadow-demo SUFFIX .html
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/single)
set_property(TARGET shadow-demo-single APPEND PROPERTY LINK_DEPENDS ${WEB}/index.html
  ${WEB}/single_file.js ${WEB}/pack_wasm.py)
# The WebAssembly travels gzipped inside the page, which unpacks it as it compiles it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(TARGET shadow-demo-single POST_BUILD
  COMMAND Python3::Interpreter ${WEB}/pack_wasm.py ${CMAKE_BINARY_DIR}/single/shadow-demo.html
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/single/shadow-demo.html ${CMAKE_BINARY_DIR}/)
