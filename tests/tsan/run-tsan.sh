#!/usr/bin/env bash
# Builds the thread-sanitizer tests in their own folder and runs them: run-tsan.sh <build folder>.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel 3 >/dev/null
export QT_QPA_PLATFORM=offscreen
# halt_on_error: a data race fails the run, not just a line in its output. Debian's Qt is not built with
# the thread sanitizer, so races it reports inside Qt's own structures are suppressed (tsan.supp).
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$here/tsan.supp"
exec "$build/r9_tsan_tests"
