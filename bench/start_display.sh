# Sourced by the start-up benchmarks. bench_start makes a temporary folder ($work, removed on exit)
# holding a drive map ($prefix: C: only, with C:\PALM\User1\BACKUP holding three databases, and an empty
# application folder C:\Conv, $app_folder), and starts an Xvfb display of its own for the programs that
# the script starts after it.

bench_require() { # programs or tools that must be there
    local needed
    for needed in "$@"; do
        if [[ "$needed" == */* ]]; then
            [ -x "$needed" ] || { echo "missing $needed: build first" >&2; exit 2; }
        else
            command -v "$needed" >/dev/null || { echo "$needed is needed" >&2; exit 2; }
        fi
    done
}

bench_cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}

bench_start() {
    work="$(mktemp -d)"
    server=""
    trap bench_cleanup EXIT

    prefix="$work/prefix"
    app_folder="$prefix/drive_c/Conv"
    mkdir -p "$prefix/dosdevices" "$app_folder" "$prefix/drive_c/PALM/User1/BACKUP" "$work/runtime"
    ln -s ../drive_c "$prefix/dosdevices/c:"
    for stem in Family Smith Jones; do
        : >"$prefix/drive_c/PALM/User1/BACKUP/${stem}P.PDB"
        : >"$prefix/drive_c/PALM/User1/BACKUP/${stem}E.PDB"
    done
    chmod 700 "$work/runtime"

    # Xvfb chooses a free display itself and names it on the descriptor once it accepts connections.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    server=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    [ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }

    export DISPLAY=":$(head -n1 "$work/display")"
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$work/runtime"
    export FAMBRIDGE_PREFIX="$prefix"
    unset WINEPREFIX
}
