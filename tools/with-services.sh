#!/usr/bin/env bash
# Runs a command with the services the tests need: a private X server (Xvfb)
# and a private JACK server with the dummy backend. Both are stopped, by PID,
# when the command ends.
#   tools/with-services.sh COMMAND [ARGS...]
set -uo pipefail

work=$(mktemp -d /tmp/plenmora-services.XXXXXX)
XPID=""
JPID=""

stop_services() {
  if [ -n "$JPID" ]; then
    # SIGTERM first: a SIGKILLed jackd keeps its slot in JACK's server registry.
    kill "$JPID" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$JPID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$JPID" 2>/dev/null
  fi
  if [ -n "$XPID" ]; then
    kill "$XPID" 2>/dev/null
    for _ in $(seq 30); do kill -0 "$XPID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$XPID" 2>/dev/null
  fi
  rm -rf "$work"
}
trap stop_services EXIT

# X server.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
XPID=$!
for _ in $(seq 250); do [ -s "$work/display" ] && break; sleep 0.02; done
if [ ! -s "$work/display" ]; then
  echo "with-services: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(cat "$work/display")"
export GDK_BACKEND=x11 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY

# JACK server with the dummy backend, under a name of its own.
export JACK_DEFAULT_SERVER="plenmora$$"
export JACK_NO_AUDIO_RESERVATION=1
jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r 44100 -p 512 -C 2 -P 2 \
  >"$work/jackd.log" 2>&1 &
JPID=$!
ready=0
for _ in $(seq 250); do
  if jack_lsp >/dev/null 2>&1; then ready=1; break; fi
  kill -0 "$JPID" 2>/dev/null || break
  sleep 0.02
done
if [ $ready -ne 1 ]; then
  echo "with-services: jackd did not start" >&2
  cat "$work/jackd.log" >&2
  exit 1
fi
export PLENMORA_JACKD_PID=$JPID

"$@"
