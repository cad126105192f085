# Shared by scripts/web and scripts/test-web: installs what the web build needs and builds the
# program for a web page into build-web/, with glslang and SPIRV-Cross built for WebAssembly
# (scripts/cross_build.sh).
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/cross_build.sh"

PRESET=web
OUT="$ROOT/build-web"
PLATFORM_CMAKE=(emcmake cmake)
# The one-file page as the repository keeps it.
SINGLE_PAGE="$ROOT/docs/shadow-demo.html"
# emcc needs Debian's node modules (acorn), which Debian's node does not look in by default.
export NODE_PATH=/usr/share/nodejs

build_web_deps() {
    dep_cmake_install glslang "${GLSLANG_OPTIONS[@]}"
    dep_cmake_install spirv-cross -DCMAKE_CXX_FLAGS=-fexceptions "${SPIRV_CROSS_OPTIONS[@]}"
}

# file_sizes FILE: its size, raw and gzipped.
file_sizes() {
    echo "$(stat -c %s "$1") bytes, $(gzip -9 -c "$1" | wc -c) gzipped"
}

# Builds the page into build-web/: index.html, shadow-demo.js, .wasm and .data (the shaders); and
# the same page as one file, shadow-demo.html.
build_web() {
    ensure_packages "${WEB_PACKAGES[@]}"
    build_deps_once "Web: glslang and SPIRV-Cross for WebAssembly" build_web_deps \
        glslang spirv-cross
    build_program
}
