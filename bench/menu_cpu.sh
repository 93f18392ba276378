# CPU cost of a menu left open: the real game sits on the title menu for
# 10 seconds of real time (600 paced frames); the CPU time of a run that
# leaves at once is subtracted, so loading the media does not count.
# Headless without a fake clock by default; WINDOW=1 uses the window (needs
# $DISPLAY). RUNS=N measures N times and adds the median (other programs
# on the machine move single figures a lot).
# Usage: PARVANE=build/parvane [WINDOW=1] [RUNS=5] bash bench/menu_cpu.sh
set -euo pipefail
: "${PARVANE:?path of the game binary}"
PARVANE=$(realpath "$PARVANE")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '3\r\n0\r\n1\r\n1\r\n5\r\n1\r\n' > prefs.txt
printf '1 down SPACE\n3 up SPACE\n' > script.txt
mode=--headless
[ "${WINDOW:-0}" = 1 ] && mode=

# cpu FLIPS: prints "user+system seconds" and "wall seconds" of one run.
cpu() {
  local start end
  start=$(date +%s.%N)
  ( "$PARVANE" $mode --seed 1 --script script.txt --max-frames "$1" > /dev/null 2>&1
    times > times.txt )
  end=$(date +%s.%N)
  # The second line of `times` holds the children's user and system time.
  sed -n 2p times.txt | awk -v s="$start" -v e="$end" '{
    split($1, u, "m"); split($2, y, "m")
    printf "%.3f %.3f\n", u[1] * 60 + u[2] + y[1] * 60 + y[2], e - s }'
}

for run in $(seq "${RUNS:-1}"); do
  read -r base_cpu base_wall < <(cpu 3)
  read -r menu_cpu menu_wall < <(cpu 603)
  awk -v bc="$base_cpu" -v bw="$base_wall" -v mc="$menu_cpu" -v mw="$menu_wall" 'BEGIN {
    c = mc - bc; w = mw - bw
    printf "title menu: %.0f ms of CPU in %.2f s of real time: %.2f%% of one core\n",
      c * 1000, w, 100 * c / w }'
done | tee runs.txt
if [ "${RUNS:-1}" -gt 1 ]; then
  sed 's/.*: \([0-9.]*\)% of one core/\1/' runs.txt | sort -g |
    awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "median of %d runs: %.2f%% of one core\n", NR, m }'
fi
