#!/usr/bin/python3
"""The real program as a screen reader reads it: over the accessibility bus (AT-SPI).

Run inside a session bus: dbus-run-session -- atspiE2eTest.py KAVALUN_EXE
Starts Xvfb, the accessibility bus and the program under a Czech locale, then reads every
control's role, name and value, follows the particle count through a run and presses the
pace button's halves by their Czech action names.
"""
import os
import random
import select
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT = 60  # s; only ever waited out when something is wrong


def fail(message):
    print("atspiE2eTest: " + message, file=sys.stderr)
    sys.exit(1)


def unused_display():
    # Xvfb's own choice goes by lock files alone, and a server whose lock file was cleaned
    # away would share its number: its sockets tell that it is there.
    with open("/proc/net/unix") as table:
        sockets = table.read()
    numbers = list(range(20, 100))
    random.shuffle(numbers)
    for n in numbers:
        if ("/tmp/.X11-unix/X%d\n" % n) not in sockets and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    fail("no free display number")


# Without -noreset the server resets when its last client leaves, as the bus launcher does
# right after it starts, and refuses whoever connects meanwhile.
def start_display(scratch):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", ":%d" % unused_display(), "-displayfd", str(write_end), "-screen", "0",
         "1280x1024x24", "-nolisten", "tcp", "-noreset"],
        pass_fds=[write_end], stderr=open(os.path.join(scratch, "xvfb.log"), "w"))
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        if not select.select([read_end], [], [], TIMEOUT)[0]:
            fail("Xvfb gave no display number")
        chunk = os.read(read_end, 16)
        if not chunk:
            fail("Xvfb ended")
        number += chunk
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    return server


def main():
    exe = sys.argv[1]
    scratch = tempfile.mkdtemp(prefix="atspi-")
    children = [start_display(scratch)]
    children.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"]))
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LANG="cs_CZ.UTF-8", LANGUAGE="", LC_ALL="", LC_MESSAGES="")
    children.append(subprocess.Popen([exe], env=env))
    try:
        check(children[-1])
    finally:
        # Asked to end, the bus launcher takes its own bus daemon with it.
        for child in reversed(children):
            child.terminate()
            try:
                child.wait(TIMEOUT)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        shutil.rmtree(scratch, ignore_errors=True)
    print("atspiE2eTest: passed")


