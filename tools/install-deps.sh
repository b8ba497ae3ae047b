#!/usr/bin/env bash
# Installs the Debian packages Plenmora needs to build, run and test.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

PACKAGES=(
  # toolchain and test frameworks
  build-essential cmake pkg-config git clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # image loading, and pixman as the raster benchmark's reference
  libpng-dev zlib1g-dev libpixman-1-dev
  # windows, menus, dialogs, text
  libgtk-3-dev fonts-liberation2 fonts-dejavu-core
  # audio and MIDI
  librtaudio-dev librtmidi-dev jackd2 libjack-jackd2-dev
  # a private PulseAudio server for the first-start test
  pulseaudio pulseaudio-utils
  # a real X server and desktop tools for the window tests
  xvfb xauth xdotool x11-utils imagemagick
  # the sources from which the tests make a locale with a decimal comma
  locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
