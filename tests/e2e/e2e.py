#!/usr/bin/python3
"""The real program on an X server of its own, over a drive map of its own, driven as a user drives it.

    e2e.py PROGRAM SCENARIO

Keys and clicks go through xdotool (XTEST, as a keyboard and a mouse send them); the screen-reader scenario
reads the windows through AT-SPI, as Orca does, and runs inside dbus-run-session. There is no window
manager: a window is given the focus before keys are pressed, as the user's click into it would. The
program starts from C:\\Conv, unless a scenario says otherwise, with converters that record what they were
given. Each step waits at most 15 s, so that a window that never comes fails with a reason.
"""

import json
import os
import subprocess
import sys
import tempfile
import time

import Xlib.display
import Xlib.protocol.event
import Xlib.X

MAIN = "Famlore Conversion Utility"
USER_FOLDER_DIALOG = "Please select your User Folder"
EXPORT_DIALOG = "Select GED File To Export To"
STEP = 15

# A converter that writes what it was given beside itself, under another name first, so that a poller
# never reads half of it.
STAND_IN = """#!/usr/bin/python3
import json, os, sys
record = {"arguments": sys.argv[1:], "folder": os.getcwd(), "WINEPREFIX": os.environ.get("WINEPREFIX"),
          "FAMBRIDGE_PREFIX": os.environ.get("FAMBRIDGE_PREFIX")}
with open(sys.argv[0] + ".partial", "w") as out:
    json.dump(record, out)
os.rename(sys.argv[0] + ".partial", sys.argv[0] + ".out")
"""

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message, file=sys.stderr)


def wait_for(find, what, timeout=STEP):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.05)
    raise TimeoutError(f"{what} did not come within {timeout} s")


def settings_text(*lines):
    return "".join(line + "\r\n" for line in lines).encode("latin-1")


class Session:
    """Drive C: of a fresh prefix, an X server, and the program once started."""

    def __init__(self, root, program):
        self.root, self.program = root, program
        self.prefix = os.path.join(root, "prefix")
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.app = self.make_folder("Conv")
        os.makedirs(os.path.join(self.prefix, "dosdevices"))
        os.symlink("../drive_c", os.path.join(self.prefix, "dosdevices", "c:"))
        # With -displayfd the server takes a free display and names it once it accepts clients.
        self.server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                                        "800x600x24"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.display = ":" + self.server.stdout.readline().decode().strip()
        self.fambridge = None

    def host(self, relative):
        return os.path.join(self.drive_c, relative)

    def make_folder(self, relative):
        os.makedirs(self.host(relative), exist_ok=True)
        return self.host(relative)

    def make_file(self, relative, content=b""):
        self.make_folder(os.path.dirname(relative))
        with open(self.host(relative), "wb") as file:
            file.write(content)
        return self.host(relative)

    def install_converter(self, name):
        path = os.path.join(self.app, name)
        with open(path, "w") as file:
            file.write(STAND_IN)
        os.chmod(path, 0o755)
        return path

    def start(self, screen_reader=False):
        # The test run may ask Qt for its offscreen platform; the program must meet a plain X screen, as on
        # a user's desktop. Whatever Qt keeps for the user stays in the test's own home.
        environment = {name: value for name, value in os.environ.items()
                       if not name.startswith("QT_") and name != "WINEPREFIX"}
        environment.update(DISPLAY=self.display, FAMBRIDGE_PREFIX=self.prefix,
                           HOME=os.path.join(self.root, "home"))
        if screen_reader:
            environment.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.fambridge = subprocess.Popen([self.program], cwd=self.app, env=environment)
        self.find(MAIN)

    def xdotool(self, *arguments):
        """Runs xdotool to its end. A search that meets a window going away meanwhile is run again."""
        while True:
            done = subprocess.run(["xdotool", *arguments], capture_output=True, text=True, timeout=STEP,
                                  env=dict(os.environ, DISPLAY=self.display))
            if arguments[0] == "search" and "BadWindow" in done.stderr:
                continue
            if done.returncode != 0 and not (arguments[0] == "search" and not done.stderr):
                raise RuntimeError(f"xdotool {' '.join(arguments)} failed: {done.stderr}")
            return done.stdout

    def find(self, title):
        return self.xdotool("search", "--sync", "--onlyvisible", "--name", f"^{title}$").split("\n")[0]

    def press(self, title, *keys, command="key"):
        # Through XTEST, as a keyboard sends them: window 0, since xdotool would send them to a named window
        # as synthetic events.
        self.xdotool("windowfocus", "--sync", self.find(title), command, "--window", "0", "--delay", "30",
                     *keys)

    def wait_until_gone(self, title):
        shown = lambda: self.xdotool("search", "--onlyvisible", "--name", f"^{title}$")
        wait_for(lambda: None if shown() else True, f"{title} leaving the screen")

    def click(self, title, x, y):
        """A left click at a point given as a fraction of the window's width and height."""
        shell = dict(line.split("=") for line in self.xdotool("getwindowgeometry", "--shell",
                                                              self.find(title)).split())
        self.xdotool("mousemove", "--sync", str(int(shell["X"]) + round(x * int(shell["WIDTH"]))),
                     str(int(shell["Y"]) + round(y * int(shell["HEIGHT"]))), "click", "1")

    def press_close_box(self, title):
        """What a window manager sends when the user presses a window's close box: WM_DELETE_WINDOW."""
        x = Xlib.display.Display(self.display)
        window = x.create_resource_object("window", int(self.find(title)))
        window.send_event(Xlib.protocol.event.ClientMessage(
            window=window, client_type=x.intern_atom("WM_PROTOCOLS"),
            data=(32, [x.intern_atom("WM_DELETE_WINDOW"), Xlib.X.CurrentTime, 0, 0, 0])))
        # A round trip first: the server may drop what a client sent just before it hung up.
        x.sync()
        x.close()

    def expect_program_ends(self):
        check(self.fambridge.wait(timeout=STEP) == 0, "the program did not end with exit code 0")

    def expect_started(self, converter, arguments):
        """The converter recorded these arguments, the application folder and the drive map's prefix."""
        wait_for(lambda: True if os.path.exists(converter + ".out") else None, f"a record of {converter}")
        with open(converter + ".out") as file:
            record = json.load(file)
        check(record == {"arguments": arguments, "folder": self.app, "WINEPREFIX": self.prefix,
                         "FAMBRIDGE_PREFIX": self.prefix}, f"{os.path.basename(converter)} got {record}")

    def settings(self):
        path = os.path.join(self.app, "Famlore.ini")
        return open(path, "rb").read() if os.path.exists(path) else None

    def close(self):
        for process in (self.fambridge, self.server):
            if process and process.poll() is None:
                process.terminate()  # Xvfb then removes its lock file and socket
                try:
                    process.wait(timeout=3)
                except subprocess.TimeoutExpired:
                    process.kill()


