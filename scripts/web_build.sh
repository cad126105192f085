# Shared by scripts/web and scripts/test-web: installs what the web build needs and builds the
# program for a web page into build-web/. glslang and SPIRV-Cross are built for WebAssembly from
# Debian's own source packages, once: later builds find them in build-web/deps/.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/debian_sources.sh"

WEB_OUT="$ROOT/build-web"
WEB_DEPS="$WEB_OUT/deps"
# The one-file page as the repository keeps it.
SINGLE_PAGE="$ROOT/docs/shadow-demo.html"
# emcc needs Debian's node modules (acorn), which Debian's node does not look in by default.
export NODE_PATH=/usr/share/nodejs

# Debian 12 packages the web build and its browser test need.
WEB_PACKAGES=(
    emscripten nodejs cmake make python3 dpkg-dev
    chromium firefox-esr xvfb xauth
)

# common.sh's ensure_packages installs what is missing of PACKAGES: here, of the web's list.
ensure_web_packages() {
    local PACKAGES=("${WEB_PACKAGES[@]}")
    ensure_packages "${WEB_PACKAGES[@]}"
}

# Unpacks glslang's and SPIRV-Cross's Debian sources into build-web/deps/src.
fetch_dep_sources() {
    fetch_sources "$WEB_DEPS/src" glslang spirv-cross
}

dep_source() {
    source_dir "$WEB_DEPS/src" "$1"
}

# emcmake_install SOURCE BUILD [cmake options...]
emcmake_install() {
    local source=$1 build=$2
    shift 2
    emcmake cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$WEB_DEPS/prefix" "$@" >"$build.log" 2>&1
    cmake --build "$build" -j "$(nproc)" >>"$build.log" 2>&1
    cmake --install "$build" >>"$build.log" 2>&1
}

# glslang and SPIRV-Cross as debian_sources.sh says, for WebAssembly.
build_deps() {
    if [ -f "$WEB_DEPS/built" ]; then
        return 0
    fi
    local start=$SECONDS
    echo "== Web: glslang and SPIRV-Cross for WebAssembly (once)"
    rm -rf "$WEB_DEPS"
    fetch_dep_sources
    emcmake_install "$(dep_source glslang)" "$WEB_DEPS/glslang" "${GLSLANG_OPTIONS[@]}" ||
        { tail -n 30 "$WEB_DEPS/glslang.log"; return 1; }
    emcmake_install "$(dep_source spirv-cross)" "$WEB_DEPS/spirv-cross" -DCMAKE_CXX_FLAGS=-fexceptions \
        "${SPIRV_CROSS_OPTIONS[@]}" || { tail -n 30 "$WEB_DEPS/spirv-cross.log"; return 1; }
    touch "$WEB_DEPS/built"
    echo "glslang and SPIRV-Cross built in $((SECONDS - start)) s"
}

# file_sizes FILE: its size, raw and gzipped.
file_sizes() {
    echo "$(stat -c %s "$1") bytes, $(gzip -9 -c "$1" | wc -c) gzipped"
}

# Builds the page into build-web/: index.html, shadow-demo.js, .wasm and .data (the shaders); and
# the same page as one file, shadow-demo.html.
build_web() {
    ensure_web_packages
    build_deps
    local start=$SECONDS
    echo "== Web: the program"
    emcmake cmake -S "$ROOT/platform/web" -B "$WEB_OUT/cmake" -DCMAKE_BUILD_TYPE=Release \
        -DWEB_DEPS="$WEB_DEPS/prefix" -DGLSLANG_SOURCE="$(dep_source glslang)" \
        -DWEB_OUTPUT_DIR="$WEB_OUT" >/dev/null
    cmake --build "$WEB_OUT/cmake" -j "$(nproc)"
    echo "Program built in $((SECONDS - start)) s"
}
