#!/usr/bin/env bash
# Installs the Debian packages the player needs to build, run and test.
# Safe to run again: only packages that are missing are installed.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config git ccache
  # Qt 6 Widgets, OpenGL for the video
  qt6-base-dev libgl-dev libglx-mesa0 libgl1-mesa-dri
  # the help browser, a program of its own: Qt WebEngine
  qt6-webengine-dev
  # playback: libmpv, MIDI synthesis with a General MIDI soundfont
  libmpv-dev libfluidsynth-dev timgm6mb-soundfont
  # the media tests make their MP3, MPEG, AVI and ASF files with it, and
  # build a locale with a decimal comma from the locale sources
  ffmpeg locales
  # the playback benchmark compares the player with the mpv command-line player
  mpv
  # SWF movies: zlib and LZMA decompression
  zlib1g-dev liblzma-dev
  # sound of SWF movies: decoding and resampling
  libavcodec-dev libswresample-dev
  # their output to the desktop's sound server
  qt6-multimedia-dev
  # the fuzzers and the second build of the test run: clang with libFuzzer,
  # AddressSanitizer and UndefinedBehaviorSanitizer; llvm-symbolizer names
  # the functions and lines in their reports
  clang libclang-rt-14-dev llvm
  # fonts for the widgets, also when tests draw offscreen
  fonts-dejavu-core fonts-dejavu-extra fontconfig
  # start-up reads the font configuration on a thread of its own
  libfontconfig-dev
  # headless display and screenshots; the end-to-end tests drive the player
  # with xdotool
  xvfb xauth x11-apps imagemagick xdotool
  # the start-up benchmark watches the screen through X's damage extension
  libxcb-damage0-dev
  # desktop integration: icons drawn from their SVG, the installed entries
  # checked with the desktop's own validators, a private session bus for
  # the media-keys interface's tests
  librsvg2-bin desktop-file-utils appstream shared-mime-info dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
