#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Usage: scripts/deps.sh [native|windows|all|screenshot]   (default: all)
set -euo pipefail
want=${1:-all}

native=(cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev libpugixml-dev)
windows=(g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386)
# Only the picture of the dialog needs a virtual display and an image tool.
screenshot=(xvfb xauth imagemagick)

packages=()
case $want in
  native) packages=("${native[@]}") ;;
  windows) packages=("${windows[@]}") ;;
  all) packages=("${native[@]}" "${windows[@]}") ;;
  screenshot) packages=("${screenshot[@]}") ;;
  *) echo "deps.sh: unknown set '$want'" >&2; exit 2 ;;
esac

# The Windows build draws its dialog pictures with a small Python script.
if { [ "$want" = windows ] || [ "$want" = all ]; } && ! command -v python3 >/dev/null 2>&1; then
  packages+=(python3)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Recommended packages come along: Wine was checked here with them.
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
