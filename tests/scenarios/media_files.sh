#!/usr/bin/env bash
# The game reads its media by name and relies on the image sizes (the drawing scales
# assume them), so every file must be present, of the right kind and size.
set -eu
cd "$SRC"
command -v file >/dev/null || { echo "file(1) missing"; exit 77; }
fail=0

check_png() {  # name width height
  local info
  info=$(file -b "media/$1" 2>/dev/null || true)
  case "$info" in
    "PNG image data, $2 x $3, 8-bit/color RGBA"*) ;;
    *) echo "media/$1: expected a $2x$3 RGBA PNG, got: $info"; fail=1 ;;
  esac
}

check_png ball.png 300 300
check_png bigball.png 800 800
check_png mainball+0.png 300 300
check_png rect.png 280 280
check_png mezball2.png 500 1000
check_png smallstar.png 64 64
check_png spark.png 64 64
check_png scia.png 256 16
check_png logo.png 205 275
for size in 48 64 128 256; do
  info=$(file -b "dist/icons/parvane-$size.png" 2>/dev/null || true)
  case "$info" in
    "PNG image data, $size x $size, 8-bit/color RGBA"*) ;;
    *) echo "dist/icons/parvane-$size.png: got: $info"; fail=1 ;;
  esac
done

for snd in cheers.ogg tutto.ogg; do
  case "$(file -b "media/$snd" 2>/dev/null || true)" in
    *"Ogg data, Vorbis audio, stereo, 44100 Hz"*) ;;
    *) echo "media/$snd: not stereo 44100 Hz Ogg Vorbis"; fail=1 ;;
  esac
done
# Durations from the granule position of the last Ogg page: the cheer is a short
# burst, the music a track of over a minute that still stays small.
duration() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
last = data.rfind(b"OggS")
print(struct.unpack_from("<q", data, last + 6)[0] / 44100.0)
PY
}
if command -v python3 >/dev/null; then
  cheer=$(duration media/cheers.ogg)
  music=$(duration media/tutto.ogg)
  awk -v d="$cheer" 'BEGIN { exit !(d >= 2 && d <= 4) }' || { echo "cheers.ogg lasts $cheer s"; fail=1; }
  awk -v d="$music" 'BEGIN { exit !(d >= 60) }' || { echo "tutto.ogg lasts $music s"; fail=1; }
fi
music_size=$(stat -c %s media/tutto.ogg)
if [ "$music_size" -gt 1600000 ]; then echo "media/tutto.ogg is $music_size bytes"; fail=1; fi

case "$(file -b media/font.ttf 2>/dev/null || true)" in
  *TrueType*) ;;
  *) echo "media/font.ttf is not a TrueType font"; fail=1 ;;
esac
# The font is not ours: its licence must travel with it.
if ! grep -q "Bitstream" media/font-LICENSE.txt 2>/dev/null; then
  echo "media/font-LICENSE.txt missing or not the font's licence"; fail=1
fi
exit $fail
