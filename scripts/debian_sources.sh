# Shared by the cross builds (scripts/web_build.sh, scripts/windows_build.sh): fetches Debian's own
# source packages with apt-get source, adding deb-src entries made from the machine's deb entries
# when there are none, and says how the shader compilers are built from them.
# shellcheck shell=bash

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

# fetch_sources DIR PACKAGE...: unpacks the Debian source packages into DIR, each in a folder
# named PACKAGE-VERSION (see source_dir). A packaging tarball the mirror does not serve is not
# needed: the upstream tarball, checked against the .dsc, is unpacked by hand then.
fetch_sources() {
    local dir=$1 package
    shift
    ensure_deb_src
    mkdir -p "$dir"
    for package in "$@"; do
        (cd "$dir" && apt-get source -q "$package" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
        [ -n "$(source_dir "$dir" "$package")" ] || unpack_upstream "$dir" "$package"
        [ -n "$(source_dir "$dir" "$package")" ] || { echo "no source of $package in $dir" >&2; return 1; }
    done
}

# unpack_upstream DIR PACKAGE: fetches only the upstream tarball and checks it against the .dsc.
unpack_upstream() {
    local dir=$1 package=$2 tarball sum
    (cd "$dir" && apt-get source -q --download-only --tar-only "$package" >/dev/null 2>&1 || true)
    for tarball in "$dir/${package}"_*.orig.tar.*; do
        [ -f "$tarball" ] || continue
        sum=$(sha256sum "$tarball" | cut -d' ' -f1)
        if grep -q "$sum .* $(basename "$tarball")\$" "$dir/${package}"_*.dsc; then
            tar -xf "$tarball" -C "$dir"
        else
            echo "$(basename "$tarball") does not match its .dsc" >&2
        fi
    done
}

# source_dir DIR PACKAGE: the unpacked source of PACKAGE in DIR.
source_dir() {
    ls -d "$1/$2"-*/ 2>/dev/null | head -n 1
}

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
