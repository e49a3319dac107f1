#!/usr/bin/env bash
# Usage: run.sh [jpeg|language|filter|formshape] [SECONDS]
# Builds a libFuzzer target (default jpeg) into build-fuzz/ and runs it for SECONDS (default
# 600) in one process, starting from its seed corpus. Crash, timeout and out-of-memory inputs
# are left in the target's findings folder; the fuzzer stops at the first.
set -euo pipefail

target=jpeg
if [ $# -gt 0 ] && ! [[ $1 =~ ^[0-9]+$ ]]; then
    target=$1
    shift
fi
seconds=${1:-600}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-fuzz

case $target in
jpeg)
    seeds=$here/corpus-jpeg corpus=$build/corpus-jpeg
    findings=$build/findings-jpeg log=$build/fuzz-jpeg.log
    max_len=65536
    ;;
language)
    seeds=$here/corpus-language corpus=$build/corpus-language
    findings=$build/findings-language log=$build/fuzz-language.log
    # Language files are small; longer inputs only slow the quadratic key look-ups down.
    max_len=4096
    ;;
filter)
    seeds=$here/corpus-filter corpus=$build/corpus-filter
    findings=$build/findings-filter log=$build/fuzz-filter.log
    # Filters are typed by hand; 4 KB still holds chains and nestings past the parser's limits.
    max_len=4096
    ;;
formshape)
    seeds=$here/corpus-formshape corpus=$build/corpus-formshape
    findings=$build/findings-formshape log=$build/fuzz-formshape.log
    max_len=4096
    ;;
*)
    echo "usage: $0 [jpeg|language|filter|formshape] [SECONDS]" >&2
    exit 2
    ;;
esac
dict=$build/$target.dict

# shellcheck source=../../scripts/setup.sh
source "$root/scripts/setup.sh"
albumino_packages+=(clang-14 libclang-rt-14-dev)
albumino_install_missing

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" --target "fuzz_$target"

# The seeds stay untouched; the fuzzer adds what it finds to a working copy.
mkdir -p "$corpus" "$findings"
if [ -d "$seeds" ]; then
    cp "$seeds"/* "$corpus/"
fi

rm -f "$dict"
case $target in
jpeg)
    # JPEG markers and tags, for mutations that the decoder's own branches cannot guide: the
    # system libjpeg is not instrumented, so the coverage seen is that of jpegimage.cpp alone.
    cat >"$dict" <<'DICT'
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
    ;;
language)
    # The file's punctuation and the value escapes, so that mutations build whole lines.
    cat >"$dict" <<'DICT'
crlf="\x0d\x0a"
main="[MainForm]"
general="[General Settings]"
open="["
close="]"
equals="="
quote="\x22"
quotes="\x22\x22"
cr="#13"
lf="#10"
escape="\x22#13#10\x22"
comma=","
comment=";"
nul="\x00"
bom="\xef\xbb\xbf"
euro="\x80"
caption=".Caption="
hints=".Hints="
DICT
    ;;
filter)
    # The words, operators and quoting of the language and the target's field names.
    cat >"$dict" <<'DICT'
and=" and "
or=" or "
not="not "
and_upper=" AND "
or_upper=" OR "
eq="="
ne="<>"
lt="<"
le="<="
gt=">"
ge=">="
open="("
close=")"
quote="'"
quotes="''"
bracket_open="["
bracket_close="]"
land="Land"
katalog="Katalog"
nr="Nr"
aarstal="Aarstal"
pris="Pris"
datum="[Geb. Datum]"
groesse="Gr\xc3\xb6\xc3\x9fe"
zoll="[Zoll\x22Ma\xc3\x9f]"
select="Select"
id="_id"
ivoire="'C\xc3\xb4te d''Ivoire'"
fraction=".5"
decimal="1.25"
huge="99999999999999999999"
DICT
    ;;
esac
dict_option=()
if [ -f "$dict" ]; then
    dict_option=(-dict="$dict")
fi

set +e
"$build/fuzz_$target" "$corpus" \
    -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10 \
    "${dict_option[@]}" -print_final_stats=1 -artifact_prefix="$findings/" \
    2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

echo "executions: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')"
echo "exec/s:     $(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')"
echo "corpus:     $(find "$corpus" -type f | wc -l) files"
echo "findings:   $(find "$findings" -type f | wc -l) files in $findings"
exit "$status"
