#!/bin/bash
# Runs every test: host tests, Windows tests under Wine, end-to-end scenarios
# under Wine and Xvfb, and a short fuzz run. Installs what is missing first.
# Ends with one line "N passed, N failed" over all of them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/deps.sh || exit 1

set -e
cmake --preset host >/dev/null
cmake --build --preset host
cmake --preset win >/dev/null
cmake --build --preset win
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
set +e

passed=0
failed=0
status=0
for preset in host win fuzz; do
  log="build/$preset/ctest.log"
  ctest --preset "$preset" -j2 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    status=1
    continue
  fi
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/')
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
./bench/stub-size.sh || status=1
echo "$passed passed, $failed failed"
exit $status
