# Linux: the runtime as the shared libraries clients link, as they would NVIDIA's. libCg.so has the
# core and the translator (glslang, SPIRV-Tools and SPIRV-Cross inside, hidden); libCgGL.so the GL
# binding. Both export the Cg calls and nothing else but the one table between them
# (src/shared/CgInternal.h). The translator child, cg-translator, lives in cg/ beside libCg.so, in
# the build tree (build/lib) and installed alike, and libCg finds it from its own location.
set(CG_SHARED ${CMAKE_CURRENT_SOURCE_DIR}/src/shared)
set(CG_LIBRARY_DIR ${CMAKE_BINARY_DIR}/lib)
set(CG_EXPORTS_HEADER ${CG_SHARED}/CgExports.h)

# Hidden visibility and position-independent code throughout, so that the same objects make the
# shared libraries and the static ones (for the tests that reach into the runtime's internals);
# the runtime's sources see the Cg calls declared visible.
function(cg_shareable target)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(NOT target STREQUAL cg_translator)
    target_compile_options(${target} PRIVATE -include ${CG_EXPORTS_HEADER})
  endif()
endfunction()
foreach(target cg_translator cg_core_objects cg_gl_objects)
  cg_shareable(${target})
endforeach()

add_executable(cg-translator ${PLATFORMS}/linux/CgTranslatorMain.cpp)
target_link_libraries(cg-translator PRIVATE cg_translator)
set_target_properties(cg-translator PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CG_LIBRARY_DIR}/cg)
add_dependencies(cg_runtime cg-translator)

# Every symbol resolved at link time (a call across the two libraries that the table lacks fails
# here, not in a client), the static libraries' symbols hidden, exports as the version script says.
function(cg_shared_library target map)
  cg_shareable(${target})
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CG_LIBRARY_DIR}
    LINK_DEPENDS ${map})
  target_include_directories(${target} PRIVATE include src/runtime ${EPOXY_INCLUDE_DIRS})
  target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL
    -Wl,--version-script=${map} -Wl,-soname,lib${target}.so)
endfunction()

add_library(Cg SHARED $<TARGET_OBJECTS:cg_core_objects> ${CG_SHARED}/CgInternalCg.cpp
  ${CG_SHARED}/CgStartAhead.cpp)
cg_shared_library(Cg ${CG_SHARED}/libCg.map)
target_link_libraries(Cg PRIVATE cg_translator)
add_dependencies(Cg cg-translator)

add_library(CgGL SHARED $<TARGET_OBJECTS:cg_gl_objects> ${CG_SHARED}/CgInternalGL.cpp)
cg_shared_library(CgGL ${CG_SHARED}/libCgGL.map)
target_include_directories(CgGL PRIVATE $<TARGET_PROPERTY:cg_translator,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(CgGL PRIVATE Cg PkgConfig::EPOXY)
# libCg beside it, wherever the two are.
set_target_properties(CgGL PROPERTIES INSTALL_RPATH "$ORIGIN")

# What a client of the build links: the two libraries and the public headers, nothing else.
add_library(cg_api INTERFACE)
target_include_directories(cg_api INTERFACE include)
target_link_libraries(cg_api INTERFACE CgGL Cg)

# Installed as people install libraries: lib/, include/Cg, pkg-config files, and the child in
# lib/cg.
install(TARGETS Cg CgGL LIBRARY DESTINATION lib)
install(TARGETS cg-translator RUNTIME DESTINATION lib/cg)
install(FILES include/Cg/cg.h include/Cg/cgGL.h DESTINATION include/Cg)
foreach(module cg cggl)
  configure_file(${CG_SHARED}/${module}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${module}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${module}.pc DESTINATION lib/pkgconfig)
endforeach()
