#!/usr/bin/env bash
# The whole product as a user runs it, on generated drawings of each given size (default
# 10000 100000 1000000 objects): every run is one `qxcad --script` process, timed with its peak
# memory, and the host's timing marks (QXCAD_TIMES) split it into phases.
#   bench/whole_path.sh [OBJECTS...]
# Environment: BUILD (default build), QX_BENCH_DIR (default /tmp/qx-whole-path), where the
# drawings, scripts and outputs go; QX_BENCH_RUNS, the runs to make (default all five, in
# order: combined_csv plain_outputs insert_save refresh reexport; each table run needs the
# ones before it). A table of a million rows takes far more memory than the wizard's runs:
# on a shared machine, QX_BENCH_RUNS="combined_csv plain_outputs" keeps to those.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
DIR=${QX_BENCH_DIR:-/tmp/qx-whole-path}
SIZES=("$@")
[ ${#SIZES[@]} -eq 0 ] && SIZES=(10000 100000 1000000)
for exe in qxcad whole_path_drawing; do
  [ -x "$BUILD/$exe" ] || { echo "missing $BUILD/$exe: build first (cmake --build $BUILD)" >&2; exit 1; }
done
mkdir -p "$DIR"
# The row count above which inserting a table asks first (output/table_size_check.h).
HUGE_TABLE_ROWS=10000

# Pages 1 to 3 with their defaults (every kind of object), then page 4 with combining on or off.
wizard_to_page5() {
  printf 'DATAEXTRACTION\nclick Next\nclick Next\nclick Next\n%s 1033\nclick Next\n' "$1"
}

write_wizard_scripts() {
  local d=$1
  { wizard_to_page5 check
    printf 'click 1029\nfile "%s" 1\nclick Finish\nQUIT\n' "$d/combined.csv"
  } >"$d/combined_csv.scr"
  { wizard_to_page5 uncheck
    printf 'click 1029\nfile "%s" 1\nclick 1003\nfile "%s"\nclick Finish\n' "$d/plain.csv" "$d/plain.qex"
    wizard_to_page5 uncheck
    printf 'click 1029\nfile "%s" 2\nclick Finish\nQUIT\n' "$d/plain.xls"
  } >"$d/plain_outputs.scr"
}

# Run after the plain outputs: a table of more rows than the insertion accepts without asking
# (the CSV's records, as the table's rows below its title) needs the user's yes.
write_insert_script() {
  local d=$1 answer=""
  local rows
  rows=$(python3 -c 'import csv, sys; print(sum(1 for _ in csv.reader(open(sys.argv[1], newline=""))))' "$d/plain.csv")
  [ "$rows" -gt "$HUGE_TABLE_ROWS" ] && answer='yes\n'
  { wizard_to_page5 uncheck
    printf "click 1031\n${answer}0,0\nclick Finish\nSAVEAS %s\nQUIT\n" "$d/with_table.dxf"
  } >"$d/insert_save.scr"
}

# Run after the insertion run: they name the table it inserted.
write_update_scripts() {
  local d=$1
  { cat "$d/edits.scr"
    printf 'DATAEXTRACTIONUPDATE\nclick 1051\nhandles %s\nSAVE\nQUIT\n' "$(table_handle "$d")"
  } >"$d/refresh.scr"
  { printf 'DATAEXTRACTIONUPDATE\nclick 1054\nhandles %s\nfile "%s" 1\nQUIT\n' \
      "$(table_handle "$d")" "$d/reexport.csv"
  } >"$d/reexport.scr"
}

# The handle of the table the insertion run added: the last table entity of the saved drawing.
table_handle() {
  awk '$0 == "ACAD_TABLE" && prev ~ /^ *0$/ { t = 1 } t && prev ~ /^ *5$/ { h = $0; t = 0 } { prev = $0 } END { print h }' \
    "$1/with_table.dxf"
}

RUNS=" ${QX_BENCH_RUNS:-combined_csv plain_outputs insert_save refresh reexport} "
wanted() { [[ "$RUNS" == *" $1 "* ]]; }

run() {  # run NAME SIZE DRAWING
  local name=$1 n=$2 drawing=$3 d=$DIR/$2
  local status=0
  wanted "$name" || return 0
  QXCAD_TIMES=1 /usr/bin/time -f '%e %M' -o "$d/$name.time" \
    "$BUILD/qxcad" --script "$d/$name.scr" "$drawing" >"$d/$name.out" 2>"$d/$name.err" || status=$?
  if [ $status -ne 0 ]; then
    echo "$name at $n objects failed (status $status): see $d/$name.out and $d/$name.err" >&2
    tail -5 "$d/$name.out" >&2
    return 1
  fi
}

for n in "${SIZES[@]}"; do
  d=$DIR/$n
  mkdir -p "$d"
  [ -s "$d/drawing.dxf" ] || "$BUILD/whole_path_drawing" "$n" "$d/drawing.dxf" "$d/edits.scr"
  write_wizard_scripts "$d"
  for name in combined_csv plain_outputs; do run "$name" "$n" "$d/drawing.dxf"; done
  wanted insert_save || continue
  write_insert_script "$d"
  run insert_save "$n" "$d/drawing.dxf"
  wanted refresh || wanted reexport || continue
  write_update_scripts "$d"
  cp "$d/with_table.dxf" "$d/refreshed.dxf"
  run refresh "$n" "$d/refreshed.dxf"
  run reexport "$n" "$d/refreshed.dxf"
done

python3 "$ROOT/bench/whole_path_report.py" "$DIR" "${SIZES[@]}"
