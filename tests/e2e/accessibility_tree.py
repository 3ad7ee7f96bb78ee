#!/usr/bin/python3
"""What a screen reader sees of FamBridge, read through AT-SPI as Orca reads it.

Run inside dbus-run-session, with the program's path: starts an X server and the real program of its own,
over a drive map of its own whose C:\\PALM holds two user folders, and checks both windows: roles and
names, every focusable control named and no two alike, the value labels labelled by their captions, and
the user folder label's name following the folder chosen with OK.
"""

import os
import subprocess
import sys
import tempfile
import time

import pyatspi

MAIN_CAPTION = "Famlore Conversion Utility"
DIALOG_CAPTION = "Please select your User Folder"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message, file=sys.stderr)


def wait_for(find, what, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.1)
    check(False, f"{what} did not appear within {timeout} s")
    raise TimeoutError(what)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def window(app, role, name):
    """The window of this role and name that is on the screen: the dialog is hidden, not destroyed."""
    for child in app:
        if (child is not None and child.getRoleName() == role and child.name == name
                and child.getState().contains(pyatspi.STATE_SHOWING)):
            return child
    return None


def controls(win):
    """The window's own controls: its children. A drop-down list's popup list is part of its list."""
    return [child for child in win if child is not None]


def focusable(accessible):
    return accessible.getState().contains(pyatspi.STATE_FOCUSABLE)


def labelled_by(accessible):
    return [relation.getTarget(0).name for relation in accessible.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY]


def check_named_apart(win, where):
    names = [control.name for control in controls(win) if focusable(control)]
    check(all(names), f"{where}: a focusable control without a name: {names}")
    check(len(names) == len(set(names)), f"{where}: focusable controls share a name: {names}")
    return names


def press(accessible):
    action = accessible.queryAction()
    for index in range(action.nActions):
        if action.getName(index) in ("Press", "press", "click"):
            action.doAction(index)
            return
    action.doAction(0)


def by_name(win, role, name):
    for control in controls(win):
        if control.getRoleName() == role and control.name == name:
            return control
    return None


def main():
    program = sys.argv[1]
    with tempfile.TemporaryDirectory() as root:
        prefix = os.path.join(root, "prefix")
        drive_c = os.path.join(prefix, "drive_c")
        os.makedirs(os.path.join(prefix, "dosdevices"))
        os.symlink("../drive_c", os.path.join(prefix, "dosdevices", "c:"))
        for folder in ("PALM/User1/Backup", "PALM/User2/Backup", "Conv"):
            os.makedirs(os.path.join(drive_c, folder))

        # The server takes the first free display and writes its number once it accepts clients.
        server_log = open(os.path.join(root, "xvfb.log"), "wb")
        server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                   "-noreset"], stdout=subprocess.PIPE, stderr=server_log)
        display = ":" + server.stdout.readline().decode().strip()
        environment = dict(os.environ, DISPLAY=display, FAMBRIDGE_PREFIX=prefix,
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        environment.pop("WINEPREFIX", None)
        fambridge = subprocess.Popen([program], cwd=os.path.join(drive_c, "Conv"), env=environment)
        try:
            app = wait_for(lambda: application(fambridge.pid), "the program on the accessibility bus")
            main_window = wait_for(lambda: window(app, "frame", MAIN_CAPTION), "a frame named " + MAIN_CAPTION)

            names = check_named_apart(main_window, "main window")
            expected = ["Import", "Browse for the GED file to import from", "Export", "Database",
                        "Browse for the GED file to export to", "Browse for the Palm user folder", "Exit"]
            check(sorted(names) == sorted(expected), f"main window: focusable controls {names}")
            roles = {control.name: control.getRoleName() for control in controls(main_window)}
            check(roles.get("Database") == "combo box", f"the database list's role: {roles.get('Database')}")
            labels = [control for control in controls(main_window) if control.getRoleName() == "label"]
            relations = [labelled_by(label) for label in labels]
            for caption in ("From GED File:", "To GED File:", "Palm User Folder:"):
                check([caption] in relations, f"no value label is labelled by {caption}: {relations}")
            database = by_name(main_window, "combo box", "Database")
            check(database is not None and labelled_by(database) == ["From Database:"],
                  "the database list is labelled by From Database:")
            folder_label = next((label for label in labels if labelled_by(label) == ["Palm User Folder:"]),
                                None)
            check(folder_label is not None and folder_label.name == "C:\\PALM\\User1",
                  f"the user folder label reads {folder_label.name if folder_label else None}")

            press(by_name(main_window, "push button", "Browse for the Palm user folder"))
            dialog = wait_for(lambda: window(app, "dialog", DIALOG_CAPTION), "a dialog named " + DIALOG_CAPTION)
            names = check_named_apart(dialog, "user folder dialog")
            check(sorted(names) == sorted(["OK", "Cancel", "Folders", "Drives"]),
                  f"user folder dialog: focusable controls {names}")
            check(by_name(dialog, "list", "Folders") is not None, "the folder list is a list named Folders")
            check(by_name(dialog, "combo box", "Drives") is not None, "the drive list is a combo box named Drives")

            # From OK past Cancel to the folder list, where User1 is current: up to PALM and open it,
            # then down to User2 and open that; OK takes it.
            subprocess.run(["xdotool", "key", "--delay", "100", "Tab", "Tab", "Up", "Return", "Down", "Down",
                            "Return"], env=environment, check=True)
            time.sleep(0.5)
            press(by_name(dialog, "push button", "OK"))
            wait_for(lambda: None if window(app, "dialog", DIALOG_CAPTION) else True, "the dialog closing")
            wait_for(lambda: True if folder_label.name == "C:\\PALM\\User2" else None,
                     "the user folder label reading C:\\PALM\\User2", timeout=5)

            press(by_name(main_window, "push button", "Exit"))
            check(fambridge.wait(timeout=20) == 0, "the program did not end with Exit")
        except TimeoutError:
            pass
        finally:
            if fambridge.poll() is None:
                fambridge.kill()
            server.terminate()
            server.wait()
            if failures:
                with open(os.path.join(root, "xvfb.log")) as log:
                    print("Xvfb said:\n" + log.read(), file=sys.stderr)
    if failures:
        sys.exit(f"{len(failures)} check(s) failed")
    print("all checks passed")


if __name__ == "__main__":
    main()
