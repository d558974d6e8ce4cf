#!/usr/bin/python3
"""The number block's decimal key in the real window under X, in the
keyboard layouts and options that give it another sign: it types the point
in each, with NumLock on and at its AltGr level, while the main keyboard's
comma key still types the comma. Keys are sent by their keycodes, as the
keyboard sends them (xdotool's keysym names would borrow a spare keycode).

    keyboard_layouts.py TARVO_BINARY STATE_DIR
"""
import shutil
import subprocess
import sys
import time

import window_queries as w

KP_1, KP_5, KPDL, NUM_LOCK, RALT = "87", "84", "91", "77", "108"
# Layout, variant, option, the main keyboard's comma key: the decimal key's
# own sign in each.
LAYOUTS = [
    ("us", "", "", "59"),                    # KP_Decimal
    ("de", "", "", "59"),                    # KP_Separator
    ("de", "", "kpdl:commaoss", "59"),       # a plain comma, no keypad flag
    ("de", "", "kpdl:momayyezoss", "59"),    # the Arabic decimal separator
    ("fr", "oss", "", "58"),                 # a plain period; a comma at AltGr
    ("br", "", "", "59"),
]


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=True)
    time.sleep(0.25)


def clear(entry):
    xdotool("key", "ctrl+a")
    xdotool("key", "BackSpace")
    w.wait_for("the entry line emptied", lambda: w.text_of(entry) == "")


def main():
    tarvo, state_dir = sys.argv[1], sys.argv[2]
    if shutil.which("setxkbmap") is None:  # x11-xkb-utils, which the X server needs
        print("skipped: no setxkbmap")
        return 77
    window = subprocess.Popen([tarvo, "--state-dir", state_dir], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        entry = w.wait_for("the entry line", lambda: w.named("text", "Entry"), 60)
        if entry is None:
            return 1
        w.wait_for("the entry line's focus", lambda: w.state_of(w.named("text", "Entry"), w.pyatspi.STATE_FOCUSED))
        time.sleep(0.5)
        for layout, variant, option, comma in LAYOUTS:
            name = layout + ("(%s)" % variant if variant else "") + (" " + option if option else "")
            subprocess.run(["setxkbmap", "-option", ""] + (["-option", option] if option else []) +
                           ["-layout", layout] + (["-variant", variant] if variant else []), check=True)
            time.sleep(0.3)
            clear(entry)
            xdotool("key", KP_1)  # "1" with NumLock, a caret move without
            if w.text_of(entry) != "1":
                xdotool("key", NUM_LOCK)
                xdotool("key", KP_1)
            xdotool("key", KPDL)
            xdotool("key", KP_5)
            xdotool("keydown", RALT)
            xdotool("key", KPDL)
            xdotool("keyup", RALT)
            xdotool("key", comma)
            typed = w.text_of(entry)
            print("%-22s KP_1 KPDL KP_5 AltGr+KPDL comma: %r" % (name, typed), flush=True)
            if typed not in ("1.5.,", "1.5,"):  # a layout without AltGr types nothing there
                w.fail("%s: the number block typed %r, not 1.5 and a point" % (name, typed))
        clear(entry)
    finally:
        window.terminate()
        window.wait(30)
    print("%d failures" % len(w.failures))
    return 1 if w.failures else 0


if __name__ == "__main__":
    sys.exit(main())
