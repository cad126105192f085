# Shared by the web and Windows builds (scripts/web_build.sh, scripts/windows_build.sh), which set
# PRESET (the CMake preset of the platform, CMakePresets.json), OUT (its build folder) and
# PLATFORM_CMAKE (the command that configures a CMake project for the platform). The platform's
# libraries are built from Debian's own source packages once, into OUT/deps (sources in deps/src,
# installed in deps/prefix, a `built` stamp when done), where the preset finds them.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/debian_sources.sh"

# glslang with its HLSL front end, without its optimizer and tools; SPIRV-Cross's core and GLSL
# writer, which throws the exceptions the translator catches.
GLSLANG_OPTIONS=(
    -DENABLE_HLSL=ON -DENABLE_OPT=OFF -DENABLE_GLSLANG_BINARIES=OFF -DENABLE_SPVREMAPPER=OFF
    -DENABLE_CTEST=OFF -DBUILD_TESTING=OFF -DENABLE_PCH=OFF
)
SPIRV_CROSS_OPTIONS=(
    -DSPIRV_CROSS_CLI=OFF -DSPIRV_CROSS_ENABLE_TESTS=OFF -DSPIRV_CROSS_SHARED=OFF
    -DSPIRV_CROSS_ENABLE_HLSL=OFF -DSPIRV_CROSS_ENABLE_MSL=OFF -DSPIRV_CROSS_ENABLE_CPP=OFF
    -DSPIRV_CROSS_ENABLE_REFLECT=OFF -DSPIRV_CROSS_ENABLE_C_API=OFF -DSPIRV_CROSS_ENABLE_UTIL=OFF
)

deps_dir() {
    echo "$OUT/deps"
}

# dep_source PACKAGE: the unpacked Debian source of PACKAGE.
dep_source() {
    source_dir "$(deps_dir)/src" "$1"
}

# build_deps_once TITLE BUILDER PACKAGE...: unless they were built before, fetches the packages'
# sources and runs BUILDER, which installs them into deps/prefix.
build_deps_once() {
    local title=$1 builder=$2 deps
    shift 2
    deps=$(deps_dir)
    if [ -f "$deps/built" ]; then
        return 0
    fi
    local start=$SECONDS
    echo "== $title (once)"
    rm -rf "$deps"
    fetch_sources "$deps/src" "$@"
    "$builder"
    touch "$deps/built"
    echo "Built in $((SECONDS - start)) s"
}

# dep_cmake_install PACKAGE [cmake options...]: configures, builds and installs PACKAGE's source
# for the platform into deps/prefix, with its log in deps/PACKAGE.log.
dep_cmake_install() {
    local name=$1 deps start=$SECONDS
    shift
    deps=$(deps_dir)
    {
        "${PLATFORM_CMAKE[@]}" -S "$(dep_source "$name")" -B "$deps/$name" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
            -DCMAKE_PREFIX_PATH="$deps/prefix" -DBUILD_SHARED_LIBS=OFF "$@" &&
            cmake --build "$deps/$name" -j "$(nproc)" &&
            cmake --install "$deps/$name"
    } >"$deps/$name.log" 2>&1 || { tail -n 30 "$deps/$name.log"; return 1; }
    echo "$name: $((SECONDS - start)) s"
}

# build_program [cmake options...]: configures the project with the platform's preset and builds it.
build_program() {
    local start=$SECONDS
    echo "== The program"
    build_preset "$PRESET" "$@"
    echo "Program built in $((SECONDS - start)) s"
}
