# The demo as people install it, and the packages CPack makes of it (`cpack` in the build folder):
# on Linux a .deb with the demo and the Cg runtime (its shared libraries, headers and pkg-config
# files, whose install rules are cg/Shared.cmake's), on Windows the zip. The program reads its
# shaders at ../src/ShadowMapping/resource/cg/ from its working folder; each layout keeps that true.
set(SHADERS ${PROJECT_SOURCE_DIR}/src/ShadowMapping/resource/cg/vp_ShadowMapping.cg
  ${PROJECT_SOURCE_DIR}/src/ShadowMapping/resource/cg/fp_ShadowMapping.cg)

set(CPACK_PACKAGE_NAME shadow-demo)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "shadow-demo maintainers")
set(CPACK_PACKAGE_CONTACT
  "shadow-demo maintainers <maintainers@users.noreply.c-seed-3ea68dd4.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Shadow-mapping demo on an open runtime for NVIDIA's Cg shading language")
# Lines of at most 80 characters, as Debian's control files want them.
set(CPACK_PACKAGE_DESCRIPTION
  "A small scene lit by one light, its shadows drawn with a shadow map, walked
through with the keyboard. Its shaders are Cg programs, run by an open
implementation of NVIDIA's Cg runtime that translates Cg to GLSL.
.
The package also holds that runtime as other programs use it: the shared
libraries libCg and libCgGL with their translator program, the Cg headers and
pkg-config files (cg, cggl).")
set(CPACK_STRIP_FILES ON)

if(PLATFORM STREQUAL linux)
  # Under the prefix (/usr in the .deb): bin/shadow-demo starts the program, libexec/shadow-demo/,
  # in share/shadow-demo/src, the folder whose parent holds src/ShadowMapping/resource/cg/. The
  # libraries are in lib/, two folders up from the program, wherever the tree is.
  install(TARGETS shadow-demo RUNTIME DESTINATION libexec/shadow-demo)
  set_target_properties(shadow-demo PROPERTIES INSTALL_RPATH "$ORIGIN/../../lib")
  install(PROGRAMS ${PLATFORMS}/linux/shadow-demo-launcher DESTINATION bin RENAME shadow-demo)
  install(FILES ${SHADERS} DESTINATION share/shadow-demo/src/ShadowMapping/resource/cg)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # libCg and libCgGL are found in the package itself, not among the installed ones.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
  # NVIDIA's Cg packages ship libraries of the same names and the same two headers.
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS "libcg, libcggl, nvidia-cg-dev")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS pkg-config)
  # The linker's cache learns of the two libraries through dpkg's trigger, as Debian's own
  # library packages have it.
  file(WRITE ${CMAKE_BINARY_DIR}/deb/triggers "activate-noawait ldconfig\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/deb/triggers)

  # The .deb made, installed with apt-get and used: the demo run, the libraries found through
  # pkg-config. One at a time: it installs into the system and shows the demo's window. Not of a
  # sanitizer build, which is no package anyone installs.
  if(SHADOW_TESTS AND NOT SHADOW_SANITIZE)
    add_test(NAME Package.Deb COMMAND ${PROJECT_SOURCE_DIR}/tests/package/check-package
      ${PROJECT_BINARY_DIR})
    set_tests_properties(Package.Deb PROPERTIES LABELS package TIMEOUT 600 RUN_SERIAL TRUE)
  endif()
elseif(PLATFORM STREQUAL windows)
  # One folder, shadow-demo/, with the program in build/ beside src/: a double-click on
  # shadow-demo.exe starts it in its own folder, from where the shaders are where it reads them.
  install(TARGETS shadow-demo RUNTIME DESTINATION shadow-demo/build)
  install(FILES ${SHADERS} DESTINATION shadow-demo/src/ShadowMapping/resource/cg)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME shadow-demo-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # The web's page is served, not installed.
  return()
endif()

include(CPack)
