"""End-to-end tests of the program through the desktop's accessibility
interface (AT-SPI): the real executable, a copy of it in a fresh folder with
fresh desktop folders for each test, driven by its controls' labels."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import pyatspi

TITLE = "Mirvex OggVorbis Frontend 1.2a"
APP_NAME = "MirvexOggVorbisFrontend"
DEFAULT_PATH = b"/boot/home/config/bin/oggenc"
OPTIONS = ["user.encoder_location", "user.dont_close_on_add",
           "user.dont_clear_on_open", "user.self_register_mime_type"]


def wait_until(condition, timeout=20.0, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return None


def find_where(node, predicate, depth=0):
    if node is None or depth > 40:
        return None
    try:
        if predicate(node):
            return node
        for index in range(node.childCount):
            found = find_where(node.getChildAtIndex(index), predicate, depth + 1)
            if found is not None:
                return found
    except Exception:  # an object that went away while we looked
        return None
    return None


def find_matching(predicate, timeout=20.0):
    def look():
        for app in applications():
            found = find_where(app, predicate)
            if found is not None:
                return found
        return None
    return wait_until(look, timeout)


def applications():
    desktop = pyatspi.Registry.getDesktop(0)
    result = []
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name == APP_NAME:
            result.append(app)
    return result


def find_control(role, name, timeout=20.0):
    return find_matching(lambda node: node.getRoleName() == role and node.name == name, timeout)


def press(control):
    action = control.queryAction()
    for index in range(action.nActions):
        if action.getName(index) in ("Press", "press", "click", "Click"):
            return action.doAction(index)
    return action.doAction(0)


def press_quietly(control):
    try:
        press(control)
    except Exception:  # the answer may come too late for the bus
        pass


def sensitive(control):
    return control.getState().contains(pyatspi.STATE_SENSITIVE)


class Sandbox:
    """A copy of the program in a fresh folder, with fresh desktop folders."""

    def __init__(self, program):
        self.root = tempfile.mkdtemp(prefix="mfe2e-")
        self.program = os.path.join(self.root, APP_NAME)
        shutil.copy2(program, self.program)
        self.env = dict(os.environ)
        for name in ("data", "config", "run"):
            os.mkdir(os.path.join(self.root, name), 0o700)
        self.env["XDG_DATA_HOME"] = os.path.join(self.root, "data")
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.root, "config")
        self.env["XDG_RUNTIME_DIR"] = os.path.join(self.root, "run")
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["QT_ACCESSIBILITY"] = "1"
        self.env.pop("QT_QPA_PLATFORM", None)
        self.processes = []

    def start(self, *arguments):
        process = subprocess.Popen([self.program, *arguments], env=self.env,
                                   stdin=subprocess.DEVNULL, cwd=self.root)
        self.processes.append(process)
        return process

    def file(self, name, contents=b""):
        path = os.path.join(self.root, name)
        with open(path, "wb") as out:
            out.write(contents)
        return path

    def attribute(self, name):
        try:
            return os.getxattr(self.program, name)
        except OSError:
            return None

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        os.chmod(self.program, 0o755)
        shutil.rmtree(self.root, ignore_errors=True)


def start_and_wait(sandbox, *arguments):
    process = sandbox.start(*arguments)
    quit_button = find_control("push button", "Beenden")
    assert quit_button is not None, "the main window did not appear"
    return process, quit_button


def wait_for_accessibility_bus():
    """The registry daemon starts on the first request; a program that
    starts before it answers is never listed. Wait until it answers."""
    def answers():
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            return desktop is not None and desktop.childCount >= 0
        except Exception:
            return False
    if not wait_until(answers, timeout=30):
        raise RuntimeError("the accessibility registry does not answer")
    time.sleep(0.5)


def quit_with_button(process, quit_button):
    press(quit_button)
    assert process.wait(timeout=20) == 0, "the program did not end cleanly"


# Helpers for the whole-program tests: dialogs, text fields, lists, tabs.

def set_text(field, text):
    """Replaces a text field's contents as typing would."""
    editable = field.queryEditableText()
    editable.setTextContents(text)


def find_in(node, role, name=None, timeout=20.0):
    def look():
        return find_where(node, lambda n: n.getRoleName() == role and
                          (name is None or n.name == name))
    return wait_until(look, timeout)


