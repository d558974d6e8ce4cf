#!/usr/bin/python3
"""The real window driven by real key events and questioned through AT-SPI,
as a screen reader does: every text object of every window, in every state
the steps leave it in, answers every question about its text (at, before and
after each offset for each boundary, the string at each offset for each
granularity, the caret, the selection, the extents) within the time limit;
every button is named; the tape's and the variable list's buttons are
focusable; the angle-unit key in force is checked; a menu is found where a
screen reader looks for it. Ctrl+Left and Ctrl+Right at the end of a line,
which froze the window for good, leave it answering.

    window_queries.py TARVO_BINARY STATE_DIR

Prints each failure and a summary; exits 1 on any failure.
"""
import os
import subprocess
import sys
import time
import warnings

import pyatspi
from gi.repository import Atspi

warnings.filterwarnings("ignore", category=DeprecationWarning)  # the text calls by boundary, as readers make them

LIMIT = 2.0  # seconds a question may take
# A window that does not answer makes a call fail after this, not after 25 s.
Atspi.set_timeout(int(LIMIT * 1000) + 2000, 30000)

failures = []
stats = {"questions": 0, "slowest": 0.0, "objects": 0, "states": 0}


class Hung(Exception):
    """The window stopped answering: every later question would wait too."""


def fail(message):
    failures.append(message)
    print("FAIL:", message, flush=True)


def ask(what, call, may_refuse=False):
    """The answer of `call`, timed; a slow answer, or an error where one is
    not allowed, is a failure. Qt's bridge refuses at once what it does not
    implement (`may_refuse`)."""
    start = time.monotonic()
    try:
        answer, error = call(), None
    except Exception as e:  # pylint: disable=broad-except
        answer, error = None, e
    took = time.monotonic() - start
    stats["questions"] += 1
    stats["slowest"] = max(stats["slowest"], took)
    if took > LIMIT:
        fail("%s: answered after %.2f s (%s)" % (what, took, error))
        raise Hung(what)
    if error is not None and not may_refuse:
        fail("%s: %s" % (what, error))
    return answer


# Waits are for the window (a loaded machine may take long to show a
# change); how quickly each question is answered is measured apart.
def wait_for(what, predicate, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            value = predicate()
            if value:
                return value
        except Exception:  # pylint: disable=broad-except
            pass
        time.sleep(0.1)
    fail("gave up waiting for " + what)
    return None


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(keys), check=True)
    time.sleep(0.4)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(0.4)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "Tarvo":
            return app
    return None


def walk(obj, depth=0):
    """Every object under `obj`, itself first."""
    if obj is None or depth > 15:
        return
    yield obj
    for i in range(obj.childCount):
        yield from walk(obj.getChildAtIndex(i), depth + 1)


def everything():
    return list(walk(application()))


def named(role, name):
    for obj in everything():
        if obj.getRoleName() == role and obj.name == name:
            return obj
    return None


def text_of(obj):
    return obj.queryText().getText(0, -1)


BOUNDARIES = [
    ("char", Atspi.TextBoundaryType.CHAR), ("word start", Atspi.TextBoundaryType.WORD_START),
    ("word end", Atspi.TextBoundaryType.WORD_END), ("sentence start", Atspi.TextBoundaryType.SENTENCE_START),
    ("sentence end", Atspi.TextBoundaryType.SENTENCE_END), ("line start", Atspi.TextBoundaryType.LINE_START),
    ("line end", Atspi.TextBoundaryType.LINE_END)]
GRANULARITIES = [
    ("char", Atspi.TextGranularity.CHAR), ("word", Atspi.TextGranularity.WORD),
    ("sentence", Atspi.TextGranularity.SENTENCE), ("line", Atspi.TextGranularity.LINE),
    ("paragraph", Atspi.TextGranularity.PARAGRAPH)]


