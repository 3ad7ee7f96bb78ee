#!/usr/bin/env bash
# Which folders of the drive map fambridge reads while it starts, and how often: each reading is one
# opendir, seen through strace. Two starts: a first one without Famlore.ini, so that discovery runs, and
# one with a saved user folder. A folder read more than once in one start is marked.
# Usage: bench/startup_scans.sh [build folder]
set -euo pipefail

build="$(realpath "${1:-$(dirname "$0")/../build}")"
fambridge="$build/fambridge"
timer="$build/bench/fambridge_map_timer"
source "$(dirname "$0")/start_display.sh"
bench_require Xvfb strace "$fambridge" "$timer"
bench_start
# Folders that no start needs to read: one beside the user folder, one inside it, one elsewhere on C:.
mkdir -p "$prefix/drive_c/PALM/Other" "$prefix/drive_c/PALM/User1/INSTALL" "$prefix/drive_c/Windows"

scan() { # title
    echo "== $1"
    (cd "$app_folder" &&
        "$timer" --settle-ms 500 strace -f -qq -e trace=openat -o "$work/trace" "$fambridge" >/dev/null)
    grep -F "\"$prefix" "$work/trace" | grep O_DIRECTORY | grep -v '= -1' |
        sed -E "s|.*\"$prefix/?([^\"]*)\".*|\1|" | sort | uniq -c |
        awk '{ printf "%3d  %s%s\n", $1, ($2 == "" ? "(prefix)" : $2), ($1 > 1 ? "   <- read more than once" : "") }'
}

scan "first start: no Famlore.ini, discovery under C:\\PALM"
printf '"FAMBRIDGE","1.40"\r\n"C:\\PALM\\User1"\r\n\r\n\r\n\r\n\r\n\r\n' >"$app_folder/Famlore.ini"
scan "start with a saved user folder"
