#!/usr/bin/env bash
# Shredwell end to end against `shred -n 3 -u` on the same input in one run, 1 pass (three overwrites:
# 0x00, a random value, 0xFF, each flushed), through the real program: started, its window found by
# caption, "1" typed, Return pressed, until it ends. Two inputs, each timed on its own:
#   - a folder of 1,000 files of 10 KB (`find -exec shred -n 3 -u {} +` for shred);
#   - one file of 100 MB, compared per byte written: Shredwell writes 500 MiB for it (a file over 1 MiB
#     grows while it is wiped), shred 300 MiB.
# With --before, a second build (say, of an earlier commit) is measured in the same run, each build with a
# sandbox of its own. Each figure is the median of ROUNDS rounds (default 3); the rounds interleave the
# programs so that a change of load hits them alike. The folder's time is split into process start (until
# the window is up) and the erase (Return to exit). SHREDWELL_TRACE=1 adds one traced folder run per build
# (strace -c over every thread): flushes, calls to the server processes, opens.
# Needs an X display; starts Xvfb itself when there is none.
# usage: bench/shredwell_vs_shred.sh [--before BUILD_DIR] BUILD_DIR [WORK_DIR]
#        (WORK_DIR on the disk to measure; default BUILD_DIR)
set -euo pipefail
if [[ -z "${DISPLAY:-}" ]]; then exec xvfb-run -a "$0" "$@"; fi
before=""
if [[ "${1:-}" == "--before" ]]; then
    before=$(realpath "${2:?build folder}")
    shift 2
