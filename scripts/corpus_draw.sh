# Draws files of the shared Cg corpus with a build of tests/corpus/CorpusDraw.cpp, one driver
# per core, all on the current display. Shared by scripts/cg-corpus and scripts/cg-differential.
# shellcheck shell=bash

CORPUS=$(cd "$ROOT/.." && pwd)/shared/corpus/common-shaders

# corpus_files: every .cg file of the corpus, relative to it, in a stable order.
corpus_files() {
    (cd "$CORPUS" && find . -name '*.cg' | sed 's|^\./||' | LC_ALL=C sort)
}

# draw_files DRAWER OUT LOG FILE...: draws the files, one line each into OUT, the drawer's own
# messages into LOG, with DRAW_ARGS as its arguments. A driver that dies on one file is started
# again after it; that file counts as a crash of the driver.
draw_files() {
    local drawer=$1 out=$2 log=$3
    shift 3
    local list=("$@") done_count=0 status now
    : >"$out"
    while [ "$done_count" -lt "${#list[@]}" ]; do
        status=0
        # The shell's own word on a driver killed by a signal goes to the log as well.
        (cd "$CORPUS" && printf '%s\n' "${list[@]:done_count}" |
            "$drawer" "${DRAW_ARGS[@]}" >>"$out") 2>>"$log" || status=$?
        now=$(wc -l <"$out")
        if [ "$now" -lt "${#list[@]}" ]; then
            printf '%s\t-\t-\t-\t-\tdriver\t%s ended with status %s on this file\n' \
                "${list[now]}" "$(basename "$drawer")" "$status" >>"$out"
            now=$((now + 1))
        fi
        done_count=$now
    done
}

# draw_sharded DRAWER TSV LOG FILE...: draw_files with one driver per core, each on every n-th
# file; TSV gets their lines sorted by file.
draw_sharded() {
    local drawer=$1 tsv=$2 log=$3
    shift 3
    local files=("$@") shards pids=() i j
    shards=$(nproc)
    : >"$log"
    for ((i = 0; i < shards; ++i)); do
        local mine=()
        for ((j = i; j < ${#files[@]}; j += shards)); do
            mine+=("${files[j]}")
        done
        draw_files "$drawer" "$tsv.part$i" "$log" "${mine[@]}" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid"
    done
    LC_ALL=C sort "$tsv".part* >"$tsv"
    rm -f "$tsv".part*
}
