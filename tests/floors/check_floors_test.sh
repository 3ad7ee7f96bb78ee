#!/usr/bin/env bash
# The floor check must find what it is there to find: a tree with an include that runs up a floor, two
# folders of one floor that include each other and a folder on no floor fails, naming each; the same
# tree without them passes.
set -euo pipefail

check="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree"/{platform,state,startup,palm,layout,ui}
printf '#pragma once\n' >"$tree/platform/file_system.h"
printf '#include "platform/file_system.h"\n' >"$tree/state/app_state.h"
printf '#include "state/app_state.h"\n#include "palm/database_list.h"\n' >"$tree/startup/start_up.cpp"
printf '#include "platform/file_system.h"\n#include "state/app_state.h"\n' >"$tree/palm/database_list.h"
printf '#include "database_list.h"\n' >"$tree/palm/database_list.cpp"
printf '#include "layout/window_sizing.h"\n#include "startup/start_up.h"\n' >"$tree/ui/main_form.cpp"
printf '#include "version.h"\n#include "ui/main_form.h"\n' >"$tree/main.cpp"
printf '#pragma once\n' >"$tree/layout/window_sizing.h"

if ! "$check" "$tree"; then
    echo "a tree whose includes all run down was refused" >&2
    exit 1
fi

printf '#include "startup/start_up.h"\n' >>"$tree/palm/database_list.cpp"
printf '#include "ui/twips.h"\n' >>"$tree/layout/window_sizing.h"
mkdir "$tree/helpers" && printf '#pragma once\n' >"$tree/helpers/x.h"
if report="$("$check" "$tree" 2>&1)"; then
    echo "a tree with an upward include, a loop and a folder on no floor passed" >&2
    exit 1
fi
status=0
for expected in "layout/window_sizing.h:2: includes ui/twips.h from a higher floor" \
    "palm and startup include each other" "helpers/x.h: the folder helpers is on no floor"; do
    if ! grep -qF "$expected" <<<"$report"; then
        echo "not reported: $expected" >&2
        status=1
    fi
done
[ "$status" -eq 0 ] || printf 'the report was:\n%s\n' "$report" >&2
exit "$status"
