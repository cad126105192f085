# Shared by scripts/web and scripts/test-web: installs what the web build needs and builds the
# program for a web page into build-web/. glslang and SPIRV-Cross are built for WebAssembly from
# Debian's own source packages, once: later builds find them in build-web/deps/.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WEB_OUT="$ROOT/build-web"
WEB_DEPS="$WEB_OUT/deps"
# The one-file page as the repository keeps it.
SINGLE_PAGE="$ROOT/docs/shadow-demo.html"
# emcc needs Debian's node modules (acorn), which Debian's node does not look in by default.
export NODE_PATH=/usr/share/nodejs

# Debian 12 packages the web build and its browser test need.
WEB_PACKAGES=(
    emscripten nodejs cmake make python3 dpkg-dev
    chromium chromium-driver firefox-esr xvfb xauth
)

# common.sh's ensure_packages installs what is missing of PACKAGES: here, of the web's list.
ensure_web_packages() {
    local PACKAGES=("${WEB_PACKAGES[@]}")
    ensure_packages "${WEB_PACKAGES[@]}"
}

as_root() {
    if [ "$(id -u)" -ne 0 ]; then
        sudo "$@"
    else
        "$@"
    fi
}

# The machine's own deb entries, retyped deb-src: one-line entries, then deb822 stanzas.
deb_src_lines() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] && sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$file"
    done
    return 0
}

deb_src_stanzas() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
            "$file"
    done
}

# apt-get source needs deb-src entries; where there are none, they are made from the deb ones.
ensure_deb_src() {
    if apt-cache showsrc glslang spirv-cross 2>/dev/null | grep -q '^Package: spirv-cross'; then
        return 0
    fi
    echo "Adding deb-src entries made from this machine's deb entries"
    local name=/etc/apt/sources.list.d/shadow-demo-sources lines stanzas
    lines=$(deb_src_lines)
    stanzas=$(deb_src_stanzas)
    if [ -n "$lines" ]; then
        printf '%s\n' "$lines" | as_root tee "$name.list" >/dev/null
    fi
    if [ -n "$stanzas" ]; then
        printf '%s\n' "$stanzas" | as_root tee "$name.sources" >/dev/null
    fi
    as_root apt-get update -q
}

# Unpacks glslang's and SPIRV-Cross's Debian sources into build-web/deps/src.
fetch_dep_sources() {
    ensure_deb_src
    mkdir -p "$WEB_DEPS/src"
    (cd "$WEB_DEPS/src" && apt-get source -q glslang spirv-cross 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
    ls -d "$WEB_DEPS"/src/glslang-*/ "$WEB_DEPS"/src/spirv-cross-*/ >/dev/null
}

dep_source() {
    ls -d "$WEB_DEPS"/src/"$1"-*/ | head -n 1
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

# glslang with its HLSL front end, without its optimizer and tools; SPIRV-Cross's core and GLSL
# writer, which throws the exceptions the translator catches.
build_deps() {
    if [ -f "$WEB_DEPS/built" ]; then
        return 0
    fi
    local start=$SECONDS
    echo "== Web: glslang and SPIRV-Cross for WebAssembly (once)"
    rm -rf "$WEB_DEPS"
    fetch_dep_sources
    emcmake_install "$(dep_source glslang)" "$WEB_DEPS/glslang" \
        -DENABLE_HLSL=ON -DENABLE_OPT=OFF -DENABLE_GLSLANG_BINARIES=OFF -DENABLE_SPVREMAPPER=OFF \
        -DENABLE_CTEST=OFF -DBUILD_TESTING=OFF -DENABLE_PCH=OFF ||
        { tail -n 30 "$WEB_DEPS/glslang.log"; return 1; }
    emcmake_install "$(dep_source spirv-cross)" "$WEB_DEPS/spirv-cross" -DCMAKE_CXX_FLAGS=-fexceptions \
        -DSPIRV_CROSS_CLI=OFF -DSPIRV_CROSS_ENABLE_TESTS=OFF -DSPIRV_CROSS_SHARED=OFF \
        -DSPIRV_CROSS_ENABLE_HLSL=OFF -DSPIRV_CROSS_ENABLE_MSL=OFF -DSPIRV_CROSS_ENABLE_CPP=OFF \
        -DSPIRV_CROSS_ENABLE_REFLECT=OFF -DSPIRV_CROSS_ENABLE_C_API=OFF -DSPIRV_CROSS_ENABLE_UTIL=OFF ||
        { tail -n 30 "$WEB_DEPS/spirv-cross.log"; return 1; }
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
