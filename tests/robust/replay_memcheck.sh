#!/usr/bin/env bash
# Runs the replay tool under Valgrind's memcheck: start-up, a thousand passes with a match started,
# shutdown. Fails on any memory error (invalid read or write, bad free, use of uninitialised
# memory), on any block lost whose allocation passed through the game's own code, and on any
# block of a font still held at exit (the fonts are freed at shutdown).
# Usage: replay_memcheck.sh VALGRIND REPLAY ROOT   (run from ROOT, where Graphics/ and data/ are)
set -euo pipefail
valgrind=$1 replay=$2 root=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Title screen, the key 1, then walking, firing and every weapon in turn: 1001 passes.
{
  for _ in 1 2 3 4 5; do echo; done
  echo 1
  moves=("right space" "up 3" "left space" "down 4 space" "space 2" "up right 1" "down space")
  for i in $(seq 0 994); do echo "${moves[$(( i / 20 % 7 ))]}"; done
} > "$work/keys"

status=0
"$valgrind" --tool=memcheck --error-exitcode=99 --errors-for-leak-kinds=none \
  --leak-check=full --show-leak-kinds=all --num-callers=40 --fullpath-after="$root/" \
  "$replay" < "$work/keys" > "$work/trace" 2> "$work/memcheck" || status=$?

passes=$(wc -l < "$work/trace")
# One record per block group: its heading line and the stack lines under it, up to a blank line.
project_lost=$(awk '/are (definitely|indirectly) lost in loss record/ { inrec = 1; rec = $0; next }
                    inrec && /^==[0-9]+== *$/ { if (rec ~ /\((src|tools)\//) { print rec; n++ } inrec = 0; next }
                    inrec { rec = rec "\n" $0 }
                    END { exit 0 }' "$work/memcheck")
font_held=$(awk '/in loss record/ { inrec = 1; rec = $0; next }
                 inrec && /^==[0-9]+== *$/ { if (rec ~ /loadFont/) print rec; inrec = 0; next }
                 inrec { rec = rec "\n" $0 }' "$work/memcheck")
errors=$(grep -Eo 'ERROR SUMMARY: [0-9]+ errors' "$work/memcheck" || echo "ERROR SUMMARY: missing")
lost=$(grep -E '(definitely|indirectly) lost:' "$work/memcheck" | sed 's/^==[0-9]*== *//' | tr '\n' ';' || true)

echo "memcheck: $passes passes, exit status $status, $errors (leaks not counted); $lost"
failed=0
if [ "$status" -ne 0 ] || [ "$passes" -ne 1001 ]; then
  echo "the replay tool did not finish its 1001 passes cleanly (status $status)"; failed=1
fi
if [ "$errors" != "ERROR SUMMARY: 0 errors" ]; then
  echo "memcheck found memory errors:"; grep -E -A12 'Invalid|uninitialised|Mismatched|overlap' "$work/memcheck" | head -80; failed=1
fi
if [ -n "$project_lost" ]; then echo "blocks lost from the game's own allocations:"; echo "$project_lost"; failed=1; fi
if [ -n "$font_held" ]; then echo "font blocks still held at exit:"; echo "$font_held"; failed=1; fi
exit $failed
