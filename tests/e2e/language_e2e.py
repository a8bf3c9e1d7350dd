"""End-to-end check that the program speaks German wherever its user reads,
whatever the locale. Under LANG=C every window and panel a user can reach is
opened: the main window's three pages, the progress window, the About box,
the four file panels, the question before a list is saved over, an alert and
a text field's context menu. Every text that the accessibility bus (AT-SPI)
gives of them is collected, and none may be one of Qt's English texts."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pyatspi  # noqa: E402
from gi.repository import GLib  # noqa: E402

import desktop_e2e  # noqa: E402
from desktop_e2e import (OPTIONS, dialog, find_control, find_in, press,  # noqa: E402
                         quit_with_button, select_tab, sensitive, set_text, start_and_wait,
                         wait_until)

# Qt's own texts as an English desktop shows them: the file panels, the tab
# bar's scroll buttons, a text field's context menu, the question before a
# file is replaced.
ENGLISH = ["Look in:", "File name:", "Files of type:", "Back", "Forward", "Parent Directory",
           "Create New Folder", "List View", "Detail View", "Size", "Type", "Date Modified",
           "Scroll Left", "Scroll Right", "Undo", "Redo", "Cut", "Copy", "Paste", "Delete",
           "Select All", "Replace", "Cancel", "already exists", "All Files"]
ENGLISH_PATTERN = re.compile(r"(?<!\w)(" + "|".join(re.escape(word) for word in ENGLISH) +
                             r")(?!\w)")

ESCAPE_KEY = 0xFF1B


def texts_of(node, depth=0):
    """Every text of an accessible and its descendants: names, descriptions
    and the contents of texts, shown or not (a tree that is hidden now may
    be shown with one click)."""
    found = []
    if node is None or depth > 60:
        return found
    try:
        found += [node.name or "", node.description or ""]
        try:
            text = node.queryText()
            found.append(text.getText(0, -1))
        except NotImplementedError:
            pass
        for index in range(node.childCount):
            found += texts_of(node.getChildAtIndex(index), depth + 1)
    except Exception:  # an object that went away while we looked
        pass
    return [text for text in found if text]


class Walk:
    """What has been read so far, stop by stop."""

    def __init__(self):
        self.stops = []

    def read(self, stop, node, must_hold):
        """Reads a stop once it shows what tells it is there."""
        def missing(texts):
            return [text for text in must_hold if not any(text in seen for seen in texts)]
        texts = wait_until(lambda: (lambda found: found if not missing(found) else None)(
            texts_of(node)), timeout=10) or texts_of(node)
        assert not missing(texts), f"{stop}: not reached, {missing(texts)} not among {texts}"
        self.stops.append((stop, texts))

    def english(self):
        return [(stop, text) for stop, texts in self.stops for text in texts
                if ENGLISH_PATTERN.search(text)]


def application():
    apps = desktop_e2e.applications()
    assert len(apps) == 1, "one accessible application"
    return apps[0]


def pump(seconds):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def key(symbol):
    pyatspi.Registry.generateKeyboardEvent(symbol, None, pyatspi.KEY_SYM)


def context_menu_of(field):
    """Opens a text field's context menu with a right click and answers the
    menu. Qt keeps pop-up menus out of an application's children on the bus;
    the menu is found as the object that says it is now showing."""
    menus = []

    def noted(event):
        try:
            if event.source is not None and event.source.getRoleName() == "popup menu":
                menus.append(event.source)
        except Exception:  # an object that went away
            pass

    pyatspi.Registry.registerEventListener(noted, "object:state-changed:showing")
    try:
        where = field.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(where.x + where.width // 2,
                                            where.y + where.height // 2, "b3c")
        deadline = time.monotonic() + 10
        while not menus and time.monotonic() < deadline:
            pump(0.1)
    finally:
        pyatspi.Registry.deregisterEventListener(noted, "object:state-changed:showing")
    assert menus, "the context menu did not show"
    return menus[-1]


def open_panel(walk, stop, title, opener, cancel="Abbrechen"):
    press(opener)
    panel = dialog(title)
    assert panel is not None, f"{title} did not open"
    # The detailed view shows the column heads as well.
    details = find_in(panel, "push button", "Details", timeout=5)
    if details is not None:
        press(details)
        pump(0.3)
    walk.read(stop, panel, [title, "Suchen in:", "Dateiname:"])
    return panel


def close_panel(panel, cancel="Abbrechen"):
    button = find_in(panel, "push button", cancel)
    assert button is not None, f"no {cancel} in the panel"
    press(button)
    assert wait_until(lambda: not panel.getState().contains(pyatspi.STATE_SHOWING)), \
        "the panel stayed open"


def test_every_window_and_panel_speaks_german_under_lang_c(sandbox):
    for name in ("LANGUAGE", "LC_MESSAGES"):
        sandbox.env.pop(name, None)
    sandbox.env["LANG"] = "C"
    sandbox.env["LC_ALL"] = "C"
    # An encoder that waits, so that the progress window stays up.
    encoder = sandbox.file("wartet", b"#!/bin/sh\nexec sleep 30\n")
    os.chmod(encoder, 0o755)
    os.setxattr(sandbox.program, OPTIONS[0], b"CSTR" + encoder.encode() + b"\0")
    song = sandbox.file("lied.wav", b"RIFF")
    saved = sandbox.file("gespeichert.mvl", b"# Liste\n")
    process, quit_button = start_and_wait(sandbox, song)
    walk = Walk()

    for page, marker in (("Dateien", "Hinzufügen..."), ("Oggenc-Optionen", "Bitrate (ungefähr):"),
                         ("Programm-Optionen", "Pfad zu Oggenc:")):
        select_tab(page)
        walk.read(page, application(), [page, marker, "Kodieren!"])

    # The context menu of the encoder path's field.
    field = find_control("text", "Pfad zu Oggenc:")
    assert field is not None
    walk.read("context menu", context_menu_of(field), ["Alles auswählen"])
    key(ESCAPE_KEY)
    pump(0.3)

    panel = open_panel(walk, "encoder panel", "Pfad suchen", find_control("push button", "Suchen..."))
    close_panel(panel)

    select_tab("Dateien")
    panel = open_panel(walk, "add panel", "Dateien hinzfügen",
                       find_control("push button", "Hinzufügen..."))
    close_panel(panel)
    panel = open_panel(walk, "open panel", "Liste öffnen", find_control("menu item", "Öffnen..."))
    close_panel(panel)

    # Saving over an existing list asks first.
    panel = open_panel(walk, "save panel", "Liste speichern",
                       find_control("menu item", "Speichern..."))
    name_field = find_in(panel, "text", "Dateiname:")
    confirm = find_in(panel, "push button", "Speichern")
    assert name_field is not None and confirm is not None
    set_text(name_field, sandbox.root)
    press(confirm)
    assert find_in(panel, "combo box", sandbox.root) is not None, "the panel did not go there"
    set_text(name_field, os.path.basename(saved))
    assert wait_until(lambda: sensitive(confirm))
    press(confirm)
    asked = "Die Datei „gespeichert.mvl“ gibt es bereits. Soll sie ersetzt werden?"
    text = find_control("label", asked)
    assert text is not None, "no question before saving over the list"
    question = text.parent
    walk.read("replace question", question, ["Ersetzen", "Abbrechen"])
    press(find_in(question, "push button", "Abbrechen"))
    assert wait_until(lambda: find_control("label", asked, timeout=0.1) is None), \
        "the question stayed"
    close_panel(panel)
    with open(saved, "rb") as kept:
        assert kept.read() == b"# Liste\n", "the list was replaced"

    # An alert: no readme beside this copy of the program.
    press(find_control("menu item", "Liesmich"))
    text = find_control("label", "Liesmich-Datei nicht gefunden!")
    assert text is not None, "the readme alert did not appear"
    walk.read("alert", text.parent, ["OK"])
    press(find_in(text.parent, "push button", "OK"))

    press(find_control("menu item", "Über..."))
    close = find_control("push button", "Schließen")
    assert close is not None, "the About box did not open"
    walk.read("About box", close.parent, ["Gehe zur Site"])
    press(close)

    encode = find_control("push button", "Kodieren!")
    assert wait_until(lambda: sensitive(encode)), "the handed file is not in the list"
    press(encode)
    stop = find_control("push button", "Kodieren abbrechen")
    assert stop is not None, "the progress window did not appear"
    walk.read("progress window", application(),
              ["Bitte warten während der Kodierung von:", "Datei 1 von 1", "Datei auslassen"])
    press(stop)

    english = walk.english()
    assert not english, "English texts: " + "; ".join(f"{stop}: {text!r}" for stop, text in english)
    quit_with_button(process, quit_button)


if __name__ == "__main__":
    sys.exit(desktop_e2e.main(globals()))