def import_from_the_keyboard_from_the_root_of_c(session):
    """Import from the keyboard starts FLImport with its arguments exactly; Exit, clicked, writes the
    settings back byte for byte. Started from the root of C:, where they are C:\\Famlore.ini and
    C:\\FLImport."""
    session.app = session.drive_c
    session.make_folder("PALM/User1/Backup")
    old_install = session.make_file("PALM/User1/Install/famlorim.pdb", b"old")
    session.make_file("Gen/tree.ged")
    saved = settings_text('"FAMBRIDGE","1.40"', r'"C:\PALM\User1"', r'"C:\Gen"', '"tree.ged"', "", "", "")
    session.make_file("Famlore.ini", saved)
    flimport = session.install_converter("FLImport")
    session.start()
    session.press(MAIN, "Tab", "Return")  # the focus starts on Exit; Import follows it
    session.expect_started(flimport, [r"C:\PALM\User1\INSTALL", r"C:\Gen\tree.ged", "C:\\"])
    check(not os.path.exists(old_install), "the install file of the earlier import is still there")
    # Read when the program started, the settings must come back from what it kept of them.
    os.remove(os.path.join(session.app, "Famlore.ini"))
    # The middle of Exit in the form's design, in twips; the window keeps the design's proportions.
    session.click(MAIN, (240 + 975 / 2) / 11460, (3240 + 375 / 2) / 3810)
    session.expect_program_ends()
    check(session.settings() == saved, f"Famlore.ini at Exit: {session.settings()}")


def user_folder_chosen_by_keyboard_is_exported_and_saved(session):
    """The user folder dialog, the database list and the save dialog by keyboard feed FLExport; Exit saves
    the choices."""
    session.make_folder("PALM/User1/Backup")
    session.make_file("PALM/User2/Backup/SecondP.PDB")
    session.make_file("PALM/User2/Backup/SecondE.PDB")
    session.make_file("Conv/Famlore.ini", settings_text('"FAMBRIDGE","1.40"', r'"C:\PALM\User1"', *[""] * 5))
    flexport = session.install_converter("FLExport")
    session.start()
    session.press(MAIN, "Tab", "Tab", "Return")  # from Exit past the import Browse... to the user folder's
    # Past Cancel to the folder list, where User1 is current: up to PALM and open it, down to User2 and open
    # that, then past the drive list round to OK.
    session.press(USER_FOLDER_DIALOG, "Tab", "Tab", "Up", "Return", "Down", "Down", "Return", "Tab", "Tab",
                  "Return")
    session.wait_until_gone(USER_FOLDER_DIALOG)
    # User2's one database is the first entry of the list after the user folder's Browse...; picking it
    # enables the export Browse... two steps back.
    session.press(MAIN, "Tab", "Down", "shift+Tab", "shift+Tab", "Return")
    session.press(EXPORT_DIALOG, "out.ged", command="type")
    session.press(EXPORT_DIALOG, "Return")
    session.wait_until_gone(EXPORT_DIALOG)
    session.press(MAIN, "Tab", "Tab", "Tab", "Return")  # Export, past Browse... and the database list
    session.expect_started(flexport, [r"C:\PALM\User2\BACKUP", r"C:\Conv\out.ged", "Second"])
    session.press(MAIN, "Tab", "Return")
    session.expect_program_ends()
    expected = settings_text('"FAMBRIDGE","1.40"', r'"C:\PALM\User2"', "", "", r'"C:\Conv"', '"out.ged"',
                             '"Second"')
    check(session.settings() == expected, f"Famlore.ini at Exit: {session.settings()}")