def dialog(title, timeout=20.0):
    return find_matching(lambda node: node.getRoleName() in ("dialog", "frame", "window") and
                         node.name == title, timeout)


def choose_in_panel(title, folder, typed, button):
    """Goes to a folder as typing its path would, then types a name (or
    several quoted ones) into a file panel's name field and confirms with
    the panel's own button."""
    panel = dialog(title)
    assert panel is not None, f"the panel {title} did not open"
    field = find_in(panel, "text", "Dateiname:")
    assert field is not None, f"no name field in {title}"
    confirm = find_in(panel, "push button", button)
    assert confirm is not None, f"no button {button} in {title}"
    set_text(field, folder)
    press(confirm)
    assert find_in(panel, "combo box", folder) is not None, f"{title} did not go to {folder}"
    set_text(field, typed)
    assert wait_until(lambda: sensitive(confirm)), f"{button} cannot be pressed"
    press(confirm)


KEYSYMS = {"Down": 0xFF54, "Return": 0xFF0D}


def type_key(name):
    """Presses and releases a key on the X server, as the keyboard would."""
    pyatspi.Registry.generateKeyboardEvent(KEYSYMS[name], None, pyatspi.KEY_SYM)


def choose_in_menu_field(label, position):
    """Opens a menu field's pop-up with its button and walks down to the
    item at a position (counting the items one can choose) with the
    keyboard. The pop-up itself is not on the accessibility bus (Qt leaves
    pop-up menus out of an application's children), but it holds the
    keyboard while it is open, as it does for a user."""
    button = find_control("push button", label)
    assert button is not None, f"no menu field {label}"
    press(button)
    time.sleep(0.5)
    for _ in range(position + 1):
        type_key("Down")
        time.sleep(0.05)
    type_key("Return")


def select_tab(name):
    tab = find_control("page tab", name)
    assert tab is not None, name
    press(tab)
    page = find_control("filler", name)
    assert page is not None, name
    assert wait_until(lambda: page.getState().contains(pyatspi.STATE_SHOWING)), name


def list_entries():
    files = find_control("list", "Dateiliste")
    if files is None:
        return None
    return [files.getChildAtIndex(i).name for i in range(files.childCount)]


