#!/usr/bin/env python3
"""tolv.exe on a console under Wine: its messages shown as the characters they are, and an answer
typed in Japanese taken as such. A terminal (a pty) is what Wine makes a console of; its code page is
not UTF-8 (as a Japanese Windows's is 932), and Wine shows and takes the console's characters on the
terminal as UTF-8.

Usage: console-check.py <tolv.exe> <scratch folder>   (WINEPREFIX and the rest from the environment)
"""
import os
import pty
import re
import select
import subprocess
import sys
import termios
import time

ESCAPES = re.compile(rb"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07")


def on_console(args, answer_after=None, answer=None):
    """Runs `wine args` on a terminal; types `answer` once `answer_after` has been shown. Returns
    what was shown, without the terminal's escapes, and the exit code."""
    env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    pid, fd = pty.fork()
    if pid == 0:
        os.execvpe("wine", ["wine"] + args, env)
    shown = b""
    answered = answer is None
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        if not select.select([fd], [], [], 1)[0]:
            continue
        try:
            chunk = os.read(fd, 4096)
        except OSError:  # the other end closed
            break
        if not chunk:
            break
        shown += chunk
        if not answered and answer_after.encode() in ESCAPES.sub(b"", shown).replace(b"\r", b""):
            # Wine's console takes the terminal out of line mode when the program starts reading;
            # what is typed before that reaches it through line mode (Enter as a line feed).
            while termios.tcgetattr(fd)[3] & termios.ICANON and time.monotonic() < deadline:
                time.sleep(0.01)
            os.write(fd, answer.encode() + b"\r")
            answered = True
    else:
        os.kill(pid, 9)
        print("no end within 120 s")
    _, status = os.waitpid(pid, 0)
    return ESCAPES.sub(b"", shown).replace(b"\r", b"").decode("utf-8", "replace"), os.waitstatus_to_exitcode(status)


def main():
    tolv, scratch = sys.argv[1], sys.argv[2]
    os.makedirs(scratch, exist_ok=True)
    os.chdir(scratch)
    failed = False

    shown, _ = on_console([tolv, "check", "number", "no-such-file.zep"])
    if "申込ファイルがありません: no-such-file.zep" in shown:
        print("message shown:", shown.strip())
    else:
        print("message not shown as written:", shown.strip())
        failed = True

    # A bulk change, then its undo answered "はい" on the console.
    subprocess.run(["wine", tolv, "demo", "demo"], check=True, capture_output=True)
    entry = r"demo\entry\sample.zep"
    subprocess.run(["wine", tolv, "sort", "club", entry], check=True, capture_output=True)
    shown, code = on_console([tolv, "undo", entry], "[y/N]", "はい")
    if code == 0 and "元に戻しました" in shown:
        print("answer taken:", shown.strip().splitlines()[-1])
    else:
        print(f"answer はい not taken (exit {code}):", shown.strip())
        failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
