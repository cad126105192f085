# Shared by scripts/windows and scripts/test-windows: cross-builds the program for 64-bit Windows
# with MinGW-w64 into build-windows/. Its libraries (freeglut, libepoxy, glslang, SPIRV-Cross and,
# for the tests, GoogleTest) are built from Debian's own source packages, once: later builds find
# them in build-windows/deps/.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/cross_build.sh"

PRESET=windows
OUT="$ROOT/build-windows"
WIN_TOOLCHAIN="$ROOT/platform/windows/mingw-w64.cmake"
PLATFORM_CMAKE=(cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$WIN_TOOLCHAIN")
WIN_ZIP="$OUT/shadow-demo-windows.zip"

# libepoxy builds with meson; only its WGL side is wanted on Windows.
meson_install_libepoxy() {
    local deps build start=$SECONDS
    deps=$(deps_dir)
    build="$deps/libepoxy"
    {
        meson setup "$build" "$(dep_source libepoxy)" \
            --cross-file "$ROOT/platform/windows/meson-cross.ini" --prefix "$deps/prefix" \
            --buildtype release --default-library static -Dtests=false -Ddocs=false \
            -Degl=no -Dglx=no -Dx11=false &&
            ninja -C "$build" -j "$(nproc)" install
    } >"$build.log" 2>&1 || { tail -n 30 "$build.log"; return 1; }
    echo "libepoxy: $((SECONDS - start)) s"
}

# Static libraries: freeglut, libepoxy, glslang and SPIRV-Cross, and GoogleTest for the tests.
build_windows_deps() {
    dep_cmake_install freeglut -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
        -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_GLES=OFF
    meson_install_libepoxy
    dep_cmake_install glslang "${GLSLANG_OPTIONS[@]}"
    dep_cmake_install spirv-cross "${SPIRV_CROSS_OPTIONS[@]}"
    dep_cmake_install googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
}

# Builds build-windows/shadow-demo.exe (and whatever the CMake options given add: the tests, the
# benchmark), has CPack pack the zip (cmake/Packaging.cmake: one folder, shadow-demo/, with the .exe
# in build/ beside src/ShadowMapping/resource/cg/, the layout it reads its shaders from, so that a
# double-click in its folder starts it) and unpacks it alone in build-windows/package/, from where
# the program runs.
build_windows() {
    ensure_packages "${WINDOWS_PACKAGES[@]}"
    build_deps_once "Windows: freeglut, libepoxy, glslang, SPIRV-Cross and GoogleTest with MinGW-w64" \
        build_windows_deps freeglut libepoxy glslang spirv-cross googletest
    build_program "$@"
    rm -rf "$OUT/package" "$WIN_ZIP"
    (cd "$OUT" && cpack -G ZIP >"$OUT/cpack.log" 2>&1) || { cat "$OUT/cpack.log"; return 1; }
    unzip -q "$WIN_ZIP" -d "$OUT/package"
    echo "shadow-demo.exe $(stat -c %s "$OUT/shadow-demo.exe") bytes, $(basename "$WIN_ZIP") $(stat -c %s "$WIN_ZIP") bytes"
}

# Wine, with a prefix of the project's own. Its Mono and Gecko are not wanted (the program uses
# neither) and would be offered for download.
WINE=/usr/lib/wine/wine64
export WINEPREFIX="$OUT/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Starts a wineserver that outlives the programs, and Wine's services, before the programs run:
# otherwise every program pays for starting them, and the services the first one starts keep its
# output pipe open after it ends. stop_wine ends them.
start_wine() {
    [ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wineserver -p
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wine() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
}

# wine_program PROGRAM.exe ARGS...: runs a Windows program under Wine on this display, with Wine
# started before and ended after; gives the program's exit status.
wine_program() {
    start_wine
    local status=0
    "$WINE" "$@" || status=$?
    stop_wine
    return "$status"
}

# e2e tests left out under Wine. Two act on the X window from outside, which is no Windows event:
# another client destroys it (on Windows no other program can) or unmaps it (freeglut hears of a
# minimised window, which needs a window manager here). Windows has no FIFOs: Wine shows one as a
# missing file. And a focus taken by an X program (xlogo) did not reach the program as a lost
# focus under Wine on a display without a window manager, so its held key was not released.
# Keys typed while the program is stopped (a one-second frame made with SIGSTOP) moved the viewer
# 0 to 0.15 units instead of 0.76 under Wine: the message times Wine gives them are not when the
# keys went down and up. An X window made 32767x32767 from outside stays so under Wine, but the
# program is not told: it went on drawing the whole scene into the 1280x1024 screen, so there was
# nothing too large to refuse.
WINE_E2E_LEFT_OUT='AWindowDestroyedByAnotherClient|AHiddenWindowWaitsAndDrawsAgain|AFifoAsVertexSource|AKeyReleasedWhileAnotherWindowHasTheFocus|KeysInsideALongFrame|AWindowLargerThanTheDriverCanDraw'

# On a display, with Wine started: the zip unpacked into a folder of its own, shadow-demo.exe
# started as a double-click starts it (in its own folder) and its window checked for the scene.
check_windows_zip() {
    local alone status=0
    alone=$(mktemp -d /tmp/shadow-zip-XXXXXX)
    unzip -q "$WIN_ZIP" -d "$alone"
    (cd "$alone/shadow-demo/build" &&
        "$ROOT/scripts/scene-check.sh" "$OUT/zip-screenshot.png" "$WINE" shadow-demo.exe) || status=1
    rm -rf "$alone"
    return "$status"
}

# On a display: the zip, then the unit and GL tests (Windows programs, which CTest starts under
# Wine), then the e2e tests of the Linux build BUILD against the zip's shadow-demo.exe, from the
# folder of their own that build makes for them (e2e-elsewhere). Fails when any failed.
# Under Wine on a loaded machine a test's process now and then ends with status 1 before it prints
# anything (seen for two different tests, each passing when run again): a test that fails gets a
# second run, and one that fails twice fails the stage. The output shows both runs.
run_windows_tests() {
    start_wine
    trap stop_wine RETURN
    local status=0 start=$SECONDS
    echo "== Windows: the zip unpacked alone, its program started in its folder under Wine"
    check_windows_zip || status=1
    echo "The zip: $((SECONDS - start)) s"
    start=$SECONDS
    echo "== Windows: unit and GL tests under Wine"
    (cd "$OUT" && ctest --output-on-failure --timeout 300 --repeat until-pass:2) || status=1
    echo "Unit and GL tests under Wine: $((SECONDS - start)) s"
    start=$SECONDS
    echo "== Windows: e2e tests against shadow-demo.exe under Wine"
    (cd "$BUILD/e2e-elsewhere" &&
        SHADOW_E2E_PROGRAM="$ROOT/platform/windows/wine-shadow-demo" ctest --output-on-failure \
            --timeout 600 --repeat until-pass:2 -L e2e -E "$WINE_E2E_LEFT_OUT") ||
        status=1
    echo "e2e tests under Wine: $((SECONDS - start)) s"
    return "$status"
}
