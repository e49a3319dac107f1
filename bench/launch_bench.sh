#!/usr/bin/env bash
# Launches the installed program as a user does, on a large collection under Xvfb, and measures
# the time from starting the process until its main window is mapped and the process has gone
# idle (no more CPU time used), and the process's peak memory at that moment.
#
#   bench/launch_bench.sh [--stamps N] [--runs R]
set -euo pipefail
script="$(realpath "$0")"

if [ "${1:-}" = "--measure" ]; then
    # Runs inside Xvfb: $2 is the program folder, $3 the number of runs.
    folder="$2"
    runs="$3"
    cd "$folder"
    runtime_dir=$(mktemp -d)
    ticks_per_second=$(getconf CLK_TCK)
    cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo -1; }
    now_ms() { echo $(($(date +%s%N) / 1000000)); }
    times=()
    peaks=()
    for ((run = 1; run <= runs; ++run)); do
        start=$(now_ms)
        XDG_RUNTIME_DIR="$runtime_dir" ./albumino &
        pid=$!
        # xdotool's own --sync looks only every half second.
        until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
            kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing its window" >&2; exit 1; }
            sleep 0.005
        done
        mapped=$(now_ms)
        # Idle: the CPU time has not grown for 300 ms; the launch ends at its last growth.
        last_ticks=$(cpu_ticks "$pid")
        last_change=$mapped
        while [ $(($(now_ms) - last_change)) -lt 300 ]; do
            sleep 0.01
            ticks=$(cpu_ticks "$pid")
            if [ "$ticks" != "$last_ticks" ]; then
                last_ticks=$ticks
                last_change=$(now_ms)
            fi
        done
        peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        times+=($((last_change - start)))
        peaks+=($((peak_kb / 1024)))
        printf 'run %d: mapped after %d ms, idle after %d ms, peak %d MB, CPU %d ms\n' "$run" \
            $((mapped - start)) $((last_change - start)) $((peak_kb / 1024)) \
            $((last_ticks * 1000 / ticks_per_second))
    done
    median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    printf '\nlaunch until shown and idle: median %d ms (goal <= 1000 ms)\n' "$(median "${times[@]}")"
    printf 'peak memory: median %d MB (goal <= 150 MB)\n' "$(median "${peaks[@]}")"
    exit 0
fi

stamps=100000
runs=9
while [ $# -gt 0 ]; do
    case "$1" in
    --stamps) stamps="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) echo "usage: bench/launch_bench.sh [--stamps N] [--runs R]" >&2; exit 2 ;;
    esac
done

cd "$(dirname "$0")/.."
source scripts/setup.sh
albumino_install_missing
build_folder=build-bench
cmake -S . -B "$build_folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DALBUMINO_BENCH=ON \
    -DALBUMINO_TESTS=OFF >/dev/null
cmake --build "$build_folder" >/dev/null

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cmake --install "$build_folder" --prefix "$folder" >/dev/null
"$build_folder/bench/albumino_generate" "$folder" --stamps "$stamps" >/dev/null
echo "$stamps stamps in $folder; $runs launches"
# -noreset: the server must not restart between two launches.
xvfb-run -a -s '-screen 0 1280x1024x24 -noreset' "$script" --measure "$folder" "$runs"
