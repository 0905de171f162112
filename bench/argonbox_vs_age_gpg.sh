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

# Runs a command under /usr/bin/time; sets wall (seconds) and rss (KB).
measure() {
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" > "$work/out" 2>&1 || { cat "$work/out" >&2; exit 1; }
    read -r wall rss < "$work/time"
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
plug() { measure "$objcall" Argonbox.Main "$1(\"$2\",\"$3\",\"$password\")"; grep -q '^b:true' "$work/out" || { cat "$work/out" >&2; exit 1; }; }

# Rounds alternate between the tools so that a busy moment does not fall on one of them only; the best
# (least disturbed) round of each counts.
rounds=${ROUNDS:-3}
ae="" ad="" ge="" gd="" ye="" yd=""
for ((round = 0; round < rounds; round++)); do
    sync
    plug EncryptFile "$work/plain.bin" "$work/plain.zqf"; ae=$(min "$ae" "$wall")
    plug DecryptFile "$work/plain.zqf" "$work/back.bin"; ad=$(min "$ad" "$wall")
    cmp -s "$work/plain.bin" "$work/back.bin" || { echo "Argonbox round trip differs" >&2; exit 1; }

    rm -f "$work/plain.age" "$work/age.bin"
    wall=$(python3 "$here/agepty.py" "$password" age -p -o "$work/plain.age" "$work/plain.bin" | tail -1); ye=$(min "$ye" "$wall")
    wall=$(python3 "$here/agepty.py" "$password" age -d -o "$work/age.bin" "$work/plain.age" | tail -1); yd=$(min "$yd" "$wall")
    cmp -s "$work/plain.bin" "$work/age.bin" || { echo "age round trip differs" >&2; exit 1; }

    rm -f "$work/plain.gpg" "$work/gpg.bin"
    measure gpg --batch --yes --pinentry-mode loopback --passphrase-fd 3 -c --cipher-algo AES256 \
        -o "$work/plain.gpg" "$work/plain.bin" 3< "$work/key"; ge=$(min "$ge" "$wall")
    measure gpg --batch --yes --pinentry-mode loopback --passphrase-fd 3 -d -o "$work/gpg.bin" \
        "$work/plain.gpg" 3< "$work/key"; gd=$(min "$gd" "$wall")
    cmp -s "$work/plain.bin" "$work/gpg.bin" || { echo "gpg round trip differs" >&2; exit 1; }
done
rm -f "$work"/*.age "$work"/*.gpg "$work"/age.bin "$work"/gpg.bin "$work"/back.bin "$work"/plain.zqf

awk -v size="$size_mb" -v rounds="$rounds" -v ae="$ae" -v ad="$ad" -v ye="$ye" -v yd="$yd" -v ge="$ge" -v gd="$gd" 'BEGIN {
    printf "file: %d MB, best of %d alternating rounds (wall seconds)\n", size, rounds
    printf "%-8s %9s %9s %9s %10s %10s\n", "", "Argonbox", "age -p", "gpg -c", "x age", "x gpg"
    printf "%-8s %8.2fs %8.2fs %8.2fs %10.2f %10.2f\n", "encrypt", ae, ye, ge, ae / ye, ae / ge
    printf "%-8s %8.2fs %8.2fs %8.2fs %10.2f %10.2f\n", "decrypt", ad, yd, gd, ad / yd, ad / gd
    printf "targets: <= 1.00 x age, <= 0.50 x gpg\n"
}'

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
