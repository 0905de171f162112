#!/usr/bin/env bash
# Diskware against its peers on the same input in one run: the 1-pass wipe (three flushed overwrites)
# against shred, the checksums against Python's zlib, the file search against find.
# usage: bench/diskware_compare.sh BUILD_DIR [WORK_DIR]   (WORK_DIR on the disk to measure; default: BUILD_DIR)
set -euo pipefail
build=$(realpath "${1:?build folder}")
work=$(mktemp -d "$(realpath "${2:-$build}")/diskware-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
objcall="$build/bin/objcall"
# A registry and drive of our own: nothing of the user's is touched.
export VELMORA_REGISTRY="$work/registry.db" VELMORA_DRIVE_C="$work/drive_c" XDG_DATA_HOME="$work/data"
"$objcall" --register "$build/bin/Diskware.dll"

size=$((100 * 1000 * 1000))
make_file() { head -c "$size" /dev/urandom > "$1"; sync "$1"; }
seconds() { local s e; s=$(date +%s.%N); "$@" > /dev/null; e=$(date +%s.%N); echo "$e - $s" | bc -l; }

echo "== wipe of a 100 MB file, 1 pass (each phase flushed) vs shred -n 3 -u"
for round in 1 2 3; do
    make_file "$work/a"; make_file "$work/b"
    ours=$(seconds "$objcall" Diskware.FileObject "FileDelete(i32:3, s:$work/a, empty, i16:1)")
    peer=$(seconds shred -n 3 -u --random-source=/dev/zero "$work/b")
    printf "round %d: Diskware %.2f s  shred %.2f s  ratio %.2f\n" "$round" "$ours" "$peer" "$(echo "$ours / $peer" | bc -l)"
done

echo "== checksums of a 100 MB file"
make_file "$work/c"
cat "$work/c" > /dev/null
for member in CRC32 CRCAlder32; do
    t=$(seconds "$objcall" Diskware.FileObject "FileName=s:$work/c" "$member")
    value=$("$objcall" Diskware.FileObject "FileName=s:$work/c" "$member" | tail -1)
    printf "%-10s %s  %.0f MB/s\n" "$member" "$value" "$(echo "$size / 1000000 / $t" | bc -l)"
done
python3 - "$work/c" <<'PY'
import sys, time, zlib
data = open(sys.argv[1], 'rb').read()
for name, fn in (("crc32", zlib.crc32), ("adler32", zlib.adler32)):
    t = time.perf_counter(); v = fn(data); t = time.perf_counter() - t
    print(f"zlib.{name:8s} i32:{v - (1 << 32) if v >= 1 << 31 else v}  {len(data) / 1e6 / t:.0f} MB/s (in memory)")
PY
t=$(seconds cksum -a crc "$work/c"); printf "cksum -a crc (POSIX CRC, another value) %.0f MB/s\n" "$(echo "$size / 1000000 / $t" | bc -l)"

echo "== FilesObject.Find over 10,000 files vs find -name"
tree="$work/tree"
for d in $(seq 1 100); do mkdir -p "$tree/d$d/sub"; for f in $(seq 1 50); do : > "$tree/d$d/f$f.txt"; : > "$tree/d$d/sub/g$f.dat"; done; done
ours=$(seconds "$objcall" Diskware.FilesObject "Find(s:$tree/, s:*.txt)" Count)
peer=$(seconds find "$tree" -name '*.txt')
count=$("$objcall" Diskware.FilesObject "Find(s:$tree/, s:*.txt)" Count | grep -c 'event FoundFile')
printf "Find: %d matches  Diskware %.3f s  find %.3f s  ratio %.1f\n" "$count" "$ours" "$peer" "$(echo "$ours / $peer" | bc -l)"
