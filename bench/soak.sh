#!/usr/bin/env bash
# Long run of the real player (not part of CI):
#   bash bench/soak.sh [minutes]          (default 30)
# Plays a 50-entry playlist of one-second WAV and AVI clips with Repeat and
# shuffle ticked and the skin changing every 5 seconds, under its own Xvfb
# server, then reports items played, the longest wait from one item's end
# to the next one playing, main-timer ticks that ran late (over 100 ms), and
# the player's memory (RSS) over the run.
#
# SKYVANTRIX_BIN names a player to use instead of building the one of this
# checkout (in BUILD_DIR, default ./build); SOAK_DIR keeps the run's files
# (default: a new temporary folder); SOAK_DISPLAY is the X display (:73).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
minutes="${1:-30}"
display="${SOAK_DISPLAY:-:73}"
work="${SOAK_DIR:-$(mktemp -d /tmp/skyvantrix-soak.XXXXXX)}"
mkdir -p "$work"

for tool in Xvfb xdotool ffmpeg; do
  command -v "$tool" >/dev/null || { echo "soak: $tool is needed" >&2; exit 1; }
done

if [ -z "${SKYVANTRIX_BIN:-}" ]; then
  build="${BUILD_DIR:-$here/build}"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target skyvantrix >/dev/null
  SKYVANTRIX_BIN="$build/bin/skyvantrix"
fi

# The application folder: the player and the files it reads beside itself.
app="$work/app"
media="$work/media"
skins="$work/skins"
mkdir -p "$app" "$media" "$skins"
cp "$SKYVANTRIX_BIN" "$app/skyvantrix"
cp "$(dirname "$SKYVANTRIX_BIN")"/*.TXT "$(dirname "$SKYVANTRIX_BIN")"/*.htm "$app/" 2>/dev/null || true

echo "soak: making clips and skins in $work" >&2
: >"$work/soak.pla"
for i in $(seq -w 1 50); do
  tone=$((300 + 10#$i * 20))
  if [ $((10#$i % 2)) -eq 0 ]; then
    clip="$media/clip$i.avi"
    ffmpeg -v error -y -f lavfi -i "sine=frequency=$tone:sample_rate=44100:duration=1" \
      -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" -c:v mpeg4 -c:a mp2 "$clip"
  else
    clip="$media/tone$i.wav"
    ffmpeg -v error -y -f lavfi -i "sine=frequency=$tone:sample_rate=44100:duration=1" "$clip"
  fi
  printf '%s\r\n' "$clip" >>"$work/soak.pla"
done
skinCount=6
for i in $(seq 1 $skinCount); do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=1024x768:rate=1:duration=1" \
    -vf "hue=h=$((i * 60))" -frames:v 1 "$skins/skin$i.jpg"
done

# Settings: the skin changes automatically every 50 main-timer ticks (the
# first interval choice), no tip at start, nothing saved at the end.
{
  printf '%s\r\n' 1 0 4 9869050 1 0 0 1 0 0 13172660 1 50 0 1 0 "$skinCount" 0
  for i in $(seq 1 80); do
    if [ "$i" -le $skinCount ]; then printf '%s\r\n' "$skins/skin$i.jpg"; else printf '\r\n'; fi
  done
  for i in $(seq 1 80); do
    if [ "$i" -le $skinCount ]; then printf '%s\r\n' "skin$i"; else printf '\r\n'; fi
  done
  printf '0\r\n'
} >"$app/save.ata"

if [ -e "/tmp/.X11-unix/X${display#:}" ]; then
  echo "soak: display $display is in use; choose another with SOAK_DISPLAY" >&2
  exit 1
fi
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
player=""
cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

log="$work/player.log"
(
  cd "$app"
  SKYVANTRIX_MPV_OPTIONS="ao=null" \
    QT_LOGGING_RULES="sky.media.info=true;sky.timer.info=true" \
    QT_MESSAGE_PATTERN="%{time process} %{message}" \
    exec ./skyvantrix "$work/soak.pla"
) 2>"$log" &
player=$!

# Repeat (Alt+R) and shuffle (Alt+S) are ticked with real key presses.
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$player" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "soak: the player showed no window" >&2; exit 1; }
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key alt+r
sleep 0.5
xdotool key alt+s
sleep 1
import -display "$display" -window root "$work/start.png" 2>/dev/null || true

rss() { awk '/^VmRSS/ { print $2 }' "/proc/$player/status"; }
: >"$work/rss.txt"
end=$((SECONDS + minutes * 60))
while [ $SECONDS -lt $end ]; do
  kill -0 "$player" 2>/dev/null || { echo "soak: the player ended early" >&2; break; }
  echo "$SECONDS $(rss)" >>"$work/rss.txt"
  sleep 10
done
import -display "$display" -window root "$work/end.png" 2>/dev/null || true
kill -TERM "$player" 2>/dev/null || true
wait "$player" 2>/dev/null || true
player=""

# The figures, from the player's own log lines ("<seconds> <message>").
awk -v minutes="$minutes" '
  / item ended$/ { ended++; lastEnd = $1; if (prevEnd != "" && $1 - prevEnd > gapEnds) gapEnds = $1 - prevEnd; prevEnd = $1 }
  / playback started$/ { if (lastEnd != "") { wait = $1 - lastEnd; if (wait > longest) longest = wait; lastEnd = "" } }
  /Form1\.Timer1 ran [0-9]+ ms late/ { late++; ms = $(NF - 2); if (ms > worst) worst = ms }
  END {
    printf "minutes:                          %d\n", minutes
    printf "items played:                     %d\n", ended
    printf "longest item start:               %.3f s (from one item ending to the next playing)\n", longest
    printf "longest time between item ends:   %.3f s\n", gapEnds
    printf "main-timer ticks late over 100 ms: %d (worst %d ms late)\n", late, worst
  }' "$log" | tee "$work/report.txt"
awk 'NR == 1 { first = $2 } { last = $2; if ($2 > max) max = $2 }
  END { printf "RSS:                              %d KiB at start, %d KiB at end, %d KiB at most\n", first, last, max }' \
  "$work/rss.txt" | tee -a "$work/report.txt"
echo "soak: log, RSS samples and screenshots in $work" >&2
