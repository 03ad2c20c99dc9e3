#!/usr/bin/env bash
# Takes docs/dialog.png: the configuration dialog of the Windows build, open under Wine on a
# virtual X display (Wine's normal x11 driver, in a prefix of its own).
#
#     docs/make_dialog_png.sh BUILD_FOLDER_OF_THE_WIN32_PRESET [OUTPUT.png]
#
# The win32 build runs it as the target dialog_screenshot, which writes dialog.png into the build
# folder as an artifact.
#
# Needs wine, xvfb and imagemagick. dialog_e2e --hold keeps the dialog open for a while and then
# closes it with Escape.
set -euo pipefail
bash "$(dirname "$0")/../scripts/deps.sh" screenshot
build=$(realpath "${1:?usage: make_dialog_png.sh WIN32_BUILD_FOLDER}")
out=$(realpath -m "${2:-$(dirname "$0")/dialog.png}")
export WINEPREFIX=${TMPDIR:-/tmp}/k7v-wine-x11-$(id -u) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
[ -f "$WINEPREFIX/.k7v-ready" ] || { timeout 300 wineboot -i >/dev/null 2>&1 || true; timeout 60 wineserver -w || true; touch "$WINEPREFIX/.k7v-ready"; }

shot=$(mktemp --suffix=.png)
timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  timeout 60 wine explorer /desktop=k7v,1024x768 "$1/tests/win32/dialog_e2e.exe" "$1/src/OrvaneK7V.dll" --hold 240 &
  sleep 8
  import -window root "$2"
  wait
' _ "$build" "$shot"
# A desktop of Wine's own draws the caption and frame even without a window manager. The dialog
# sits where its owner puts it; framed in the desktop's colour, the trim cuts the desktop away.
desktop=$(convert "$shot" -format '%[pixel:p{1020,2}]' info:)
convert "$shot" -bordercolor "$desktop" -border 1 -trim +repage "$out"
rm -f "$shot"
echo "wrote $out"