def question_text(obj, when):
    who = "%s: %s %r" % (when, obj.getRoleName(), obj.name)
    text = ask(who + " text interface", obj.queryText)
    if text is None:
        return
    count = ask(who + " characterCount", lambda: text.characterCount) or 0
    content = ask(who + " getText", lambda: text.getText(0, -1)) or ""
    if len(content) != count:
        fail("%s: %d characters, text %r" % (who, count, content))
    for offset in range(-1, count + 2):
        for name, boundary in BOUNDARIES:
            at = "%s %s at %d of %r" % (who, name, offset, content)
            piece = ask("textAtOffset " + at, lambda: Atspi.Text.get_text_at_offset(obj, offset, boundary))
            ask("textBeforeOffset " + at, lambda: Atspi.Text.get_text_before_offset(obj, offset, boundary))
            ask("textAfterOffset " + at, lambda: Atspi.Text.get_text_after_offset(obj, offset, boundary))
            if piece is not None and 0 <= offset < count:
                if not (piece.start_offset <= offset < piece.end_offset) or \
                        piece.content != content[piece.start_offset:piece.end_offset]:
                    fail("textAtOffset %s: %r %d..%d" % (at, piece.content, piece.start_offset, piece.end_offset))
        for name, granularity in GRANULARITIES:
            ask("getStringAtOffset %s %s at %d" % (who, name, offset),
                lambda: Atspi.Text.get_string_at_offset(obj, offset, granularity), may_refuse=True)
        ask("%s getCharacterAtOffset %d" % (who, offset), lambda: text.getCharacterAtOffset(offset))
        ask("%s getCharacterExtents %d" % (who, offset),
            lambda: text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS))
        ask("%s getAttributeRun %d" % (who, offset), lambda: text.getAttributeRun(offset, False), may_refuse=True)
    ask(who + " caretOffset", lambda: text.caretOffset)
    ask(who + " getNSelections", text.getNSelections)
    ask(who + " getSelection", lambda: text.getSelection(0), may_refuse=True)
    ask(who + " getRangeExtents", lambda: text.getRangeExtents(0, count, pyatspi.DESKTOP_COORDS))
    ask(who + " getOffsetAtPoint", lambda: text.getOffsetAtPoint(1, 1, pyatspi.DESKTOP_COORDS))
    stats["objects"] += 1


def question_every_text_object(when):
    stats["states"] += 1
    found = 0
    for obj in everything():
        if "Text" in pyatspi.listInterfaces(obj):
            question_text(obj, when)
            found += 1
    return found


def check_buttons(when):
    for obj in everything():
        if obj.getRoleName() in ("push button", "radio button", "toggle button", "check box") and not obj.name.strip():
            fail("%s: a %s without a name (%s)" % (when, obj.getRoleName(), obj.description))


def state_of(obj, state):
    return obj.getState().contains(state)


