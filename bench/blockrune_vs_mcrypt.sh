#!/usr/bin/env bash
# EncryptFile / DecryptFile of the Blockrune plug-in through objcall against Debian's mcrypt with the
# same cipher (rijndael-256, ECB), on the same 100 MB file in one run: wall times, ratios, peak memory.
# Also the cost of the yield after every block, from the cipher benchmark.
#   bench/blockrune_vs_mcrypt.sh [build-dir] [size-in-MB]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
size_mb=${2:-100}
objcall=$build/bin/objcall
plugin=$build/bin/Encryption/Blockrune.dll
for tool in "$objcall" "$plugin" /usr/bin/time; do [ -e "$tool" ] || { echo "missing $tool" >&2; exit 1; }; done
command -v mcrypt >/dev/null || { echo "mcrypt missing: run scripts/setup" >&2; exit 1; }

# A sandbox of our own: registry, drive C: and runtime folder never touch the user's.
work=$(mktemp -d "${TMPDIR:-/tmp}/blockrune-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/data" "$work/c" && chmod 700 "$work/runtime"
export VELMORA_REGISTRY=$work/registry.db VELMORA_DRIVE_C=$work/c XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
"$objcall" --register "$plugin"

head -c "$((size_mb * 1024 * 1024))" /dev/urandom > "$work/plain.bin"
cp "$work/plain.bin" "$work/mc.bin"
printf 'benchmark password\n' > "$work/key" && chmod 600 "$work/key"
bytes=$(stat -c %s "$work/plain.bin")

# Runs a command under /usr/bin/time; sets wall (seconds) and rss (KB).
measure() {
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" > "$work/out" 2>&1 || { cat "$work/out" >&2; exit 1; }
    read -r wall rss < "$work/time"
}

sync
measure "$objcall" Blockrune.Main "EncryptFile(\"$work/plain.bin\",\"$work/plain.zqf\",\"benchmark password\")"
grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }
enc_wall=$wall enc_rss=$rss
measure "$objcall" Blockrune.Main "DecryptFile(\"$work/plain.zqf\",\"$work/back.bin\",\"benchmark password\")"
grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }
dec_wall=$wall dec_rss=$rss
cmp -s "$work/plain.bin" "$work/back.bin" || { echo "round trip differs" >&2; exit 1; }

measure mcrypt -q -a rijndael-256 -m ecb -f "$work/key" "$work/mc.bin"
mc_enc_wall=$wall mc_enc_rss=$rss
rm "$work/mc.bin"
measure mcrypt -q -d -a rijndael-256 -m ecb -f "$work/key" "$work/mc.bin.nc"
mc_dec_wall=$wall mc_dec_rss=$rss
cmp -s "$work/plain.bin" "$work/mc.bin" || { echo "mcrypt round trip differs" >&2; exit 1; }

limit_kb=$(( (bytes * 125 / 100) / 1024 + 32 * 1024 ))
awk -v size="$size_mb" -v ew="$enc_wall" -v dw="$dec_wall" -v mew="$mc_enc_wall" -v mdw="$mc_dec_wall" \
    -v er="$enc_rss" -v dr="$dec_rss" -v mer="$mc_enc_rss" -v mdr="$mc_dec_rss" -v limit="$limit_kb" 'BEGIN {
    printf "file: %d MB\n", size
    printf "%-12s %10s %10s %8s %14s\n", "", "Blockrune", "mcrypt", "ratio", "Blockrune RSS"
    printf "%-12s %9.2fs %9.2fs %8.2f %11.1f MB%s\n", "encrypt", ew, mew, ew / mew, er / 1024, er <= limit ? "" : "  OVER LIMIT"
    printf "%-12s %9.2fs %9.2fs %8.2f %11.1f MB%s\n", "decrypt", dw, mdw, dw / mdw, dr / 1024, dr <= limit ? "" : "  OVER LIMIT"
    printf "memory limit (1.25 x file + 32 MB): %.1f MB; mcrypt RSS %.1f / %.1f MB\n", limit / 1024, mer / 1024, mdr / 1024
}'

# The yield: Do_Events per call, times one call per 32-byte block, against the encryption's wall time.
bench=$build/bench/blockrune_bench
if [ -x "$bench" ]; then
    ns=$("$bench" --benchmark_filter='^BM_DoEvents$' --benchmark_format=csv 2>/dev/null |
         awk -F, '/BM_DoEvents/ { print $3 }')
    awk -v ns="$ns" -v bytes="$bytes" -v ew="$enc_wall" 'BEGIN {
        blocks = bytes / 32
        printf "Do_Events: %.2f ns per call, %d calls = %.1f ms, %.2f%% of EncryptFile\n",
               ns, blocks, ns * blocks / 1e6, 100 * ns * blocks / 1e9 / ew
    }'
    "$bench" --benchmark_filter='Blocks' 2>/dev/null | grep BM_
fi
