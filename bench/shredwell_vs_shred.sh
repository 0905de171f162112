#!/usr/bin/env bash
# Shredwell end to end against shred on the same input in one run: a folder of 1,000 files of 10 KB and one
# file of 100 MB, erased with 1 pass (three overwrites: 0x00, a random value, 0xFF, each flushed) through the
# real program (started, its window found by caption, "1" typed, Return pressed, until it ends) and with
# `shred -n 3 -u` (three overwrites; `find -exec shred` for the folder). Prints seconds, files per second and
# the ratio ours / shred (below 1 is faster). Needs an X display; starts Xvfb itself when there is none.
# usage: bench/shredwell_vs_shred.sh BUILD_DIR [WORK_DIR]   (WORK_DIR on the disk to measure; default BUILD_DIR)
set -euo pipefail
if [[ -z "${DISPLAY:-}" ]]; then exec xvfb-run -a "$0" "$@"; fi
build=$(realpath "${1:?build folder}")
work=$(mktemp -d "$(realpath "${2:-$build}")/shredwell-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A registry, drive and runtime folder of our own: nothing of the user's is touched.
mkdir -p "$work/runtime" "$work/home" && chmod 700 "$work/runtime"
export VELMORA_REGISTRY="$work/registry.db" VELMORA_DRIVE_C="$work/drive_c" XDG_DATA_HOME="$work/data" \
    XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"

make_input() {  # $1: folder to fill
    mkdir -p "$1/tree"
    head -c $((100 * 1024 * 1024)) /dev/urandom > "$1/big.bin"
    head -c 10240 /dev/urandom > "$1/seed"
    for i in $(seq 1 1000); do cp "$1/seed" "$1/tree/f$i"; done
    rm "$1/seed"
    sync
}
now() { date +%s.%N; }

ours() {
    local start end window
    start=$(now)
    "$build/bin/Shredwell.exe" "$1/tree" "$1/big.bin" &
    local pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Shredwell$' | head -1)
    xdotool windowfocus --sync "$window" key ctrl+a 1 Return
    wait "$pid"
    end=$(now)
    [[ -z "$(find "$1" -type f)" ]] || { echo "Shredwell left files behind" >&2; exit 1; }
    echo "$end - $start" | bc -l
}
peer() {
    local start end
    start=$(now)
    find "$1/tree" -type f -exec shred -n 3 -u {} +
    shred -n 3 -u "$1/big.bin"
    end=$(now)
    echo "$end - $start" | bc -l
}

# Warm start: the first run registers the components beside the program in the scratch registry.
mkdir -p "$work/warm" && echo x > "$work/warm/x"
"$build/bin/Shredwell.exe" "$work/warm/x" &
xdotool windowfocus --sync "$(timeout 60 xdotool search --sync --onlyvisible --name '^Shredwell$' | head -1)" key Return
wait

make_input "$work/a"; t_ours=$(ours "$work/a")
make_input "$work/b"; t_peer=$(peer "$work/b")
printf "%-40s %10s %10s %8s\n" "1,000 x 10 KB + 1 x 100 MB" "Shredwell" "shred" "ratio"
printf "%-40s %10.2f %10.2f %8.2f\n" "seconds" "$t_ours" "$t_peer" "$(echo "$t_ours / $t_peer" | bc -l)"
printf "%-40s %10.0f %10.0f\n" "files per second" "$(echo "1001 / $t_ours" | bc -l)" "$(echo "1001 / $t_peer" | bc -l)"
