#!/usr/bin/env bash
# Runs the listing benchmark and prints how the refresh of a BACKUP folder grows from 10,000 to 100,000
# entries (the goal is at most 12 times, close to linear) and how far it stands above a bare readdir.
# Usage: bench/run_listing.sh [path to fambridge_listing_bench] [extra benchmark flags...]
set -euo pipefail

binary="${1:-$(dirname "$0")/../build/bench/fambridge_listing_bench}"
shift || true

# Medians of several repetitions of CPU time, so that one run disturbed by other work does not decide the
# ratio.
"$binary" --benchmark_repetitions=5 --benchmark_min_time=1 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv "$@" 2>/dev/null | awk -F, '
    $1 ~ /_median"?$/ {
        name = $1
        gsub(/"/, "", name)
        sub(/_median$/, "", name)
        split(name, parts, "/")
        time[parts[1], parts[2]] = $4
        unit = $5
        sizes[parts[2]] = 1
    }
    END {
        n = 0
        for (size in sizes) order[++n] = size + 0
        for (i = 1; i <= n; i++)
            for (j = i + 1; j <= n; j++)
                if (order[j] < order[i]) { t = order[i]; order[i] = order[j]; order[j] = t }

        printf "%10s %16s %12s %14s\n", "entries", "listing (" unit ")", "readdir (" unit ")", "listing/readdir"
        for (i = 1; i <= n; i++) {
            s = order[i]
            listing = time["BM_ListDatabasesWithPartners", s]
            readdir = time["BM_Readdir", s]
            printf "%10d %16.3f %12.3f %14.1f\n", s, listing, readdir, (readdir > 0 ? listing / readdir : 0)
        }
        small = time["BM_ListDatabasesWithPartners", 10000]
        large = time["BM_ListDatabasesWithPartners", 100000]
        if (small > 0) {
            growth = large / small
            printf "growth 10k -> 100k: %.1fx (goal at most 12x): %s\n", growth, (growth <= 12 ? "met" : "NOT MET")
        }
        # The host itself does not read a folder ten times larger in ten times the time; this shows how much
        # of the growth above is the machine'"'"'s own.
        if (time["BM_Readdir", 10000] > 0)
            printf "readdir alone, 10k -> 100k: %.1fx\n", time["BM_Readdir", 100000] / time["BM_Readdir", 10000]
    }'
