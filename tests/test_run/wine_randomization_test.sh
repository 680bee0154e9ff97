#!/usr/bin/env bash
# scripts/test.sh runs everything with address-space randomization off
# (setarch -R), or else says on its first line that it could not: with it
# on, about one 64-bit Wine program start in 8,000 fails. This test starts a
# Windows program in the run's Wine and reads the setting that program's
# process got. Where setarch -R is refused on this machine, the test is
# skipped (77) and says why.
set -euo pipefail
no_randomize=0x0040000  # ADDR_NO_RANDOMIZE, <linux/personality.h>

if ! setarch "$(uname -m)" -R true 2>/dev/null; then
  echo "wine_randomization_test: skipped: setarch -R is refused here"
  exit 77
fi

# A Windows program that waits two seconds; its process is the Wine loader
# started here (the wine on PATH execs it).
wine cmd.exe /c "ping -n 3 127.0.0.1 >nul" >/dev/null 2>&1 &
pid=$!
personality=
for _ in $(seq 50); do
  if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'cmd\.exe'; then
    personality=$(cat "/proc/$pid/personality" 2>/dev/null || true)
    break
  fi
  sleep 0.1
done
wait "$pid" || true
if [ -z "$personality" ]; then
  echo "FAIL: expected a running Wine process for cmd.exe, found none" >&2
  exit 1
fi
if (((0x$personality & no_randomize) == 0)); then
  echo "FAIL: expected Wine processes to run with address-space" \
    "randomization off (personality with ADDR_NO_RANDOMIZE, $no_randomize)," \
    "got personality 0x$personality: scripts/test.sh did not run them under" \
    "setarch -R" >&2
  exit 1
fi
echo "wine_randomization_test: passed (personality 0x$personality)"
