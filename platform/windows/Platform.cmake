# Windows, cross-built with MinGW-w64: static freeglut and libepoxy (built by scripts/windows)
# over Windows' OpenGL and GLU, DevIL's three calls as on the web, and this folder's headers
# where MinGW's differ. One .exe that needs only Windows' own DLLs.
string(APPEND CMAKE_EXE_LINKER_FLAGS " -static")
target_include_directories(gl_deps INTERFACE ${CMAKE_CURRENT_LIST_DIR}/include
  ${SHADOW_DEPS}/include)
target_compile_definitions(gl_deps INTERFACE FREEGLUT_STATIC)
target_link_libraries(gl_deps INTERFACE ${SHADOW_DEPS}/lib/libfreeglut_static.a
  ${SHADOW_DEPS}/lib/libepoxy.a glu32 opengl32 gdi32 winmm)
target_include_directories(shadow_core PUBLIC ${PLATFORMS}/common/include)
# The window watch subclasses the window's procedure.
target_link_libraries(shadow_core PUBLIC comctl32)
set_target_properties(shadow-demo PROPERTIES LINK_FLAGS_RELEASE -s)

# The tests run under Wine (the emulator), each in a process of its own as on Linux, and are listed
# when CTest runs rather than at build time, when Wine may not be ready.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
# M_PI for the tests and the benchmark, which MinGW's math.h declares in strict C++ only when
# asked.
add_compile_definitions(_USE_MATH_DEFINES)
