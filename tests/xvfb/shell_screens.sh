# The real game in a window: screenshots of the logo, the title menu and the
# options menu at 1024 x 768 and 640 x 480, checked pixel by pixel.
[ -n "${DISPLAY:-}" ] || exit 77
set -euo pipefail
: "${PARVANE:?}" "${SRC:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
check() { python3 "$SRC/tests/xvfb/shell_pngcheck.py" "$@"; }

# The logo lasts 3 s (about 180 frames on the fake clock, so the timing does
# not hang on the machine's speed); the title's colours start from black and
# need some 80 frames to shine.
cat > script.txt <<'END'
30 screenshot logo.png
290 screenshot title.png
290 press DOWN
292 press DOWN
294 press ENTER
380 screenshot options.png
382 press ESC
390 press ESC
END
for res in "3 1024 768" "1 640 480"; do
  set -- $res
  printf '%s\r\n' "$1" 0 1 1 5 1 > prefs.txt
  "$PARVANE" --fake-clock --seed 1 --script script.txt --max-frames 2000 2> stderr.txt ||
    { cat stderr.txt; exit 1; }
  w=$2
  h=$3
  # Logo: the picture placed by its corner at ((W - 205) / 2, (H - 275) / 2 - 50)
  # in pixels, the credit line at H / 2 + 120, black around them.
  lx=$(((w - 205) / 2))
  ly=$(((h - 275) / 2 - 50))
  cy=$((h / 2 + 120))
  check logo.png "$w" "$h" "lit@px:$lx,$ly,$((lx + 205)),$((ly + 275)),2000" \
    "lit@px:$((w / 2 - 150)),$cy,$((w / 2 + 150)),$((cy + 26)),300" \
    "black@px:0,0,$w,$((ly - 5))" "black@px:0,$((cy + 40)),$w,$h" \
    "black@px:0,0,$((w / 2 - 230)),$h" "black@px:$((w / 2 + 230)),0,$w,$h"
  # Title: "PARVANE" in its cycling colour, the grey items, black margins.
  check title.png "$w" "$h" lit:280,60,745,135,3000 grey:200,270,830,615,5000 \
    black:0,0,1024,50 black:0,630,1024,768 black:0,0,150,768 black:874,0,1024,768
  # Options: the five settings, then CONTROLS and the team colours on lines
  # of their own below them.
  check options.png "$w" "$h" lit:280,60,745,135,3000 grey:130,320,900,550,5000 \
    grey:380,560,645,605,500 grey:300,620,725,665,500 black:0,0,1024,50 \
    black:0,680,1024,768 black:0,0,120,768 black:904,0,1024,768
  # SHOTS=folder keeps the screenshots for a look.
  if [ -n "${SHOTS:-}" ]; then
    mkdir -p "$SHOTS"
    for f in logo title options; do cp "$f.png" "$SHOTS/$f-$w.png"; done
  fi
done
echo ok