def write_wav(path, seconds=0.3, rate=44100):
    """A short stereo tone: 192 kbps needs CD-like input."""
    import math
    import struct
    import wave
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(rate)
        frames = b"".join(struct.pack("<hh", sample, sample) for sample in (
            int(8000 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(int(seconds * rate))))
        out.writeframes(frames)


def valid_ogg(path):
    if not os.path.exists(path):
        return False
    result = subprocess.run(["ogginfo", path], capture_output=True, text=True)
    return result.returncode == 0 and "Vorbis" in result.stdout


# The tests. Each takes a fresh sandbox.

def test_window_controls_are_reachable_by_their_labels(sandbox):
    process, quit_button = start_and_wait(sandbox)
    window = find_matching(lambda node: node.getRoleName() in ("frame", "window") and
                           node.name == TITLE)
    assert window is not None, "no window titled " + TITLE
    encode = find_control("push button", "Kodieren!")
    assert encode is not None and not sensitive(encode), "Kodieren! starts disabled"
    assert sensitive(quit_button)
    # On a bare X server, with no window manager to make the window active,
    # the keys still start in the file list, which a reader names.
    files = find_control("list", "Dateiliste")
    assert files is not None, "the file list has no readable name"
    assert wait_until(lambda: files.getState().contains(pyatspi.STATE_FOCUSED)), \
        "the keys do not start in the file list"
    assert not quit_button.getState().contains(pyatspi.STATE_FOCUSED)
    for tab in ("Dateien", "Oggenc-Optionen", "Programm-Optionen"):
        assert find_control("page tab", tab) is not None, tab
    for menu in ("Liste", "Hilfe"):
        entry = find_matching(lambda node: node.getRoleName() in ("menu", "menu item") and
                              node.name == menu)
        assert entry is not None, menu
    quit_with_button(process, quit_button)


def test_quitting_writes_the_default_options_onto_the_executable(sandbox):
    for name in OPTIONS:
        assert sandbox.attribute(name) is None
    process, quit_button = start_and_wait(sandbox)
    quit_with_button(process, quit_button)
    assert sandbox.attribute(OPTIONS[0]) == b"CSTR" + DEFAULT_PATH + b"\0"
    assert sandbox.attribute(OPTIONS[1]) == b"BOOL\0"
    assert sandbox.attribute(OPTIONS[2]) == b"BOOL\0"
    assert sandbox.attribute(OPTIONS[3]) == b"BOOL\x01"


def test_signals_that_ask_to_end_quit_as_beenden_does(sandbox):
    # Nothing is stored yet: the options in memory are the defaults, and
    # they reach the executable only through the window's quit.
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        for name in OPTIONS:
            try:
                os.removexattr(sandbox.program, name)
            except OSError:
                pass
        process, _ = start_and_wait(sandbox)
        process.send_signal(number)
        assert process.wait(timeout=20) == 0, f"{number.name} did not end the program cleanly"
        assert sandbox.attribute(OPTIONS[0]) == b"CSTR" + DEFAULT_PATH + b"\0", number.name
        assert sandbox.attribute(OPTIONS[3]) == b"BOOL\x01", number.name


def test_a_second_signal_ends_a_program_that_does_not_react_to_the_first(sandbox):
    # With the About box open the application's thread waits for its
    # answer, so the first request to end stays queued; the second ends the
    # program at once, by the signal itself.
    process, _ = start_and_wait(sandbox)
    about = find_control("menu item", "Über...")
    assert about is not None
    press(about)
    assert find_control("push button", "Schließen") is not None, "the About box did not open"
    process.send_signal(signal.SIGTERM)
    time.sleep(0.5)
    assert process.poll() is None, "the first signal waits for the About box"
    process.send_signal(signal.SIGTERM)
    assert process.wait(timeout=20) == -signal.SIGTERM
    assert sandbox.attribute(OPTIONS[0]) is None, "nothing was written on the way out"


def test_stored_paths_come_back_whole_or_cut_to_1023_bytes(sandbox):
    longest = b"/" + b"p" * 1022
    cases = [
        (b"CSTR" + longest + b"\0", longest),
        (b"CSTR\0", b""),
        (b"CSTR/opt/oggenc", b"/opt/oggenc"),
        (b"CSTR" + b"q" * 2000, b"q" * 1023),
    ]
    for stored, expected in cases:
        os.setxattr(sandbox.program, OPTIONS[0], stored)
        process, quit_button = start_and_wait(sandbox)
        quit_with_button(process, quit_button)
        assert sandbox.attribute(OPTIONS[0]) == b"CSTR" + expected + b"\0", stored[:40]


def test_a_read_only_executable_keeps_its_values(sandbox):
    os.setxattr(sandbox.program, OPTIONS[0], b"CSTR/old/oggenc\0")
    os.chmod(sandbox.program, 0o555)
    process, quit_button = start_and_wait(sandbox)
    quit_with_button(process, quit_button)
    assert sandbox.attribute(OPTIONS[0]) == b"CSTR/old/oggenc\0"
    assert sandbox.attribute(OPTIONS[1]) is None


def test_a_second_start_hands_over_and_ends(sandbox):
    first, quit_button = start_and_wait(sandbox)
    song = sandbox.file("Lied eins.wav", b"RIFF")
    second = sandbox.start(song)
    assert second.wait(timeout=20) == 0
    third = sandbox.start()
    assert third.wait(timeout=20) == 0
    assert first.poll() is None, "the running program must go on"
    assert len(applications()) == 1
    quit_with_button(first, quit_button)


def test_a_start_after_a_killed_instance_takes_over_its_stale_socket(sandbox):
    first, _ = start_and_wait(sandbox)
    first.send_signal(signal.SIGKILL)
    first.wait()
    assert wait_until(lambda: not applications(), timeout=20)
    second, quit_button = start_and_wait(sandbox)
    quit_with_button(second, quit_button)


def test_the_about_box_shows_its_text_and_closes(sandbox):
    process, quit_button = start_and_wait(sandbox)
    about = find_control("menu item", "Über...")
    assert about is not None
    press(about)
    close = find_control("push button", "Schließen")
    assert close is not None, "the About box did not appear"
    assert find_control("push button", "Gehe zur Site") is not None
    text = find_matching(lambda node: node.getRoleName() == "label" and
                         (node.name or "").startswith("Mirvex OggVorbis Frontend 1.2a (Deutsch)\n"))
    assert text is not None, "the About text is not shown"
    assert "Siehe liesmich für Anweisungen und Lizenzeinzelheiten." in text.name
    press(close)
    assert wait_until(lambda: find_control("push button", "Schließen", timeout=0.1) is None)
    quit_with_button(process, quit_button)


def test_a_whole_run_encodes_saves_opens_and_takes_a_list_from_the_desktop(sandbox):
    # No options stored: the encoder's path is set on the options page.
    songs = []
    for name in ("eins", "zwei", "drei mit Blank"):
        path = os.path.join(sandbox.root, name + ".wav")
        write_wav(path)
        songs.append(path)
    process, quit_button = start_and_wait(sandbox)
    assert len(applications()) == 1, "one accessible application per process"

    select_tab("Programm-Optionen")
    field = find_control("text", "Pfad zu Oggenc:")
    assert field is not None
    set_text(field, shutil.which("oggenc"))

    select_tab("Dateien")
    press(find_control("push button", "Hinzufügen..."))
    choose_in_panel("Dateien hinzfügen", sandbox.root,
                    " ".join('"%s"' % os.path.basename(song) for song in songs), "Hinzufügen")
    assert wait_until(lambda: sorted(list_entries() or []) == sorted(songs)), list_entries()
    encode = find_control("push button", "Kodieren!")
    assert wait_until(lambda: sensitive(encode)), "Kodieren! stays disabled"

    select_tab("Oggenc-Optionen")
    # "Standard", then 112, 128, 160 and 192 kbps: the run's files tell
    # which was chosen.
    choose_in_menu_field("Bitrate (ungefähr):", 4)

    press(encode)
    oggs = [song[:-len(".wav")] + ".ogg" for song in songs]
    assert wait_until(lambda: all(valid_ogg(ogg) for ogg in oggs), timeout=60), \
        "the run did not leave three valid .ogg files"
    assert wait_until(lambda: find_control("push button", "Kodieren abbrechen", timeout=0.1) is None
                      or not find_control("push button", "Kodieren abbrechen", timeout=0.1)
                      .getState().contains(pyatspi.STATE_SHOWING), timeout=30)
    for ogg in oggs:
        info = subprocess.run(["ogginfo", ogg], capture_output=True, text=True).stdout
        assert "Nominal bitrate: 192" in info, info

    # Save, clear, open again: the same entries in the same order.
    entries = list_entries()
    saved = os.path.join(sandbox.root, "Meine Liste.mvl")
    press(find_control("menu item", "Speichern..."))
    choose_in_panel("Liste speichern", sandbox.root, os.path.basename(saved), "Speichern")
    assert wait_until(lambda: os.path.exists(saved)), "nothing was saved"
    press(find_control("menu item", "Neu"))
    assert wait_until(lambda: list_entries() == []), "Neu left entries"
    press(find_control("menu item", "Öffnen..."))
    choose_in_panel("Liste öffnen", sandbox.root, os.path.basename(saved), "Öffnen")
    assert wait_until(lambda: list_entries() == entries), list_entries()

    # The desktop opens the list with the running program: the program
    # installed its file type and itself as its application at start.
    press(find_control("menu item", "Neu"))
    assert wait_until(lambda: list_entries() == [])
    opened = subprocess.run(["gio", "open", saved], env=sandbox.env, capture_output=True,
                            text=True, timeout=30)
    assert opened.returncode == 0, opened.stderr
    assert wait_until(lambda: list_entries() == entries), list_entries()
    assert process.poll() is None
    assert len(applications()) == 1, "the second start handed over and ended"
    quit_with_button(process, quit_button)


def test_every_way_of_quitting_ends_cleanly_and_stores_the_options(sandbox):
    def by_menu(process):
        press(find_control("menu item", "Beenden"))

    def by_signal(process):
        process.send_signal(signal.SIGTERM)

    # The button is every other test's way out; the close box is the unit
    # tests' (Xvfb runs no window manager to send its request).
    for way in (by_menu, by_signal):
        for name in OPTIONS:
            try:
                os.removexattr(sandbox.program, name)
            except OSError:
                pass
        process, _ = start_and_wait(sandbox)
        way(process)
        assert process.wait(timeout=20) == 0, way.__name__
        assert sandbox.attribute(OPTIONS[3]) == b"BOOL\x01", way.__name__


def test_quitting_during_a_run_leaves_the_encoder_running(sandbox):
    # A stand-in encoder that waits long enough to be seen after the quit.
    encoder = sandbox.file("langsam", b"#!/bin/sh\nsleep 30\n")
    os.chmod(encoder, 0o755)
    os.setxattr(sandbox.program, OPTIONS[0], b"CSTR" + encoder.encode() + b"\0")
    song = sandbox.file("lied.wav", b"RIFF")
    process, _ = start_and_wait(sandbox)
    press(find_control("push button", "Hinzufügen..."))
    choose_in_panel("Dateien hinzfügen", sandbox.root, os.path.basename(song), "Hinzufügen")
    encode = find_control("push button", "Kodieren!")
    assert wait_until(lambda: sensitive(encode))
    press(encode)
    assert find_control("push button", "Kodieren abbrechen") is not None, "no run under way"
    process.send_signal(signal.SIGTERM)
    assert process.wait(timeout=20) == 0
    running = subprocess.run(["pgrep", "-f", encoder], capture_output=True, text=True)
    assert running.stdout.strip(), "the encoder was ended with the program"
    subprocess.run(["pkill", "-f", encoder])


def test_an_installed_program_starts_and_finds_its_readme(sandbox):
    build = os.path.dirname(os.path.dirname(os.path.abspath(sys.argv[1])))
    prefix = os.path.join(sandbox.root, "installiert mit Blank")
    done = subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    entry = os.path.join(prefix, "share/applications/x-vnd.MirvexOggVorbisFrontend.desktop")
    checked = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    assert checked.returncode == 0 and not checked.stdout.strip(), checked.stdout
    metainfo = os.path.join(prefix, "share/metainfo/org.example.mirvex.OggVorbisFrontend.metainfo.xml")
    checked = subprocess.run(["appstreamcli", "validate", "--no-net", metainfo],
                             capture_output=True, text=True)
    assert checked.returncode == 0, checked.stdout + checked.stderr
    link = os.path.join(prefix, "bin/MirvexOggVorbisFrontend")
    real = os.path.join(prefix, "lib/MirvexOggVorbisFrontend/MirvexOggVorbisFrontend")
    assert os.path.islink(link) and os.path.realpath(link) == os.path.realpath(real)
    assert os.path.exists(os.path.join(prefix, "lib/MirvexOggVorbisFrontend/readme"))

    # Started through the link, as the desktop entry does, from elsewhere: the
    # readme is opened with the desktop's opener, here one that notes it.
    opener_dir = os.path.join(sandbox.root, "opener")
    os.mkdir(opener_dir)
    noted = os.path.join(sandbox.root, "opened")
    with open(os.path.join(opener_dir, "xdg-open"), "w") as script:
        script.write("#!/bin/sh\nprintf '%%s\\n' \"$@\" >> '%s'\n" % noted)
    os.chmod(os.path.join(opener_dir, "xdg-open"), 0o755)
    sandbox.env["PATH"] = opener_dir + ":" + sandbox.env.get("PATH", "")
    sandbox.program = real
    process, quit_button = start_and_wait(sandbox)
    press(find_control("menu item", "Liesmich"))
    assert wait_until(lambda: os.path.exists(noted)), "the readme was not opened"
    with open(noted) as text:
        assert text.read() == os.path.join(prefix, "lib/MirvexOggVorbisFrontend/readme") + "\n"
    assert find_control("push button", "OK", timeout=0.5) is None, "ReadmeDialog appeared"
    quit_with_button(process, quit_button)


LIST_TYPE = "text/x-MirvexOggVorbisFronted-list"
ENTRY_ID = "x-vnd.MirvexOggVorbisFrontend.desktop"

# What GIO makes of a desktop entry id: the file it resolves to, whether
# menus show it, and the types it opens.
GIO_ENTRY = """
import sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
info = Gio.DesktopAppInfo.new(sys.argv[1])
print(info.get_filename() if info else "")
print("shown" if info and info.should_show() else "hidden")
print(";".join(info.get_supported_types() if info else []))
"""


def desktop_answer(env, *command):
    return subprocess.run(command, env=env, capture_output=True, text=True,
                          timeout=30).stdout.strip()


def start_and_quit(sandbox):
    process, quit_button = start_and_wait(sandbox)
    quit_with_button(process, quit_button)


def test_an_installed_program_stays_in_the_menu_after_its_first_start(sandbox):
    user_entry = os.path.join(sandbox.env["XDG_DATA_HOME"], "applications", ENTRY_ID)
    mimeapps = os.path.join(sandbox.env["XDG_CONFIG_HOME"], "mimeapps.list")
    sandbox.env["XDG_DATA_DIRS"] = "/usr/local/share:/usr/share"

    # Run from where it was built, with no entry of its id anywhere: it
    # writes one of its own, under its own name, that opens list files.
    start_and_quit(sandbox)
    with open(user_entry) as text:
        assert "\nName=Mirvex OggVorbis Frontend\n" in text.read()
    assert desktop_answer(sandbox.env, "xdg-mime", "query", "default", LIST_TYPE) == ENTRY_ID

    # Installed for everybody into a folder of the system's data folders,
    # then started: the entry the desktop finds by the id is the installed
    # one, in the menu with all its types, and the list type's default.
    build = os.path.dirname(os.path.dirname(os.path.abspath(sys.argv[1])))
    prefix = os.path.join(sandbox.root, "usr")
    done = subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    installed = os.path.join(prefix, "share/applications", ENTRY_ID)
    with open(installed) as text:
        installed_text = text.read()
    sandbox.env["XDG_DATA_DIRS"] = os.path.join(prefix, "share") + ":/usr/local/share:/usr/share"
    sandbox.program = os.path.join(prefix, "lib/MirvexOggVorbisFrontend/MirvexOggVorbisFrontend")
    start_and_quit(sandbox)
    assert not os.path.exists(user_entry), "the earlier start's entry still hides the installed one"
    filename, shown, types = desktop_answer(sandbox.env, "/usr/bin/python3", "-c", GIO_ENTRY,
                                            ENTRY_ID).split("\n")
    assert filename == installed and shown == "shown", (filename, shown)
    assert {LIST_TYPE, "audio/x-wav", "audio/flac"} <= set(types.split(";")), types
    assert desktop_answer(sandbox.env, "gio", "mime", LIST_TYPE).startswith(
        "Default application for \u201c%s\u201d: %s\n" % (LIST_TYPE, ENTRY_ID))
    assert desktop_answer(sandbox.env, "xdg-mime", "query", "default", LIST_TYPE) == ENTRY_ID

    # Deleting the type takes back what the program added, and only that.
    process, quit_button = start_and_wait(sandbox)
    select_tab("Programm-Optionen")
    press(find_control("push button", "MIME-Typ jetzt löschen"))
    assert find_control("label", "MIME-Typ erfolgreich gelöscht.") is not None
    press(find_control("push button", "In Ordnung"))
    quit_with_button(process, quit_button)
    with open(mimeapps) as text:
        assert ENTRY_ID not in text.read()
    with open(installed) as text:
        assert text.read() == installed_text
    assert not os.path.exists(user_entry)


def main(namespace=None):
    """Runs the tests of the namespace (this module's unless another module
    that builds on it hands in its own)."""
    program = os.path.abspath(sys.argv[1])
    wait_for_accessibility_bus()
    only = sys.argv[2] if len(sys.argv) > 2 else ""
    tests = [(name, function) for name, function in sorted((namespace or globals()).items())
             if name.startswith("test_") and callable(function) and only in name]
    passed = failed = 0
    for name, function in tests:
        sandbox = Sandbox(program)
        try:
            function(sandbox)
            passed += 1
            print("PASS", name, flush=True)
        except Exception:
            failed += 1
            print("FAIL", name, flush=True)
            traceback.print_exc()
        finally:
            sandbox.close()
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
