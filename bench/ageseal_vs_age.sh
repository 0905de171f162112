#!/usr/bin/env bash
# EncryptFile / DecryptFile of the Ageseal plug-in through objcall against Debian's age (passphrase typed on
# a pseudo-terminal) on the same file in one run: wall and CPU times and their ratios, each side opening
# the other's file too; then the plug-in's peak memory on a large and a small file.
#   bench/ageseal_vs_age.sh [build-dir] [size-in-MB] [large-size-in-MB]
# BEFORE=<an earlier Ageseal.dll of the same build> measures it too, in the same rounds, for a before/after
# comparison on one machine state.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
size_mb=${2:-100}
large_mb=${3:-1024}
here=$(cd "$(dirname "$0")" && pwd)
objcall=$build/bin/objcall
plugin=$build/bin/Encryption/Ageseal.dll
for tool in "$objcall" "$plugin" /usr/bin/time; do [ -e "$tool" ] || { echo "missing $tool" >&2; exit 1; }; done
for tool in age python3; do command -v $tool >/dev/null || { echo "$tool missing: run scripts/setup" >&2; exit 1; }; done

# A sandbox of our own: registry, drive C: and runtime folder never touch the user's.
work=$(mktemp -d "${TMPDIR:-/tmp}/ageseal-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/data" "$work/c" && chmod 700 "$work/runtime"
export VELMORA_REGISTRY=$work/registry.db VELMORA_DRIVE_C=$work/c XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
"$objcall" --register "$plugin"
# The earlier plug-in gets a registry of its own, and the suite's libraries beside it as it expects them.
before=${BEFORE:-}
if [ -n "$before" ]; then
    mkdir -p "$work/before/Encryption"
    cp "$before" "$work/before/Encryption/Ageseal.dll"
    for lib in "$build"/bin/*.so "$build"/bin/*.dll; do ln -s "$lib" "$work/before/"; done
    VELMORA_REGISTRY=$work/before.db "$objcall" --register "$work/before/Encryption/Ageseal.dll"
fi

echo "start: $(uptime)"
password="benchmark password"
head -c "$((size_mb * 1024 * 1024))" /dev/urandom > "$work/plain.bin"

# Runs a command under /usr/bin/time; sets wall and cpu (user + system, seconds) and rss (KB).
measure() {
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > "$work/out" 2>&1 || { cat "$work/out" >&2; exit 1; }
    read -r wall user sys rss < "$work/time"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
# plug OPERATION SOURCE DESTINATION [REGISTRY]
plug() {
    measure env VELMORA_REGISTRY="${4:-$VELMORA_REGISTRY}" "$objcall" Ageseal.Main "$1(\"$2\",\"$3\",\"$password\")"
    grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }
}
runage() { read -r wall cpu < <(python3 "$here/agepty.py" "$password" age "$@" | tail -1); }

# Rounds alternate between the tools so that a busy moment does not fall on one of them only; the best
# round of each counts. Each decrypts the file the other wrote.
rounds=${ROUNDS:-3}
declare -A best
keep() { best[$1]=$(min "${best[$1]:-}" "$2"); }
for ((round = 0; round < rounds; round++)); do
    rm -f "$work"/plain.zqf "$work"/plain.age "$work"/back.bin "$work"/age.bin
    sync
    plug EncryptFile "$work/plain.bin" "$work/plain.zqf"; keep aew "$wall"; keep aec "$cpu"
    runage -p -o "$work/plain.age" "$work/plain.bin"; keep yew "$wall"; keep yec "$cpu"
    plug DecryptFile "$work/plain.age" "$work/back.bin"; keep adw "$wall"; keep adc "$cpu"
    if [ -n "$before" ]; then
        plug EncryptFile "$work/plain.bin" "$work/plain.old" "$work/before.db"; keep bew "$wall"; keep bec "$cpu"
        plug DecryptFile "$work/plain.age" "$work/old.bin" "$work/before.db"; keep bdw "$wall"; keep bdc "$cpu"
        cmp -s "$work/plain.bin" "$work/old.bin" || { echo "the earlier plug-in reads age's file wrong" >&2; exit 1; }
        rm -f "$work/plain.old" "$work/old.bin"
    fi
    runage -d -o "$work/age.bin" "$work/plain.zqf"; keep ydw "$wall"; keep ydc "$cpu"
    cmp -s "$work/plain.bin" "$work/back.bin" || { echo "age's file differs when Ageseal opens it" >&2; exit 1; }
    cmp -s "$work/plain.bin" "$work/age.bin" || { echo "Ageseal's file differs when age opens it" >&2; exit 1; }
done
rm -f "$work"/plain.zqf "$work"/plain.age "$work"/back.bin "$work"/age.bin

row() { awk -v n="$1" -v a="${best[$2]}" -v y="${best[$3]}" \
    'BEGIN { printf "%-12s %8.2fs %8.2fs %8.2f\n", n, a, y, a / y }'; }
printf 'file: %d MB, best of %d alternating rounds; load average %s\n' "$size_mb" "$rounds" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-12s %9s %9s %8s\n' "" Ageseal "age" "x age"
row "encrypt wall" aew yew; row "decrypt wall" adw ydw
row "encrypt cpu" aec yec; row "decrypt cpu" adc ydc
if [ -n "$before" ]; then
    printf '%-12s %9s %9s %8s\n' "" before "age" "x age"
    row "encrypt wall" bew yew; row "decrypt wall" bdw ydw
    row "encrypt cpu" bec yec; row "decrypt cpu" bdc ydc
fi
echo "target: <= 1.00 x age"

# Peak memory: a large and a small file, each encrypted and decrypted once (scrypt's 256 MiB included); the
# small file's times are nearly all the key derivation's.
for mb in "$large_mb" 1; do
    head -c "$((mb * 1024 * 1024))" /dev/urandom > "$work/m.bin"
    plug EncryptFile "$work/m.bin" "$work/m.zqf"; er=$rss; et="$wall s wall, $cpu s cpu"
    plug DecryptFile "$work/m.zqf" "$work/m.back"; dr=$rss; dt="$wall s wall, $cpu s cpu"
    cmp -s "$work/m.bin" "$work/m.back" || { echo "round trip differs ($mb MB)" >&2; exit 1; }
    printf 'peak RSS, %5d MB file: encrypt %6.1f MB (%s), decrypt %6.1f MB (%s)\n' "$mb" \
        "$(awk -v r="$er" 'BEGIN{print r/1024}')" "$et" "$(awk -v r="$dr" 'BEGIN{print r/1024}')" "$dt"
    rm -f "$work/m.bin" "$work/m.zqf" "$work/m.back"
done
echo "target: the same on both files (scrypt's 256 MiB + a few MB)"
