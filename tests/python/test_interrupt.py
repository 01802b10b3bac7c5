"""Ctrl-C during a long run() raises KeyboardInterrupt within moments, not when the run ends."""

import os
import signal
import subprocess
import sys
import time

from conftest import SAMPLES

# Every sample stack under 12000 folder names, every method, one thread: over a minute of work.
LONG_RUN = """
import bestfocus, sys
print("running", flush=True)
bestfocus.run(sys.argv[1], 1, 12000, 20, "all", engine="cpu", teams=(1, 1, 1))
print("finished", flush=True)
"""


def test_ctrl_c_interrupts_a_long_run(tmp_path):
    for folder in range(1, 12001):
        os.symlink(f"{SAMPLES}{11 + folder % 5:03d}", tmp_path / f"{folder:03d}")
    process = subprocess.Popen([sys.executable, "-c", LONG_RUN, f"{tmp_path}/"],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        assert process.stdout.readline() == "running\n"
        time.sleep(2)  # well into the scan
        sent = time.monotonic()
        process.send_signal(signal.SIGINT)
        out, err = process.communicate(timeout=60)
        assert time.monotonic() - sent < 5
    finally:
        process.kill()
    assert "finished" not in out and "KeyboardInterrupt" in err
