#!/usr/bin/env bash
# Builds the JPEG decoder's libFuzzer target into build-fuzz/ and runs it for SECONDS
# (default 600) in one process, starting from the seed corpus. Crash, timeout and out-of-memory
# inputs are left in build-fuzz/findings/; the fuzzer stops at the first.
set -euo pipefail

seconds=${1:-600}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-fuzz

# shellcheck source=../../scripts/setup.sh
source "$root/scripts/setup.sh"
albumino_packages+=(clang-14 libclang-rt-14-dev)
albumino_install_missing

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build"

# The seeds stay untouched; the fuzzer adds what it finds to a working copy.
mkdir -p "$build/corpus" "$build/findings"
cp "$here"/corpus/* "$build/corpus/"

# JPEG markers and tags, for mutations that the decoder's own branches cannot guide: the
# system libjpeg is not instrumented, so the coverage seen is that of jpegimage.cpp alone.
cat >"$build/jpeg.dict" <<'DICT'
soi="\xff\xd8"
eoi="\xff\xd9"
sof0="\xff\xc0"
sof1="\xff\xc1"
sof2="\xff\xc2"
sof9="\xff\xc9"
sof10="\xff\xca"
dht="\xff\xc4"
dac="\xff\xcc"
dqt="\xff\xdb"
dri="\xff\xdd"
sos="\xff\xda"
rst0="\xff\xd0"
rst7="\xff\xd7"
app0="\xff\xe0"
app14="\xff\xee"
com="\xff\xfe"
jfif="JFIF\x00"
adobe="Adobe"
DICT

log=$build/fuzz.log
set +e
"$build/fuzz_jpeg" "$build/corpus" \
    -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -dict="$build/jpeg.dict" -print_final_stats=1 -artifact_prefix="$build/findings/" \
    2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

echo "executions: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')"
echo "exec/s:     $(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')"
echo "corpus:     $(find "$build/corpus" -type f | wc -l) files"
echo "findings:   $(find "$build/findings" -type f | wc -l) files in $build/findings"
exit "$status"