fi
build=$(realpath "${1:?build folder}")
work=$(mktemp -d "$(realpath "${2:-$build}")/shredwell-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
rounds=${ROUNDS:-3}
export DBUS_SESSION_BUS_ADDRESS=disabled:

now() { date +%s.%N; }
minus() { echo "$1 - $2" | bc -l; }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# A registry, drive and runtime folder per build: the first program to start registers the components
# beside it, and a second build must not use the first one's.
sandbox() {  # $1: name
    local box="$work/sandbox-$1"
    mkdir -p "$box/runtime" "$box/home" && chmod 700 "$box/runtime"
    echo "VELMORA_REGISTRY=$box/registry.db VELMORA_DRIVE_C=$box/drive_c XDG_DATA_HOME=$box/data" \
        "XDG_RUNTIME_DIR=$box/runtime HOME=$box/home"
}

make_folder() {
    local i
    rm -rf "$1" && mkdir -p "$1"
    head -c 10240 /dev/urandom > "$1.seed"
    for i in $(seq 1 1000); do cp "$1.seed" "$1/f$i"; done
    rm "$1.seed"
    sync
}
make_big() {
    head -c $((100 * 1024 * 1024)) /dev/urandom > "$1"
    sync
}

# Runs Shredwell of build $1 (sandbox $2) on $3; prints "seconds to window, seconds to the end".
ours() {
    local start shown window pid
    start=$(now)
    env $2 "$1/bin/Shredwell.exe" "$3" &
    pid=$!
    # Looked for every 20 ms: xdotool's own --sync waits half a second between looks.
    until window=$(xdotool search --onlyvisible --name '^Shredwell$' 2> /dev/null | head -1) && [[ -n "$window" ]]; do
        kill -0 "$pid" 2> /dev/null || { echo "Shredwell ended before its window showed" >&2; exit 1; }
        sleep 0.02
    done
    shown=$(now)
    xdotool windowfocus --sync "$window" key ctrl+a 1 Return
    wait "$pid"
    local end
    end=$(now)
    [[ ! -e "$3" || -z "$(find "$3" -type f)" ]] || { echo "Shredwell left files behind" >&2; exit 1; }
    echo "$(minus "$shown" "$start") $(minus "$end" "$start")"
}
peer() {  # $1: folder or file
    local start end
    start=$(now)
    if [[ -d "$1" ]]; then find "$1" -type f -exec shred -n 3 -u {} +; else shred -n 3 -u "$1"; fi
    end=$(now)
    minus "$end" "$start"
}

names=(after)
builds=("$build")
if [[ -n "$before" ]]; then
    names+=(before)
    builds+=("$before")
fi
declare -A boxes
for i in "${!names[@]}"; do
    boxes[${names[$i]}]=$(sandbox "${names[$i]}")
    # Warm start: the first run registers the components beside the program.
    mkdir -p "$work/warm" && echo x > "$work/warm/x"
    ours "${builds[$i]}" "${boxes[${names[$i]}]}" "$work/warm/x" > /dev/null
done

load_before=$(uptime)
declare -A folder start erase big
for round in $(seq 1 "$rounds"); do
    make_folder "$work/tree"
    folder[shred]+=" $(peer "$work/tree")"
    for i in "${!names[@]}"; do
        make_folder "$work/tree"
        result=$(ours "${builds[$i]}" "${boxes[${names[$i]}]}" "$work/tree")
        read -r shown total <<< "$result"
        folder[${names[$i]}]+=" $total"
        start[${names[$i]}]+=" $shown"
        erase[${names[$i]}]+=" $(minus "$total" "$shown")"
    done
    make_big "$work/big.bin"
    big[shred]+=" $(peer "$work/big.bin")"
    for i in "${!names[@]}"; do
        make_big "$work/big.bin"
        result=$(ours "${builds[$i]}" "${boxes[${names[$i]}]}" "$work/big.bin")
        read -r shown total <<< "$result"
        big[${names[$i]}]+=" $(minus "$total" "$shown")"  # the erase alone: start-up is the folder's row
    done
done

columns=("${names[@]}" shred)
row() {  # $1: label, $2: printf format, then one value per column
    local label=$1 format=$2
    shift 2
    printf "%-44s" "$label"
    for value in "$@"; do printf "$format" "$value"; done
    echo
}
echo "Shredwell vs shred -n 3 -u, 1 pass, median of $rounds round(s)"
echo "load at start: ${load_before##*load average: }   at end: $(uptime | sed 's/.*load average: //')"
row "" "%12s" "${columns[@]}"
declare -A f s e b
for c in "${columns[@]}"; do
    f[$c]=$(median ${folder[$c]})
    b[$c]=$(median ${big[$c]})
    if [[ $c != shred ]]; then
        s[$c]=$(median ${start[$c]})
        e[$c]=$(median ${erase[$c]})
    fi
done
row "1,000 x 10 KB: seconds, process start to end" "%12.2f" $(for c in "${columns[@]}"; do echo "${f[$c]}"; done)
row "  of which process start until the window" "%12.2f" $(for c in "${names[@]}"; do echo "${s[$c]}"; done)
row "  of which the erase (Return to exit)" "%12.2f" $(for c in "${names[@]}"; do echo "${e[$c]}"; done)
row "  files per second" "%12.0f" $(for c in "${columns[@]}"; do echo "1000 / ${f[$c]}" | bc -l; done)
row "  ratio to shred (below 1 is faster)" "%12.2f" $(for c in "${names[@]}"; do echo "${f[$c]} / ${f[shred]}" | bc -l; done)
row "100 MB: seconds of the erase" "%12.2f" $(for c in "${columns[@]}"; do echo "${b[$c]}"; done)
row "  MiB written" "%12d" $(for c in "${names[@]}"; do echo 500; done) 300
row "  ms per MiB written" "%12.2f" $(for c in "${names[@]}"; do echo "1000 * ${b[$c]} / 500" | bc -l; done) \
    "$(echo "1000 * ${b[shred]} / 300" | bc -l)"
row "  per-byte ratio to shred (below 1 is faster)" "%12.2f" \
    $(for c in "${names[@]}"; do echo "(${b[$c]} / 500) / (${b[shred]} / 300)" | bc -l; done)

if [[ "${SHREDWELL_TRACE:-0}" == 1 ]]; then
    echo
    echo "One traced folder run per build (strace -f -c: every thread; tracing slows the runs)"
    for i in "${!names[@]}"; do
        make_folder "$work/tree"
        start_trace=$(now)
        env ${boxes[${names[$i]}]} strace -f -c -w -o "$work/trace-${names[$i]}" \
            "${builds[$i]}/bin/Shredwell.exe" "$work/tree" &
        pid=$!
        until window=$(xdotool search --onlyvisible --name '^Shredwell$' 2> /dev/null | head -1) && [[ -n "$window" ]]; do
            sleep 0.02
        done
        xdotool windowfocus --sync "$window" key ctrl+a 1 Return
        wait "$pid"
        echo "${names[$i]}: $(minus "$(now)" "$start_trace" | xargs printf '%.2f') s traced;" \
            "$(awk '$NF == "fsync" {printf "%d flushes, %.2f s waited in them (all threads);", $4, $2}' "$work/trace-${names[$i]}")" \
            "$(awk '$NF == "sendto" {printf "%d calls to the server processes;", $4}' "$work/trace-${names[$i]}")" \
            "$(awk '$NF == "openat" {printf "%d opens", $4}' "$work/trace-${names[$i]}")"
    done
fi
