#!/usr/bin/env bash
# Builds Quarvex natively and scans a folder (default: the current one) with quarvex-cli,
# printing the report tree. Extra arguments after the folder go to `quarvex-cli scan`.
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset native >/dev/null
cmake --build build/native --target quarvex-cli -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
folder=${1:-$here}
[ $# -gt 0 ] && shift
cd "$here"
exec "$OLDPWD/build/native/src/cli/quarvex-cli" scan "$folder" "$@"
