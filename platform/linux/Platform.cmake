# Linux: Debian's libepoxy, freeglut, GLU and DevIL, and X11 for the window watch.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
find_package(GLUT REQUIRED)
find_package(X11 REQUIRED)
find_package(DevIL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)

target_link_libraries(gl_deps INTERFACE PkgConfig::EPOXY OpenGL::GLU GLUT::GLUT OpenGL::GL)
target_link_libraries(shadow_core PUBLIC DevIL::IL DevIL::ILU DevIL::ILUT X11::X11)

# It saves its pictures with DevIL, which only Linux has in full.
add_subdirectory(${PROJECT_SOURCE_DIR}/tools/lightview ${PROJECT_BINARY_DIR}/tools/lightview)
# Counts the frames the demo shows, for the scripts that run it under a tool.
add_subdirectory(${PROJECT_SOURCE_DIR}/tools/frame-counter ${PROJECT_BINARY_DIR}/tools/frame-counter)