def main():
    tarvo, state_dir = sys.argv[1], sys.argv[2]
    window = subprocess.Popen([tarvo, "--state-dir", state_dir], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        entry = wait_for("the entry line", lambda: named("text", "Entry"), 60)
        if entry is None:
            return 1
        wait_for("the entry line's focus", lambda: state_of(named("text", "Entry"), pyatspi.STATE_FOCUSED))
        time.sleep(0.5)

        # Words at the end of the line, as Ctrl+Left and Ctrl+Right ask for them.
        type_text("12+345")
        wait_for("12+345 typed", lambda: text_of(entry) == "12+345")
        key("ctrl+Left")
        key("ctrl+Right")
        caret = ask("the caret after Ctrl+Left, Ctrl+Right", lambda: entry.queryText().caretOffset)
        if caret != 6:
            fail("the caret after Ctrl+Left, Ctrl+Right is %r, not 6" % caret)
        if question_every_text_object("12+345 typed") < 4:
            fail("fewer than four text objects in the calculator")

        key("ctrl+a", "BackSpace")
        type_text("7*6")
        key("Return")
        wait_for("the result 42", lambda: named("status bar", "42"))
        question_every_text_object("7*6 calculated")

        type_text("1/0")
        key("Return")
        wait_for("the error", lambda: named("status bar", "Error: Division by zero"))
        question_every_text_object("1/0 calculated")

        check_buttons("the calculator")
        if entry.parent is None or not entry.parent.name:
            fail("the calculator's window has no name")
        for title in ("Minimize", "Exit"):
            if named("push button", title) is None:
                fail("no button named " + title)
        degrees, radians = named("radio button", "DEG"), named("radio button", "RAD")
        if degrees is None or radians is None:
            fail("DEG and RAD are no radio buttons")
        else:
            if not state_of(degrees, pyatspi.STATE_CHECKED) or state_of(radians, pyatspi.STATE_CHECKED):
                fail("DEG is not the checked angle unit at start")
            key("alt+r")
            wait_for("RAD checked", lambda: state_of(radians, pyatspi.STATE_CHECKED))
            if state_of(degrees, pyatspi.STATE_CHECKED):
                fail("DEG still checked after RAD")

        # The tape: its buttons are focusable, and Tab reaches the first.
        key("shift+F12")
        tape = wait_for("the tape", lambda: named("list", "Tape"))
        for title in ("Copy", "Clear", "Close"):
            button = named("push button", title)
            if button is None or not state_of(button, pyatspi.STATE_FOCUSABLE):
                fail("the tape's %s is no focusable button" % title)
        question_every_text_object("the tape open")
        check_buttons("the tape")
        if tape is not None:
            wait_for("the tape's list focused", lambda: state_of(tape, pyatspi.STATE_FOCUSED))
            key("Tab")
            wait_for("Copy focused by Tab", lambda: state_of(named("push button", "Copy"), pyatspi.STATE_FOCUSED))
        key("Escape")
        wait_for("the entry line's focus again", lambda: state_of(entry, pyatspi.STATE_FOCUSED))

        # The variable list: named, its first row focused as it opens.
        key("ctrl+a", "BackSpace")
        type_text("a=5")
        key("Return")
        wait_for("a=5 calculated", lambda: named("status bar", "5"))
        key("alt+v")
        dialog = wait_for("the variable list", lambda: named("dialog", "List of variables"))
        if dialog is not None:
            wait_for("the first row focused",
                     lambda: any(o.getRoleName() == "list item" and o.name == "a =  5"
                                 and state_of(o, pyatspi.STATE_FOCUSED) for o in walk(dialog)))
        question_every_text_object("the variable list open")
        check_buttons("the variable list")
        key("Escape")
        wait_for("the variable list closed", lambda: named("dialog", "List of variables") is None)
        wait_for("the entry line's focus again", lambda: state_of(entry, pyatspi.STATE_FOCUSED))

        # FIX: a menu a screen reader finds (its place among the
        # application's children), an entry focused, a digit chooses.
        key("F3")
        menu = wait_for("the FIX menu", lambda: named("popup menu", "FIX"))
        if menu is not None:
            index = ask("the FIX menu's index", menu.getIndexInParent)
            if index is None or index < 0:
                fail("the FIX menu has no place in its parent (%r)" % index)
            wait_for("an entry of FIX focused",
                     lambda: any(state_of(o, pyatspi.STATE_FOCUSED) for o in walk(menu) if o != menu))
        question_every_text_object("the FIX menu open")
        key("3")
        wait_for("5 with 3 decimals", lambda: named("status bar", "5.000"))

        if window.poll() is not None:
            fail("the window ended (status %s)" % window.returncode)
        elif ask("the application at the end", application) is None:
            fail("the window no longer answers")
    except Hung as hung:
        fail("the window stopped answering at: %s" % hung)
    finally:
        window.terminate()
        try:
            window.wait(20)
        except subprocess.TimeoutExpired:
            window.kill()
    print("%d questions to %d text objects in %d states, the slowest answered in %.3f s; %d failures"
          % (stats["questions"], stats["objects"], stats["states"], stats["slowest"], len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
