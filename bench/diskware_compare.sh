#!/usr/bin/env bash
# Diskware against its peers on the same input in one run, each as a ratio (ours / peer; below 1 is
# faster, except for the wipe rate, where above 1 is faster): the file search against find -printf, a
# file open through FileObject.Exists against open + close, the checksums against zlib and cksum, and
# the 1-pass wipe's bytes written per second against shred -n 3 -u. Best of ROUNDS (default 3) runs.
# usage: bench/diskware_compare.sh BUILD_DIR [WORK_DIR]   (WORK_DIR on the disk to measure; default: BUILD_DIR)
set -euo pipefail
build=$(realpath "${1:?build folder}")
work=$(mktemp -d "$(realpath "${2:-$build}")/diskware-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
objcall="$build/bin/objcall"
rounds=${ROUNDS:-3}
# A registry, drive and runtime folder of our own: nothing of the user's is touched.
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export VELMORA_REGISTRY="$work/registry.db" VELMORA_DRIVE_C="$work/drive_c" XDG_DATA_HOME="$work/data" \
    XDG_RUNTIME_DIR="$work/runtime"
"$objcall" --register "$build/bin/Diskware.dll" > /dev/null

seconds() { local s e; s=$(date +%s.%N); "$@" > /dev/null; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
best() {  # best of $rounds runs of the command: seconds
    local b="" t
    for ((i = 0; i < rounds; i++)); do
        t=$(seconds "$@")
        b=$(awk -v a="$b" -v t="$t" 'BEGIN { print (a == "" || t < a) ? t : a }')
    done
    echo "$b"
}
row() { printf "%-46s %12s %12s %8.2f\n" "$1" "$2" "$3" "$4"; }
printf "%-46s %12s %12s %8s\n" "what" "ours" "peer" "ratio"

# --- The search: 10,000 files in 200 folders, no match, every entry's facts read
tree="$work/tree"
for d in $(seq 1 100); do
    mkdir -p "$tree/d$d/sub"
    (cd "$tree/d$d" && touch $(printf 'f%d.txt ' $(seq 1 50)) && cd sub && touch $(printf 'g%d.dat ' $(seq 1 50)))
done
ours=$(best "$objcall" Diskware.FilesObject "Find(s:$tree/, s:*.none)" Count)
peer=$(best find "$tree" -printf '%s %T@ %m\n')
row "FilesObject.Find 10,000 files (s)" "$(printf %.3f "$ours")" "$(printf %.3f "$peer")" "$(echo "$ours / $peer" | bc -l)"

# --- A file open: FileObject.Exists N times in one process, less the process alone
n=2000
echo data > "$work/exists.txt"
steps=$(for ((i = 0; i < n; i++)); do printf 'Exists '; done)
with=$(best "$objcall" Diskware.FileObject "FileName=s:$work/exists.txt" $steps)
without=$(best "$objcall" Diskware.FileObject "FileName=s:$work/exists.txt")
ours=$(echo "($with - $without) / $n * 1000000" | bc -l)
peer=$(python3 - "$work/exists.txt" <<'PY'
import os, sys, time
best = None
for _ in range(5):
    t = time.perf_counter()
    for _ in range(20000):
        os.close(os.open(sys.argv[1], os.O_RDONLY))
    t = (time.perf_counter() - t) / 20000 * 1e6
    best = t if best is None or t < best else best
print(best)
PY
)
row "FileObject.Exists vs open+close (us)" "$(printf %.1f "$ours")" "$(printf %.1f "$peer")" "$(echo "$ours / $peer" | bc -l)"

# --- Checksums of a 100 MB file in the page cache, through objcall (process start included)
size=$((100 * 1000 * 1000))
head -c "$size" /dev/urandom > "$work/c"
cat "$work/c" > /dev/null
zlib=$(python3 - "$work/c" <<'PY'
import sys, time, zlib
data = open(sys.argv[1], 'rb').read()
for fn in (zlib.crc32, zlib.adler32):
    best = None
    for _ in range(3):
        t = time.perf_counter(); fn(data); t = time.perf_counter() - t
        best = t if best is None or t < best else best
    print(len(data) / 1e6 / best, end=' ')
PY
)
read -r zcrc zadler <<< "$zlib"
cks=$(echo "$size / 1000000 / $(best cksum -a crc "$work/c")" | bc -l)
for member in CRC32 CRCAlder32; do
    value=$("$objcall" Diskware.FileObject "FileName=s:$work/c" "$member" | tail -1)
    expected=$(python3 -c "import sys, zlib; d = open(sys.argv[1], 'rb').read(); v = zlib.crc32(d) if sys.argv[2] == 'CRC32' else zlib.adler32(d); print('i32:%d' % (v - (1 << 32) if v >= 1 << 31 else v))" "$work/c" "$member")
    [ "$value" = "$expected" ] || { echo "$member: $value, zlib says $expected" >&2; exit 1; }
    rate=$(echo "$size / 1000000 / $(best "$objcall" Diskware.FileObject "FileName=s:$work/c" "$member")" | bc -l)
    peer=$([ "$member" = CRC32 ] && echo "$zcrc" || echo "$zadler")
    row "$member 100 MB (MB/s) vs zlib in memory" "$(printf %.0f "$rate")" "$(printf %.0f "$peer")" "$(echo "$rate / $peer" | bc -l)"
    [ "$member" = CRC32 ] && row "CRC32 100 MB (MB/s) vs cksum -a crc" "$(printf %.0f "$rate")" "$(printf %.0f "$cks")" "$(echo "$rate / $cks" | bc -l)"
done

# --- The wipe, 1 pass (three phases, each flushed), against shred -n 3 -u: bytes written per second
make_file() { head -c "$size" /dev/urandom > "$1"; sync "$1"; }
mib=1048576
blocks=$((size / mib))
ours_bytes=$((size + 2 * (blocks * mib + size)))  # the first phase, then two that carry the growing tail
peer_bytes=$((3 * ((size + 4095) / 4096 * 4096)))
best_ours="" best_peer=""
for ((i = 0; i < rounds; i++)); do
    make_file "$work/a"; make_file "$work/b"
    t=$(seconds "$objcall" Diskware.FileObject "FileDelete(i32:3, s:$work/a, empty, i16:1)")
    r=$(echo "$ours_bytes / 1000000 / $t" | bc -l)
    best_ours=$(awk -v a="$best_ours" -v r="$r" 'BEGIN { print (a == "" || r > a) ? r : a }')
    t=$(seconds shred -n 3 -u "$work/b")
    r=$(echo "$peer_bytes / 1000000 / $t" | bc -l)
    best_peer=$(awk -v a="$best_peer" -v r="$r" 'BEGIN { print (a == "" || r > a) ? r : a }')
done
row "wipe 100 MB, 1 pass vs shred -n 3 -u (MB/s)" "$(printf %.0f "$best_ours")" "$(printf %.0f "$best_peer")" "$(echo "$best_ours / $best_peer" | bc -l)"
