#!/usr/bin/env python3
"""Starts the program without any display: it must say so in one line, with the way to run it under
Xvfb, and end with a non-zero status of its own (not by a signal, as an abort would)."""
import os
import subprocess
import sys
import tempfile

program = sys.argv[1]
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
env["QT_QPA_PLATFORM"] = "xcb"
env["ASAN_OPTIONS"] = "detect_leaks=0"
with tempfile.TemporaryDirectory() as folder:
    env["XDG_RUNTIME_DIR"] = folder
    run = subprocess.run([program, "/demo"], env=env, cwd=folder, capture_output=True, timeout=60)
err = run.stderr.decode("utf-8", "replace")
lines = [line for line in err.splitlines() if line.strip()]
failures = []
if run.returncode <= 0:
    failures.append(f"status {run.returncode}: expected a non-zero exit, not a signal")
if len(lines) != 1:
    failures.append(f"expected one line, got {len(lines)}")
if not any("графический дисплей" in line and "xvfb-run -a" in line for line in lines):
    failures.append("the line does not say that a display is needed and how to run under Xvfb")
if failures:
    print("\n".join(failures))
    print("stderr was:\n" + err)
    sys.exit(1)
print("ok: " + lines[0])
