#!/usr/bin/env bash
# Sets up the machine, builds the tool and runs it on a fresh copy of the demo
# machine in examples/demo-machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --demo
# build/ is shared with scripts/test.sh, which sets every option it needs.
cmake -S . -B build -G Ninja -DCOMP_MGR_TESTS=OFF -DCOMP_MGR_BENCH=OFF >/dev/null
cmake --build build -j"${JOBS:-2}" --target comp_mgr comp_mgr_tool
machine=$(mktemp -d /tmp/comp_mgr-demo.XXXXXX)
cp -r examples/demo-machine/. "$machine"
run() { echo; echo "\$ comp_mgr $*"; build/bin/comp_mgr --root "$machine" --ui none "$@"; }
run list
run link VntInstallation_1 PlugIn_5
run links VntInstallation_1
run show PlugIn_5
echo
echo "\$ comp_mgr exec -   (raw calls of the exports, in one load of the library)"
build/bin/comp_mgr --root "$machine" --ui none exec - <<'CALLS'
iGetCatalogCount 0
bGetKeyVNT "C:\Vantrel\bin\vn_app.exe" 3.0 260
bLinkPlugIns VntInstallation_1 PlugIn_5 0
bGetDbUpdateFlag
bAbortDbUpdate
CALLS
echo
echo "The demo machine is in $machine; try: build/bin/comp_mgr --root $machine --help"
