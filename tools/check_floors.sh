#!/usr/bin/env bash
# Checks the #include lines of a source tree (default: src/) against its floors: an include may run to
# its own folder or to a folder on a lower floor, or to another folder on the same floor as long as that
# folder does not include back. Prints each include that breaks this and exits 1; silent and 0 otherwise.
set -euo pipefail

src="${1:-$(dirname "$0")/../src}"

floor_of() {
    case "$1" in
    platform) echo 1 ;;
    state) echo 2 ;;
    startup | palm | layout | commands) echo 3 ;;
    ui) echo 4 ;;
    .) echo 5 ;; # main.cpp
    *) echo "" ;;
    esac
}

faults=0
declare -A includes_between=()

while IFS= read -r file; do
    relative="${file#"$src"/}"
    from="$(dirname "$relative")"
    from_floor="$(floor_of "$from")"
    if [ -z "$from_floor" ]; then
        echo "$relative: the folder $from is on no floor" >&2
        faults=$((faults + 1))
        continue
    fi
    while IFS= read -r line; do
        number="${line%%:*}"
        target="$(sed -E 's/^[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")"
        # An include without a folder is of the same folder, or of a generated file.
        [[ "$target" == */* ]] || continue
        to="${target%%/*}"
        to_floor="$(floor_of "$to")"
        [ -n "$to_floor" ] || continue
        [ "$to" = "$from" ] && continue
        if [ "$to_floor" -gt "$from_floor" ]; then
            echo "$relative:$number: includes $target from a higher floor ($to above $from)" >&2
            faults=$((faults + 1))
        fi
        includes_between["$from>$to"]="$relative:$number"
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

for pair in "${!includes_between[@]}"; do
    from="${pair%%>*}"
    to="${pair#*>}"
    if [[ "$from" < "$to" ]] && [ -n "${includes_between["$to>$from"]:-}" ]; then
        echo "$from and $to include each other: ${includes_between[$pair]} and ${includes_between["$to>$from"]}" >&2
        faults=$((faults + 1))
    fi
done

[ "$faults" -eq 0 ]
