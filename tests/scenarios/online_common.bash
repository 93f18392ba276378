# Shared by the online scenarios that run real processes over loopback: a
# private folder per machine, a port of the scenario's own, a headless run
# and the comparison of what two machines checked.
set -euo pipefail
export LC_ALL=C
: "${PARVANE:?path of the game binary}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A prefs.txt with the given six values, as the game writes it.
prefs() {  # FOLDER VALUES...
  local dir=$1
  shift
  printf '%s\r\n' "$@" > "$dir/prefs.txt"
}

# play FOLDER FRAMES OPTIONS...: the game headless in FOLDER with its
# script.txt; BINARY may name another build of the game.
play() {
  local dir=$1 frames=$2
  shift 2
  (cd "$dir" && timeout 150 "${BINARY:-$PARVANE}" --headless --fake-clock --script script.txt \
    --trace trace.txt --max-frames "$frames" "$@" 2> stderr.txt)
}

# Every frame both machines checked has the same state on both, and there
# are at least MIN of them; neither saw a desync.
same_checks() {  # TRACE1 TRACE2 MIN
  local a b common mismatch
  a=$(mktemp -p "$work")
  b=$(mktemp -p "$work")
  # Frames are numbered from each match's start: the match's number too.
  awk '/^match start/ {m++} $1 == "net" && $2 == "check" {print m ":" $3, $4}' "$1" | sort > "$a"
  awk '/^match start/ {m++} $1 == "net" && $2 == "check" {print m ":" $3, $4}' "$2" | sort > "$b"
  common=$(join "$a" "$b" | wc -l)
  [ "$common" -ge "$3" ] || fail "only $common frames checked on both machines"
  mismatch=$(join "$a" "$b" | awk '$2 != $3' | wc -l)
  [ "$mismatch" -eq 0 ] || fail "$mismatch checked frames differ"
  for t in "$1" "$2"; do
    if grep -q '^net desync' "$t"; then fail "the machines fell out of step ($t)"; fi
  done
}

# Every replay a machine saved plays back with --replay to the very line
# the machine printed when the match ended live; prints how many there were.
same_replays() {  # FOLDER
  local dir=$1 n=0 file live again
  for file in "$dir"/replays/replay-*.pvr; do
    [ -e "$file" ] || continue
    n=$((n + 1))
    live=$(grep '^match end' "$dir/trace.txt" | sed -n "${n}p")
    (cd "$dir" && timeout 60 "$PARVANE" --headless --fake-clock --replay "$file" \
      --trace replay.txt 2> replay-stderr.txt) || fail "$file does not play: $(cat "$dir/replay-stderr.txt")"
    grep -qx 'match start online 0 [2-4]' "$dir/replay.txt" || fail "$file is not played as online"
    again=$(grep '^match end' "$dir/replay.txt")
    [ "$again" = "$live" ] || fail "$file ends with '$again', live it was '$live'"
  done
  echo "$n"
}
