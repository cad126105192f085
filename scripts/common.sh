# Shared by the project's scripts and .ci/run: installs what is missing and builds.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# -noreset: by default Xvfb resets when its last client disconnects and refuses a client that
# connects meanwhile, which drops some of the many short xdotool connections the tests make.
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24 -noreset")

# Debian 12 packages that building and running the demo need: scripts/run installs these. With no
# display it also moves the window into view with xdotool and saves it with xwd and netpbm.
# glslang-dev's CMake package names /usr/bin/glslangValidator, which only glslang-tools installs.
RUN_PACKAGES=(
    build-essential cmake pkg-config
    freeglut3-dev libx11-dev libglu1-mesa-dev libgl1-mesa-dri libepoxy-dev libdevil-dev
    glslang-dev glslang-tools libspirv-cross-c-shared-dev
    xvfb xauth xdotool x11-apps netpbm
)
# What the tests add: scripts/test and the scripts it runs install these besides RUN_PACKAGES.
# llvm gives the sanitizers' stack traces their function names (llvm-symbolizer), which clang
# does not bring along and the fuzzing script reads. scripts/irrlicht-cg unpacks Irrlicht's
# source package (dpkg-dev), builds it (libjpeg-dev) and finds its window (x11-utils). CPack's
# .deb asks file(1) what each installed file is and dpkg-shlibdeps (dpkg-dev) what it needs.
TEST_PACKAGES=(
    libgtest-dev clang libclang-rt-14-dev llvm valgrind imagemagick python3
    dpkg-dev libjpeg-dev x11-utils file
)

# What the web build and its browser test add (scripts/web, scripts/test-web).
WEB_PACKAGES=(
    emscripten nodejs cmake make python3 dpkg-dev
    chromium firefox-esr xvfb xauth
)
# What the Windows build and its runs under Wine add (scripts/windows, scripts/test-windows),
# besides RUN_PACKAGES, whose Xvfb and xdotool the tests use. meson builds libepoxy; zip packs the
# program.
WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 meson ninja-build cmake make pkg-config
    dpkg-dev unzip
)

# ensure_packages PACKAGE...: installs those of the given Debian packages that are missing.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o Dpkg::Use-Pty=0 \
        --no-install-recommends "${missing[@]}"
}

# as_root CMD...: runs CMD as root, through sudo when this is not root.
as_root() {
    if [ "$(id -u)" -ne 0 ]; then
        sudo "$@"
    else
        "$@"
    fi
}

# build_tree DIR [cmake options...]: configures and builds the project in DIR (only the targets
# named in BUILD_TARGETS when it is set).
build_tree() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    local targets=()
    if [ -n "${BUILD_TARGETS:-}" ]; then
        targets=(--target ${BUILD_TARGETS})
    fi
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# build_preset PRESET [cmake options...]: configures and builds CMakePresets.json's PRESET (only
# the targets named in BUILD_TARGETS when it is set).
build_preset() {
    local preset=$1
    shift
    local targets=()
    if [ -n "${BUILD_TARGETS:-}" ]; then
        targets=(--target ${BUILD_TARGETS})
    fi
    (cd "$ROOT" && cmake --preset "$preset" "$@" >/dev/null &&
        cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}")
}

# use_build TARGET...: sets BUILD, the build folder a script takes its programs from. One named by
# BUILD is taken as it is, built by whoever named it (CTest names its own, built before its tests,
# which must not build in it while they run beside each other); otherwise build/, where the targets
# are built first.
use_build() {
    if [ -n "${BUILD:-}" ]; then
        return 0
    fi
    BUILD=$ROOT/build
    BUILD_TARGETS="$*" build_tree "$BUILD" >/dev/null
}

# with_display CMD...: runs CMD on the current display, or on a virtual one when there is none.
with_display() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run "${XVFB_ARGS[@]}" "$@"
    fi
}
