#!/usr/bin/env bash
# Start-up speed and memory of fambridge against a bare Qt window, on one Xvfb display of their own:
# the time from process start until the X server maps the main window and until the window's contents
# have last changed (fambridge loads its fonts only when it first paints), and the resident memory once
# the window has settled. Runs alternate between the programs, so that anything else the machine does at the time
# weighs on all alike. Goals: at most 1.15 times the bare window's time to map, 1.2 times its memory. A third
# program, the bare window with one line of text, shows how much of the difference any text costs.
# fambridge starts in a temporary application folder, over a temporary drive map whose C:\PALM holds one
# user folder with a few databases, and without Famlore.ini, so that discovery runs as on a first start.
# Usage: bench/startup.sh [build folder] [runs of each program, default 20]
set -euo pipefail

build="$(realpath "${1:-$(dirname "$0")/../build}")"
runs="${2:-20}"
fambridge="$build/fambridge"
bare="$build/bench/fambridge_bare_window"
timer="$build/bench/fambridge_map_timer"
source "$(dirname "$0")/start_display.sh"
bench_require Xvfb "$fambridge" "$bare" "$timer"
bench_start

measure() { # results-file program [arguments...]
    local results="$1"
    shift
    (cd "$app_folder" && "$timer" --settle-ms 1000 "$@") >>"$results"
}

# Once each unmeasured, so that none pays alone for a cold font cache or cold pages.
measure /dev/null "$fambridge"
measure /dev/null "$bare"
measure /dev/null "$bare" --text
for run in $(seq "$runs"); do
    measure "$work/fambridge.txt" "$fambridge"
    measure "$work/bare.txt" "$bare"
    measure "$work/text.txt" "$bare" --text
    printf '\rrun %d of %d' "$run" "$runs" >&2
done
printf '\n' >&2

median() { # file field
    sed -n "s/.*$2=\([0-9.]*\).*/\1/p" "$1" | sort -n |
        awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

megabytes() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
row() { # label results-file
    printf '%-34s %9.1f %9.1f %11s %11s\n' "$1" "$(median "$2" map_ms)" "$(median "$2" drawn_ms)" \
        "$(megabytes "$(median "$2" rss_kb)")" "$(megabytes "$(median "$2" anon_kb)")"
}
ratio() { # field other-results-name
    awk -v a="$(median "$work/fambridge.txt" "$1")" -v b="$(median "$work/$2.txt" "$1")" \
        'BEGIN { printf "%.2f", a / b }'
}
verdict() { # ratio goal
    awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g ? "met" : "NOT MET") }'
}

printf 'medians of %d runs each             mapped     drawn    resident   anonymous\n' "$runs"
printf '%-34s %9s %9s %11s %11s\n' "" "(ms)" "(ms)" "(MiB)" "(MiB)"
row "fambridge" "$work/fambridge.txt"
row "bare Qt window" "$work/bare.txt"
row "bare Qt window with one text line" "$work/text.txt"
map_ratio=$(ratio map_ms bare)
memory_ratio=$(ratio rss_kb bare)
printf 'fambridge / bare window:       mapped %sx (goal at most 1.15x: %s), drawn %sx, memory %sx (goal at most 1.2x: %s)\n' \
    "$map_ratio" "$(verdict "$map_ratio" 1.15)" "$(ratio drawn_ms bare)" "$memory_ratio" "$(verdict "$memory_ratio" 1.2)"
printf 'fambridge / window with text:  mapped %sx, drawn %sx, memory %sx\n' "$(ratio map_ms text)" \
    "$(ratio drawn_ms text)" "$(ratio rss_kb text)"
