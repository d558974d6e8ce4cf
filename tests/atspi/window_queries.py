#!/usr/bin/python3
"""The real window driven by real key events and questioned through AT-SPI,
as a screen reader does: every text object of every window, in every state
the steps leave it in, answers every question about its text (at, before and
after each offset for each boundary, the string at each offset for each
granularity, the caret, the selection, the extents) within the time limit;
every button is named; the tape's and the variable list's buttons are
focusable; the angle-unit key in force is checked; a menu is found where a
screen reader looks for it. Ctrl+Left and Ctrl+Right at the end of a line,
which froze the window for good, leave it answering; so do ranges that reach
the largest offset, and the extent of a line full to the entry's limit. A
character is told as itself (the root sign too), an insertion inserts its
text and nothing after it; a key or a menu's entry pressed through its
action answers at once and does what a click does. Offsets far outside the
text (the ends of a 32-bit integer) in every question, caret, selection and
edit call are answered or refused at once; a read-only text stays as it was.
The box that waits for a state folder another session holds is questioned
too. An object without an editable text, the application itself included,
refuses every edit at once and keeps its text.

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
    fail("gave up waiting for %s (focused then: %s)" % (what, focused_now()))
    return None


def focused_now():
    """Which of the application's objects are focused and which windows
    active, so that a wait that gave up tells where the keyboard went."""
    try:
        seen = ["%s %r%s" % (o.getRoleName(), o.name, " (active)" if state_of(o, pyatspi.STATE_ACTIVE) else "")
                for o in everything()
                if state_of(o, pyatspi.STATE_FOCUSED) or state_of(o, pyatspi.STATE_ACTIVE)]
    except Exception as e:  # pylint: disable=broad-except
        return "unknown (%s)" % e
    return ", ".join(seen) or "nothing of the calculator's"


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
            string = ask("getStringAtOffset %s %s at %d" % (who, name, offset),
                         lambda: Atspi.Text.get_string_at_offset(obj, offset, granularity))
            if string is not None and 0 <= offset < count and \
                    (not string.start_offset <= offset < string.end_offset or
                     string.content != content[string.start_offset:string.end_offset]):
                fail("getStringAtOffset %s %s at %d of %r: %r %d..%d" % (
                    who, name, offset, content, string.content, string.start_offset, string.end_offset))
        character = ask("%s getCharacterAtOffset %d" % (who, offset), lambda: text.getCharacterAtOffset(offset))
        if 0 <= offset < count and character != ord(content[offset]):
            fail("%s getCharacterAtOffset %d of %r: %r" % (who, offset, content, character))
        ask("%s getCharacterExtents %d" % (who, offset),
            lambda: text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS))
        ask("%s getAttributeRun %d" % (who, offset), lambda: text.getAttributeRun(offset, False), may_refuse=True)
    ask(who + " caretOffset", lambda: text.caretOffset)
    ask(who + " getNSelections", text.getNSelections)
    ask(who + " getSelection", lambda: text.getSelection(0), may_refuse=True)
    ask(who + " getRangeExtents", lambda: text.getRangeExtents(0, count, pyatspi.DESKTOP_COORDS))
    # Ranges beyond the text: refused or answered, at once.
    for start, end in ((0, 2**31 - 1), (-2**31, count), (2**31 - 4, 2**31 - 1), (-2**31, -1)):
        ask("%s getRangeExtents %d..%d" % (who, start, end),
            lambda: text.getRangeExtents(start, end, pyatspi.DESKTOP_COORDS), may_refuse=True)
    ask(who + " getBoundedRanges", lambda: Atspi.Text.get_bounded_ranges(
        obj, 0, 0, 2000, 2000, Atspi.CoordType.SCREEN, Atspi.TextClipType.NONE, Atspi.TextClipType.NONE),
        may_refuse=True)
    ask(who + " getOffsetAtPoint", lambda: text.getOffsetAtPoint(1, 1, pyatspi.DESKTOP_COORDS))
    stats["objects"] += 1


# Offsets a reader should never send, and does: the ends of a 32-bit integer.
EXTREMES = (-2**31, -2, -1, 2**31 - 2, 2**31 - 1)


def question_extremes(obj, when, setters):
    """Every question, and with `setters` every caret, selection and edit
    call, at offsets far outside the text: answered or refused, at once, and
    the text stays whole (a read-only text unchanged)."""
    who = "%s: %s %r" % (when, obj.getRoleName(), obj.name)
    text = obj.queryText()
    before = text_of(obj)
    for offset in EXTREMES:
        for name, boundary in BOUNDARIES[::2]:
            for side, call in (("at", Atspi.Text.get_text_at_offset), ("before", Atspi.Text.get_text_before_offset),
                               ("after", Atspi.Text.get_text_after_offset)):
                piece = ask("%s text %s %d %s" % (who, side, offset, name), lambda: call(obj, offset, boundary))
                if piece is not None and piece.content not in ("", None) and piece.content not in before:
                    fail("%s text %s %d %s: %r" % (who, side, offset, name, piece.content))
        ask("%s character %d" % (who, offset), lambda: text.getCharacterAtOffset(offset))
        ask("%s character extents %d" % (who, offset),
            lambda: text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS))
        ask("%s text %d..end" % (who, offset), lambda: text.getText(offset, -1))
        ask("%s attributes %d" % (who, offset), lambda: text.getAttributeRun(offset, True), may_refuse=True)
        for end in EXTREMES:
            ask("%s range extents %d..%d" % (who, offset, end),
                lambda: text.getRangeExtents(offset, end, pyatspi.DESKTOP_COORDS), may_refuse=True)
    if not setters:
        return
    editable = "EditableText" in pyatspi.listInterfaces(obj) and state_of(obj, pyatspi.STATE_EDITABLE)
    for offset in EXTREMES:
        ask("%s set caret %d" % (who, offset), lambda: text.setCaretOffset(offset), may_refuse=True)
        for end in EXTREMES:
            ask("%s add selection %d..%d" % (who, offset, end), lambda: text.addSelection(offset, end),
                may_refuse=True)
            ask("%s set selection %d..%d" % (who, offset, end), lambda: text.setSelection(0, offset, end),
                may_refuse=True)
        ask("%s selection %d" % (who, offset), lambda: text.getSelection(offset), may_refuse=True)
        ask("%s remove selection %d" % (who, offset), lambda: text.removeSelection(offset), may_refuse=True)
        if "EditableText" in pyatspi.listInterfaces(obj):
            edit = obj.queryEditableText()
            ask("%s delete %d..end" % (who, offset), lambda: edit.deleteText(offset, 2**31 - 1), may_refuse=True)
            ask("%s insert at %d" % (who, offset), lambda: edit.insertText(offset, "9", 2**31 - 1), may_refuse=True)
    after = text_of(obj)
    if not editable and after != before:
        fail("%s: a read-only text changed from %r to %r" % (who, before, after))
    if editable and after.strip("9") != "":
        fail("%s: after deletions and insertions of 9 at the ends: %r" % (who, after))


def edit_the_uneditable(when):
    """Every object without an editable text (keys, readouts, labels, the
    application itself) refuses edits at once, at any offset, and keeps its
    text."""
    for obj in [application()] + everything()[1:]:
        interfaces = pyatspi.listInterfaces(obj)
        if "EditableText" in interfaces:
            continue
        who = "%s: %s %r" % (when, obj.getRoleName(), obj.name)
        before = text_of(obj) if "Text" in interfaces else obj.name
        for name, call in (
                ("set the text", lambda: Atspi.EditableText.set_text_contents(obj, "1")),
                ("insert at the largest offset", lambda: Atspi.EditableText.insert_text(obj, 2**31 - 1, "1", 1)),
                ("insert a longer length", lambda: Atspi.EditableText.insert_text(obj, 0, "1", 2**31 - 1)),
                ("delete all", lambda: Atspi.EditableText.delete_text(obj, -2**31, 2**31 - 1)),
                ("cut all", lambda: Atspi.EditableText.cut_text(obj, -2**31, 2**31 - 1)),
                ("paste at the smallest offset", lambda: Atspi.EditableText.paste_text(obj, -2**31))):
            if ask("%s %s" % (who, name), call, may_refuse=True):
                fail("%s: %s accepted" % (who, name))
        after = text_of(obj) if "Text" in interfaces else obj.name
        if after != before:
            fail("%s: its text changed from %r to %r" % (who, before, after))


def question_every_text_object(when, extremes=False):
    stats["states"] += 1
    found = 0
    for obj in everything():
        if "Text" in pyatspi.listInterfaces(obj):
            question_text(obj, when)
            if extremes:
                question_extremes(obj, when, setters=True)
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
    # Another session holds the state folder: the window waits with its box.
    holder = subprocess.Popen(["flock", "-x", "-o", state_dir, "sleep", "60"])
    time.sleep(0.3)
    window = subprocess.Popen([tarvo, "--state-dir", state_dir], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        box = wait_for("the box that waits for the state folder", lambda: named("alert", "Tarvo"), 60)
        if box is not None:
            question_every_text_object("the wait for the state folder")
            check_buttons("the wait for the state folder")
            for obj in walk(box):
                if obj.getRoleName() == "label" and "Text" not in pyatspi.listInterfaces(obj) and not obj.name:
                    fail("the wait box: a label without a name")
        holder.kill()
        holder.wait()
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
        # Every call at offsets outside the text, setters and edits too; the
        # entry line is then emptied and filled anew.
        question_every_text_object("offsets far outside", extremes=True)
        key("ctrl+a", "BackSpace")
        type_text("12+345")
        wait_for("12+345 typed again", lambda: text_of(entry) == "12+345")

        # The signs, and an insertion longer than its text: that text alone.
        editable = entry.queryEditableText()
        ask("setTextContents", lambda: editable.setTextContents("\u221a9\u00b7\u03c0\u00b2"))
        ask("insertText of 1 character, length 5", lambda: editable.insertText(0, "7", 5))
        if text_of(entry) != "7\u221a9\u00b7\u03c0\u00b2":
            fail("the entry line after an insertion of '7', length 5: %r" % text_of(entry))
        question_every_text_object("the signs")
        # A line full to the entry's limit, measured whole as a reader does.
        full = ("\u221a2+\u221b8\u00b7\u03c0\u00b2-3\u00b3 " * 3000)[:32767]
        ask("setTextContents of 32,767 characters", lambda: editable.setTextContents(full))
        if len(text_of(entry)) != 32767:
            fail("the full line holds %d characters" % len(text_of(entry)))
        extent = ask("getRangeExtents of the full line",
                     lambda: entry.queryText().getRangeExtents(0, -1, pyatspi.DESKTOP_COORDS))
        if extent is None or extent[2] < 32767:
            fail("the full line's extent: %r" % (extent,))

        key("ctrl+a", "BackSpace")
        type_text("7*6")
        key("Return")
        wait_for("the result 42", lambda: named("status bar", "42"))
        question_every_text_object("7*6 calculated")
        edit_the_uneditable("7*6 calculated")

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
        edit_the_uneditable("the tape open")
        check_buttons("the tape")
        if tape is not None:
            wait_for("the tape's list focused", lambda: state_of(tape, pyatspi.STATE_FOCUSED))
            key("Tab")
            wait_for("Copy focused by Tab", lambda: state_of(named("push button", "Copy"), pyatspi.STATE_FOCUSED))
        key("Escape")
        wait_for("the entry line's focus again", lambda: state_of(entry, pyatspi.STATE_FOCUSED))

        # The variable list: named, its first row focused as it opens. Its key
        # pressed through its action answers before the window opens.
        key("ctrl+a", "BackSpace")
        type_text("a=5")
        key("Return")
        wait_for("a=5 calculated", lambda: named("status bar", "5"))
        ask("pressing VAR LIST", lambda: named("push button", "VAR LIST").queryAction().doAction(0))
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

        # A menu's entry pressed through its action is chosen, and the menu
        # closes: FIX, 2 decimals; HELP, About.
        key("F3")
        two = wait_for("2 decimals in the FIX menu", lambda: named("menu item", "2 decimals"))
        if two is not None:
            ask("pressing 2 decimals", lambda: two.queryAction().doAction(0))
            wait_for("5 with 2 decimals", lambda: named("status bar", "5.00"))
        key("F12")
        about = wait_for("About in the HELP menu", lambda: named("menu item", "About..."))
        if about is not None:
            ask("pressing About", lambda: about.queryAction().doAction(0))
            dialog = wait_for("the About window", lambda: named("dialog", "About Tarvo, version 1.0"))
            if dialog is not None and [o.getRoleName() for o in walk(dialog)].count("link") != 2:
                fail("the About window has no two links")
            key("Escape")
            wait_for("the About window closed", lambda: named("dialog", "About Tarvo, version 1.0") is None)
        # Whichever window the window manager chooses when one closes, the
        # keys typed next reach the calculator.
        wait_for("the entry line's focus after About", lambda: state_of(entry, pyatspi.STATE_FOCUSED))
        key("ctrl+a", "BackSpace")
        type_text("1+1")
        key("Return")
        wait_for("1+1 calculated after About", lambda: named("status bar", "2.00"))

        if window.poll() is not None:
            fail("the window ended (status %s)" % window.returncode)
        elif ask("the application at the end", application) is None:
            fail("the window no longer answers")
    except Hung as hung:
        fail("the window stopped answering at: %s" % hung)
    finally:
        if holder.poll() is None:
            holder.kill()
            holder.wait()
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
