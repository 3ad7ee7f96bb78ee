#!/usr/bin/env bash
# Makes, once, the Wine prefix that every wine test starts from as a copy of its own: wineboot takes some
# ten seconds, a copy a fraction of one. Without wine there is nothing to make; the tests then say so.
set -euo pipefail

cache="$1"
[ -f "$cache/system.reg" ] && exit 0
if ! command -v wine >/dev/null; then
    echo "wine is not installed; the wine tests will skip"
    exit 0
fi
rm -rf "$cache.partial"
# No Mono or Gecko: the stand-ins need neither, and their installers would ask.
export WINEPREFIX="$cache.partial" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot --init
wineserver --wait
mv "$cache.partial" "$cache"
