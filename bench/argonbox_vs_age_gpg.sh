#!/usr/bin/env bash
# EncryptFile / DecryptFile of the Argonbox plug-in through objcall against Debian's age (passphrase mode,
# typed on a pseudo-terminal) and gpg (symmetric, AES256) on the same file in one run: wall times and
# ratios; then the plug-in's peak memory on a large and a small file.
#   bench/argonbox_vs_age_gpg.sh [build-dir] [size-in-MB] [large-size-in-MB]
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
size_mb=${2:-100}
large_mb=${3:-1024}
here=$(cd "$(dirname "$0")" && pwd)
objcall=$build/bin/objcall
plugin=$build/bin/Encryption/Argonbox.dll
for tool in "$objcall" "$plugin" /usr/bin/time; do [ -e "$tool" ] || { echo "missing $tool" >&2; exit 1; }; done
for tool in age gpg python3; do command -v $tool >/dev/null || { echo "$tool missing: run scripts/setup" >&2; exit 1; }; done

# A sandbox of our own: registry, drive C:, runtime folder and gpg home never touch the user's.
work=$(mktemp -d "${TMPDIR:-/tmp}/argonbox-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/data" "$work/c" "$work/gnupg" && chmod 700 "$work/runtime" "$work/gnupg"
export VELMORA_REGISTRY=$work/registry.db VELMORA_DRIVE_C=$work/c XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
export GNUPGHOME=$work/gnupg
"$objcall" --register "$plugin"

password="benchmark password"
printf '%s\n' "$password" > "$work/key" && chmod 600 "$work/key"
head -c "$((size_mb * 1024 * 1024))" /dev/urandom > "$work/plain.bin"

# Runs a command under /usr/bin/time; sets wall and cpu (user + system, seconds) and rss (KB).
measure() {
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > "$work/out" 2>&1 || { cat "$work/out" >&2; exit 1; }
    read -r wall user sys rss < "$work/time"
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
plug() { measure "$objcall" Argonbox.Main "$1(\"$2\",\"$3\",\"$password\")"; grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }; }

# Rounds alternate between the tools so that a busy moment does not fall on one of them only; the best
# (least disturbed) round of each counts, for wall time and for CPU time (which a shared machine disturbs
# less; the plug-in's flush to disk is wall time only).
rounds=${ROUNDS:-3}
declare -A best
keep() { best[$1]=$(min "${best[$1]:-}" "$2"); }
runage() { read -r wall cpu < <(python3 "$here/agepty.py" "$password" age "$@" | tail -1); }
for ((round = 0; round < rounds; round++)); do
    # Every tool writes new files: none pays inside its run for freeing an old output's blocks.
    rm -f "$work/plain.zqf" "$work/back.bin"
    sync
    plug EncryptFile "$work/plain.bin" "$work/plain.zqf"; keep aew "$wall"; keep aec "$cpu"
    plug DecryptFile "$work/plain.zqf" "$work/back.bin"; keep adw "$wall"; keep adc "$cpu"
    cmp -s "$work/plain.bin" "$work/back.bin" || { echo "Argonbox round trip differs" >&2; exit 1; }

    rm -f "$work/plain.age" "$work/age.bin"
    runage -p -o "$work/plain.age" "$work/plain.bin"; keep yew "$wall"; keep yec "$cpu"
    runage -d -o "$work/age.bin" "$work/plain.age"; keep ydw "$wall"; keep ydc "$cpu"
    cmp -s "$work/plain.bin" "$work/age.bin" || { echo "age round trip differs" >&2; exit 1; }

    rm -f "$work/plain.gpg" "$work/gpg.bin"
    measure gpg --batch --yes --pinentry-mode loopback --passphrase-fd 3 -c --cipher-algo AES256 \
        -o "$work/plain.gpg" "$work/plain.bin" 3< "$work/key"; keep gew "$wall"; keep gec "$cpu"
    measure gpg --batch --yes --pinentry-mode loopback --passphrase-fd 3 -d -o "$work/gpg.bin" \
        "$work/plain.gpg" 3< "$work/key"; keep gdw "$wall"; keep gdc "$cpu"
    cmp -s "$work/plain.bin" "$work/gpg.bin" || { echo "gpg round trip differs" >&2; exit 1; }
done
rm -f "$work"/*.age "$work"/*.gpg "$work"/age.bin "$work"/gpg.bin "$work"/back.bin "$work"/plain.zqf

row() { awk -v n="$1" -v a="${best[$2]}" -v y="${best[$3]}" -v g="${best[$4]}" \
    'BEGIN { printf "%-12s %8.2fs %8.2fs %8.2fs %8.2f %8.2f\n", n, a, y, g, a / y, a / g }'; }
printf 'file: %d MB, best of %d alternating rounds\n' "$size_mb" "$rounds"
printf '%-12s %9s %9s %9s %8s %8s\n' "" Argonbox "age -p" "gpg -c" "x age" "x gpg"
row "encrypt wall" aew yew gew; row "decrypt wall" adw ydw gdw
row "encrypt cpu" aec yec gec; row "decrypt cpu" adc ydc gdc
echo "targets: <= 1.00 x age, <= 0.50 x gpg"

# Peak memory: a large and a small file, each encrypted and decrypted once.
for mb in "$large_mb" 1; do
    head -c "$((mb * 1024 * 1024))" /dev/urandom > "$work/m.bin"
    plug EncryptFile "$work/m.bin" "$work/m.zqf"; er=$rss
    plug DecryptFile "$work/m.zqf" "$work/m.back"; dr=$rss
    cmp -s "$work/m.bin" "$work/m.back" || { echo "round trip differs ($mb MB)" >&2; exit 1; }
    printf 'peak RSS, %5d MB file: encrypt %6.1f MB, decrypt %6.1f MB\n' "$mb" "$(awk -v r="$er" 'BEGIN{print r/1024}')" \
        "$(awk -v r="$dr" 'BEGIN{print r/1024}')"
    rm -f "$work/m.bin" "$work/m.zqf" "$work/m.back"
done
echo "target: at most the Argon2 memory limit (64 MiB) + 32 MB, the same on both files"
