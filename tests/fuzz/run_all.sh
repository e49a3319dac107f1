#!/usr/bin/env bash
# Builds every fuzz target and runs each in turn for SECONDS (default 900), then prints each
# one's executions and findings. Usage: run_all.sh [SECONDS]
set -euo pipefail
seconds=${1:-900}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
status=0
for target in filter language jpeg formshape; do
    echo "== $target, $seconds s"
    "$here/run.sh" "$target" "$seconds" | tail -4 || status=1
done
exit $status
