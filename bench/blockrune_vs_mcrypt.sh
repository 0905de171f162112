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

# Runs a command under /usr/bin/time; sets wall and cpu (user + system, seconds) and rss (KB).
measure() {
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > "$work/out" 2>&1 || { cat "$work/out" >&2; exit 1; }
    read -r wall user sys rss < "$work/time"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
}
# The better of two results (the machine may be shared: the least disturbed run counts).
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# Rounds alternate between the two tools so that a busy moment does not fall on one of them only.
rounds=${ROUNDS:-3}
enc_wall="" enc_cpu="" dec_wall="" dec_cpu="" mc_enc_wall="" mc_enc_cpu="" mc_dec_wall="" mc_dec_cpu=""
enc_rss=0 dec_rss=0
for ((round = 0; round < rounds; round++)); do
    rm -f "$work/plain.zqf" "$work/back.bin"  # new files for both tools: no old output freed in a timed run
    sync
    measure "$objcall" Blockrune.Main "EncryptFile(\"$work/plain.bin\",\"$work/plain.zqf\",\"benchmark password\")"
    grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }
    enc_wall=$(min "$enc_wall" "$wall") enc_cpu=$(min "$enc_cpu" "$cpu") enc_rss=$((rss > enc_rss ? rss : enc_rss))

    rm -f "$work/mc.bin.nc"
    measure mcrypt -q -a rijndael-256 -m ecb -f "$work/key" "$work/mc.bin"
    mc_enc_wall=$(min "$mc_enc_wall" "$wall") mc_enc_cpu=$(min "$mc_enc_cpu" "$cpu") mc_enc_rss=$rss

    sync
    measure "$objcall" Blockrune.Main "DecryptFile(\"$work/plain.zqf\",\"$work/back.bin\",\"benchmark password\")"
    grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }
    dec_wall=$(min "$dec_wall" "$wall") dec_cpu=$(min "$dec_cpu" "$cpu") dec_rss=$((rss > dec_rss ? rss : dec_rss))
    cmp -s "$work/plain.bin" "$work/back.bin" || { echo "round trip differs" >&2; exit 1; }

    mv "$work/mc.bin" "$work/mc.orig"
    measure mcrypt -q -d -a rijndael-256 -m ecb -f "$work/key" "$work/mc.bin.nc"
    mc_dec_wall=$(min "$mc_dec_wall" "$wall") mc_dec_cpu=$(min "$mc_dec_cpu" "$cpu") mc_dec_rss=$rss
    cmp -s "$work/plain.bin" "$work/mc.bin" || { echo "mcrypt round trip differs" >&2; exit 1; }
    rm -f "$work/mc.orig"
done

limit_kb=$(( (bytes * 125 / 100) / 1024 + 32 * 1024 ))
awk -v size="$size_mb" -v rounds="$rounds" -v ew="$enc_wall" -v dw="$dec_wall" -v mew="$mc_enc_wall" \
    -v mdw="$mc_dec_wall" -v ec="$enc_cpu" -v dc="$dec_cpu" -v mec="$mc_enc_cpu" -v mdc="$mc_dec_cpu" \
    -v er="$enc_rss" -v dr="$dec_rss" -v mer="$mc_enc_rss" -v mdr="$mc_dec_rss" -v limit="$limit_kb" 'BEGIN {
    printf "file: %d MB, best of %d alternating rounds\n", size, rounds
    printf "%-8s %10s %10s %7s %10s %10s %7s %14s\n", "", "wall", "mcrypt", "ratio", "cpu", "mcrypt", "ratio", "Blockrune RSS"
    printf "%-8s %9.2fs %9.2fs %7.2f %9.2fs %9.2fs %7.2f %11.1f MB%s\n", "encrypt", ew, mew, ew / mew, ec, mec, ec / mec,
           er / 1024, er <= limit ? "" : "  OVER LIMIT"
    printf "%-8s %9.2fs %9.2fs %7.2f %9.2fs %9.2fs %7.2f %11.1f MB%s\n", "decrypt", dw, mdw, dw / mdw, dc, mdc, dc / mdc,
           dr / 1024, dr <= limit ? "" : "  OVER LIMIT"
    printf "memory limit (1.25 x file + 32 MB): %.1f MB; mcrypt RSS %.1f / %.1f MB\n", limit / 1024, mer / 1024, mdr / 1024
}'

# The yield: the block loop with and without Do_Events after every block (best of several repetitions,
# CPU time), and Do_Events alone per call against the encryption's wall time.
bench=$build/bench/blockrune_bench
if [ -x "$bench" ]; then
    "$bench" --benchmark_filter='^BM_(EncryptBlocks|EncryptBlocksWithDoEvents|DoEvents)$' --benchmark_repetitions=7 \
        --benchmark_format=csv 2>/dev/null > "$work/bench.csv"
    awk -F, -v bytes="$bytes" -v ew="$enc_wall" '
        /^"BM_[A-Za-z]+",/ { name = $1; gsub(/"/, "", name); cpu = $4
                             if (!(name in best) || cpu < best[name]) best[name] = cpu }
        END {
            plain = best["BM_EncryptBlocks"]; yielding = best["BM_EncryptBlocksWithDoEvents"]
            printf "cipher alone: %.1f MB/s; with Do_Events after every block: %.1f MB/s (%+.2f%%)\n",
                   1048576 / plain * 1e3, 1048576 / yielding * 1e3, 100 * (yielding / plain - 1)
            ns = best["BM_DoEvents"]; blocks = bytes / 32
            printf "Do_Events: %.2f ns per call x %d blocks = %.1f ms, %.2f%% of EncryptFile wall time\n",
                   ns, blocks, ns * blocks / 1e6, 100 * ns * blocks / 1e9 / ew
        }' "$work/bench.csv"
    "$bench" --benchmark_filter='Decrypt|General|Run' 2>/dev/null | grep BM_
    echo "(BM_*Run/0: the round table, /1: the AES instructions; one thread)"
fi
