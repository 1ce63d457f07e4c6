#!/usr/bin/env bash
# Plays the sound demonstration movie (swf_sound_demo.cpp) in the Flash
# window on a private X server, into a null sink of a private PulseAudio
# server, presses its button four times with xdotool, records the sink's
# monitor with parec and prints what was heard: the soundtrack's level,
# gaps and chord timing, and how long each press took to be heard.
#
#   bash bench/sound_capture.sh [BUILD_DIR] [SINK_RATE] [SCREENSHOT.png]
#
# Needs Xvfb, xdotool, pulseaudio, parec (pulseaudio-utils), ffmpeg and,
# for the screenshot, ImageMagick's import. SKY_CAPTURE_DISPLAY picks the
# display number (73 by default).
set -euo pipefail

build=$(realpath "${1:-build}")
rate=${2:-44100}
shot=${3:-}
display=:${SKY_CAPTURE_DISPLAY:-73}
work=$(mktemp -d)
pids=()

cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -m 700 "$work/run" "$work/home"
cat >"$work/server.pa" <<EOF
load-module module-null-sink sink_name=capture rate=$rate channels=2
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.sock
set-default-sink capture
EOF
export DISPLAY=$display XDG_RUNTIME_DIR=$work/run HOME=$work/home PULSE_SERVER=unix:$work/pulse.sock

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
pulseaudio -n -F "$work/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  >"$work/pulseaudio.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [[ -S $work/pulse.sock ]] && xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

"$build/bench/swf_sound_demo" write "$work/demo.swf"
# The player's own folder is a copy, so that it starts as on a new machine
# and writes nothing into the build.
cp -r "$build/bin" "$work/app"
"$work/app/skyvantrix" >"$work/player.log" 2>&1 &
player=$!
pids+=($player)

# Started for the first time, the player says so; OK, as a person would.
sleep 3
xdotool key Return
sleep 1
# The movie opened as a file manager opens it: handed to the player.
"$work/app/skyvantrix" "$work/demo.swf"

flash=
for _ in $(seq 50); do
  for window in $(xdotool search --onlyvisible --pid "$player" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if ((WIDTH == 774 && HEIGHT == 568)); then
      flash=$window
      break 2
    fi
  done
  sleep 0.1
done
if [[ -z $flash ]]; then
  echo "the Flash window did not open" >&2
  exit 1
fi
# The movie's control lies 16 pixels in; its 740 x 537 pixels show the
# stage's middle, where the button is, at their own middle.
x=$((X + 16 + 370))
y=$((Y + 16 + 268))
sleep 1
if [[ -n $shot ]]; then
  xdotool mousemove "$x" "$y"
  sleep 0.3
  import -window root "$shot"
  xdotool mousemove 5 5
fi
"$build/bench/swf_sound_demo" capture capture.monitor "$rate" 10 "$x" "$y" 2.5 4.5 6.5 8.5