def check(program):
    import pyatspi
    from gi.repository import GLib

    def wait_for(condition, what):
        deadline = time.monotonic() + TIMEOUT
        while True:
            while GLib.MainContext.default().iteration(False):
                pass
            value = condition()
            if value:
                return value
            if program.poll() is not None:
                fail("the program ended while waiting for " + what)
            if time.monotonic() > deadline:
                fail("waited in vain for " + what)
            time.sleep(0.02)

    def app():
        for a in pyatspi.Registry.getDesktop(0):
            if a is not None and a.name == "kavalun" and a.childCount:
                return a

    frame = wait_for(app, "the program on the bus")[0]
    if frame.getRoleName() != "frame" or frame.name != "Ohyb na Kavalun":
        fail("the window is %s %r, not the frame 'Ohyb na Kavalun'" % (frame.getRoleName(), frame.name))

    def fresh(node):
        node.clearCache()
        return node

    # Every stop a screen reader makes: role, name and what it reads as the value.
    def value(node):
        interfaces = pyatspi.listInterfaces(node)
        if "Value" in interfaces:
            return "%g" % node.queryValue().currentValue
        if "Text" in interfaces:
            return node.queryText().getText(0, -1)
        return None

    controls = {}
    for node in frame:
        if node.getRoleName() in ("filler", "unknown") or not node.name:
            fail("an unnamed stop in the window: %s %r" % (node.getRoleName(), node.name))
        if node.getRoleName() != "label":
            controls[node.name] = node
    expected = {
        "Start!": ("push button", None),
        "Hmotnost částice (elektron = 1)": ("text", "1"),
        "Šířka Kavalun [nm]": ("text", "10"),
        "Počet maxim": ("text", "3"),
        "Rychlost [km/s]": ("text", "300"),
        "Automatické určení rychlosti": ("check box", None),
        "Zoom": ("slider", "100"),
        "Vydatnost zdroje": ("spin button", "5"),
        "Částic": ("status bar", "0"),
    }
    shown = {name: (node.getRoleName(), value(node)) for name, node in controls.items()}
    if shown != expected:
        fail("controls read %s, not %s" % (shown, expected))
    # Each label reads as the name of its field: the field is labelled by it.
    for name, node in controls.items():
        labels = [r.getTarget(0).name for r in node.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        wanted = name in ("Start!", "Automatické určení rychlosti")
        if bool(labels) == wanted:
            fail("%r is labelled by %s" % (name, labels))
    counter, spin, button = controls["Částic"], controls["Vydatnost zdroje"], controls["Start!"]
    if "Pauza mezi částicemi" not in spin.description:
        fail("the pace button's description says nothing of the pause: %r" % spin.description)
    # Qt's own texts follow the Czech locale.
    press = button.queryAction()
    if press.getDescription(0) in ("", "Triggers the action"):
        fail("the button's action is described as %r, not in Czech" % press.getDescription(0))

    # The count during a run: announced about once a second, always what the label shows.
    announced = []

    def heard(event):
        if event.source.name == "Částic":
            announced.append((time.monotonic(), event.any_data))
    pyatspi.Registry.registerEventListener(heard, "object:text-changed:insert")
    started = time.monotonic()
    press.doAction(0)
    wait_for(lambda: len(announced) >= 2, "two announcements of the count during a run")
    counts = [int(wait_for(lambda: value(counter), "the count")) for _ in range(3)]
    if fresh(button).name != "Stop!" or counts != sorted(counts) or counts[-1] <= 0:
        fail("during the run the button reads %r and the count %s" % (button.name, counts))
    if len(announced) > time.monotonic() - started + 1:
        fail("%d announcements in %.1f s" % (len(announced), time.monotonic() - started))
    stopped = time.monotonic()
    press.doAction(0)
    wait_for(lambda: fresh(button).name == "Start!", "the end of the run")
    final = value(counter)
    wait_for(lambda: announced[-1][1] == final, "the count announced at the end")

    # The pace button's halves, by their Czech names, as clicks on them.
    actions = spin.queryAction()
    names = {actions.getName(i): i for i in range(actions.nActions)}
    for action, pace in (("Zvýšit", 4), ("Snížit", 5), ("Snížit", 6)):
        if action not in names:
            fail("the pace button has no action %r: %s" % (action, list(names)))
        actions.doAction(names[action])
        wait_for(lambda: value(spin) == str(pace), "pace %d after %s" % (pace, action))

    after = [text for t, text in announced if t > stopped]
    if value(counter) != final or after.count(final) != 1 or len(after) > 2:
        fail("after the run the count reads %s, announced as %s" % (value(counter), after))

    # The window's menu from the keyboard, read as a screen reader reads it: a popup announces
    # itself as it shows, and each entry as the keys reach it.
    popups, reached = [], []

    def shown(event):
        if event.detail1 and event.source.getRoleName() == "popup menu":
            popups.append(event.source)
    pyatspi.Registry.registerEventListener(shown, "object:state-changed:showing")
    pyatspi.Registry.registerEventListener(
        lambda event: event.detail1 and reached.append(event.source.name),
        "object:state-changed:focused")

    def press(key):
        subprocess.run(["xdotool", "key", key], check=True)

    def move_to(entry, key="Down"):
        passed = []
        while reached[-1:] != [entry]:
            count = len(reached)
            press(key)
            passed.append(wait_for(lambda: reached[count:] and reached[-1], "the keys to move"))
            if passed.count(passed[-1]) > 1:
                fail("no %r; the keys reached %s" % (entry, passed))

    def popup(key, name):
        del popups[:]
        press(key)
        menu = wait_for(lambda: popups and popups[-1], "the menu %r" % name)
        if menu.name != name:
            fail("the menu %r reads %r, the focus was on %s" % (name, menu.name, reached[-3:]))
        return {node.name: node for node in menu if node.getRoleName() != "separator"}

    # Qt reports a checked entry as checked, but not that an entry can be checked.
    def overlay_on():
        entry = popup("shift+F10", "Data a obrázky").get("Zobrazit očekávané rozdělení")
        if entry is None:
            fail("the menu has no entry for the expected pattern")
        return entry.getState().contains(pyatspi.STATE_CHECKED)

    # No window manager gives the window the keyboard: as a click on it would.
    subprocess.run(["xdotool", "search", "--name", "^Ohyb na Kavalun$", "windowfocus", "--sync"],
                   check=True)
    wait_for(lambda: reached, "the focus in the window")  # before the keys move it
    move_to("Start!", "Tab")  # in an edit field the keys open the field's own menu
    if overlay_on():
        fail("the expected pattern is on at start")
    move_to("Pokusy z návodu")
    experiments = popup("Right", "Pokusy z návodu")
    guide = ["Elektron ve výchozím nastavení", "Těžší částice při stejné rychlosti",
             "Užší štěrbina", "Víc maxim", "Obrazec vzniká postupně"]
    if list(experiments) != guide:
        fail("the experiments read %s" % list(experiments))
    move_to("Užší štěrbina")
    press("Return")
    fields = ("Hmotnost částice (elektron = 1)", "Šířka Kavalun [nm]", "Počet maxim",
              "Rychlost [km/s]")
    wait_for(lambda: [value(fresh(controls[f])) for f in fields] == ["1", "5", "3", "198"],
             "the narrower slit's values in the fields")
    overlay_on()
    move_to("Zobrazit očekávané rozdělení")
    press("Return")
    if not overlay_on():
        fail("the expected pattern does not read as on once chosen")
    press("Escape")


if __name__ == "__main__":
    main()