def close_box_ends_without_writing_settings(session):
    session.make_folder("PALM/User1/Backup")
    session.start()
    session.press_close_box(MAIN)
    session.expect_program_ends()
    check(session.settings() is None, "the close box wrote Famlore.ini")


def screen_reader_sees_both_windows(session):
    """Roles and names, every focusable control named and no two alike, the value labels labelled by their
    captions, and the user folder label's name following the folder chosen with OK."""
    import pyatspi

    def application():
        return next((app for app in pyatspi.Registry.getDesktop(0)
                     if app is not None and app.get_process_id() == session.fambridge.pid), None)

    def window(app, role, name):  # the dialog is hidden, not destroyed
        return next((child for child in app if child is not None and child.getRoleName() == role
                     and child.name == name and child.getState().contains(pyatspi.STATE_SHOWING)), None)

    def labelled_by(accessible):
        return [relation.getTarget(0).name for relation in accessible.getRelationSet()
                if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY]

    def named_apart(win, where, expected):
        names = [c.name for c in win if c is not None and c.getState().contains(pyatspi.STATE_FOCUSABLE)]
        check(all(names) and len(names) == len(set(names)), f"{where}: focusable controls unnamed or alike")
        check(sorted(names) == sorted(expected), f"{where}: focusable controls {names}")

    def by_name(win, role, name):
        return next((c for c in win if c is not None and c.getRoleName() == role and c.name == name), None)

    def press(accessible):
        action = accessible.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(next((i for i, n in enumerate(names) if n in ("Press", "press", "click")), 0))

    session.make_folder("PALM/User1/Backup")
    session.make_folder("PALM/User2/Backup")
    session.start(screen_reader=True)
    app = wait_for(application, "the program on the accessibility bus")
    main_window = wait_for(lambda: window(app, "frame", MAIN), "a frame named " + MAIN)
    named_apart(main_window, "main window",
                ["Import", "Browse for the GED file to import from", "Export", "Database",
                 "Browse for the GED file to export to", "Browse for the Palm user folder", "Exit"])
    database = by_name(main_window, "combo box", "Database")
    check(database is not None and labelled_by(database) == ["From Database:"],
          "the database list is a combo box labelled by From Database:")
    labels = [c for c in main_window if c is not None and c.getRoleName() == "label"]
    relations = [labelled_by(label) for label in labels]
    for caption in ("From GED File:", "To GED File:", "Palm User Folder:"):
        check([caption] in relations, f"no value label is labelled by {caption}: {relations}")
    folder_label = next((label for label in labels if labelled_by(label) == ["Palm User Folder:"]), None)
    check(folder_label is not None and folder_label.name == "C:\\PALM\\User1",
          f"the user folder label reads {folder_label.name if folder_label else None}")

    press(by_name(main_window, "push button", "Browse for the Palm user folder"))
    dialog = wait_for(lambda: window(app, "dialog", USER_FOLDER_DIALOG), "the user folder dialog")
    named_apart(dialog, "user folder dialog", ["OK", "Cancel", "Folders", "Drives"])
    check(by_name(dialog, "list", "Folders") is not None, "the folder list is a list named Folders")
    check(by_name(dialog, "combo box", "Drives") is not None, "the drive list is a combo box named Drives")
    # From OK past Cancel to the folder list, where User1 is current: up to PALM and open it, then down to
    # User2 and open that; OK takes it.
    session.xdotool("key", "--delay", "100", "Tab", "Tab", "Up", "Return", "Down", "Down", "Return")
    time.sleep(0.5)
    press(by_name(dialog, "push button", "OK"))
    wait_for(lambda: None if window(app, "dialog", USER_FOLDER_DIALOG) else True, "the dialog closing")
    wait_for(lambda: True if folder_label.name == "C:\\PALM\\User2" else None,
             "the user folder label reading C:\\PALM\\User2", timeout=5)
    press(by_name(main_window, "push button", "Exit"))
    session.expect_program_ends()


def main():
    program, scenario = sys.argv[1], globals()[sys.argv[2]]
    with tempfile.TemporaryDirectory() as root:
        session = Session(root, program)
        try:
            scenario(session)
        except (TimeoutError, RuntimeError, subprocess.TimeoutExpired) as stopped:
            check(False, str(stopped))
        finally:
            session.close()
    if failures:
        sys.exit(f"{sys.argv[2]}: {len(failures)} check(s) failed")
    print(f"{sys.argv[2]}: all checks passed")


if __name__ == "__main__":
    main()
