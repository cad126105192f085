# Reads this machine's apt sources, and fetches Debian's own source packages with apt-get source,
# adding deb-src entries made from the machine's deb entries when there are none. Shared by the
# cross builds (scripts/cross_build.sh) and .ci/run, which takes its Debian mirror from them.
# shellcheck shell=bash

# This machine's apt entries, one a line as sources.list has them ("deb [signed-by=KEY] URI SUITE
# COMPONENT..."), whether they come from one-line files or deb822 stanzas.
apt_entries() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] && sed -n 's/^[[:space:]]*\(deb\(-src\)\?[[:space:]]\)/\1/p' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
             {
                 types = ""; uris = ""; suites = ""; components = ""; key = ""; enabled = "yes"
                 for (i = 1; i <= NF; ++i) {
                     if ($i !~ /^[A-Za-z-]+:/) continue
                     colon = index($i, ":")
                     name = tolower(substr($i, 1, colon - 1))
                     value = substr($i, colon + 1)
                     gsub(/^[ \t]+|[ \t]+$/, "", value)
                     if (name == "types") types = value
                     else if (name == "uris") uris = value
                     else if (name == "suites") suites = value
                     else if (name == "components") components = " " value
                     else if (name == "signed-by") key = value
                     else if (name == "enabled") enabled = tolower(value)
                 }
                 if (enabled == "no") next
                 # A key given inline rather than as a file has no one-line form.
                 options = key ~ /^\// ? "[signed-by=" key "] " : ""
                 nt = split(types, t, /[ \t]+/)
                 nu = split(uris, u, /[ \t]+/)
                 ns = split(suites, s, /[ \t]+/)
                 for (a = 1; a <= nt; ++a)
                     for (b = 1; b <= nu; ++b)
                         for (c = 1; c <= ns; ++c) print t[a] " " options u[b] " " s[c] components
             }' "$file"
    done
    return 0
}

# debian_mirror SUITE: the first mirror the machine's deb entries name for SUITE.
debian_mirror() {
    apt_entries | awk -v suite="$1" '
        $1 == "deb" {
            i = 2
            if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) ++i; ++i }
            if ($(i + 1) == suite) { print $i; exit }
        }'
}

# apt-get source needs deb-src entries; where there are none, they are made from the deb ones.
ensure_deb_src() {
    if apt-cache showsrc glslang spirv-cross 2>/dev/null | grep -q '^Package: spirv-cross'; then
        return 0
    fi
    echo "Adding deb-src entries made from this machine's deb entries"
    apt_entries | sed -n 's/^deb /deb-src /p' |
        as_root tee /etc/apt/sources.list.d/shadow-demo-sources.list >/dev/null
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
