#!/usr/bin/env python3
"""Operator scenarios on the built console, a process of its own in a real X window (Xvfb) against
the simulator (zumsim) in $ZUM_ROOT: real mouse clicks (xdotool) where the pages put their items;
state read from outside only (files under $ZUM_ROOT, the simulator's status, the screen's pixels).
Each scenario ends with a screenshot in <build>/tests/e2e/artefacts/<scenario>.png.
Usage, through tests/run_in_root.sh: test_scenarios.py --build DIR [scenario ...]
Exits 77 when Xvfb, xdotool or ImageMagick is missing."""
import glob
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import traceback

# ---- where things are on the 480 x 272 window, from the pages' layout fractions ----
W, H = 480, 272
NAV_W, CELL_H = 0.15 * W, 0.2 * H           # navigation column and one of its five cells
PX, PW = NAV_W, 0.85 * W                    # every page's x and width
TW, TH = (0.812 * PW - 4) / 3, (0.63 * H - 4) / 3   # a parameter tile: 3 x 3 grid, spacing 2, from 23 %


def page(fx, fy):
    return (PX + fx * PW, fy * H)


def tile(row, col, fx=0.5, fy=0.5):
    return (PX + col * (TW + 2) + fx * TW, 0.23 * H + row * (TH + 2) + fy * TH)


def right_dash(fy, fh):  # 81.5 % across, 18 % wide, 86 % high; an item by its y and height
    return page(0.815 + 0.09, 0.86 * (fy + fh / 2))


def key(digit):  # the login keypad fills the admin page's right half; keys 20 % of its height
    i = "123456789.0<".index(digit)
    return (PX + PW / 2 + [0.1, 0.4, 0.7][i % 3] * PW / 2 + 0.1 * H, [0.025, 0.275, 0.525, 0.775][i // 3] * H + 0.1 * H)


POS = {
    "currentProgramButtonID": (NAV_W / 2, 0.5 * CELL_H),
    "settingsButtonID": (NAV_W / 2, 2.5 * CELL_H),
    "loginButtonID": (NAV_W / 2, 4.5 * CELL_H),
    "loginCell": (4, 4 * CELL_H + 4),                   # a cell corner, clear of the icon: black when selected
    "idleSpot": (NAV_W / 2, 4 * CELL_H - 8),            # remote cell: dimmed by every window-wide overlay
    "pageSpot": page(0.825, 0.01),                      # beside Run: the operating screen's background
    "leftArrowID": page(0.45 * 0.125, 0.1625),
    "rightArrowID": page(0.45 * 0.875, 0.1625),
    "saveButtonID": (PX + 0.47 * PW + 0.095 * H * 0.65, 0.1625 * H),
    "dwellTileID": tile(0, 1),
    "dutyCycleTileID": tile(1, 1),
    "lineDotButtonID": tile(2, 2),
    "runButtonID": right_dash(0, 0.3),
    "valveButtonID": right_dash(0.56, 0.2),
    "eStopButtonID": right_dash(0.78, 0.22),
    # the roller editor over the page: columns 8 % wide from 17 %, dwell's shifted 1.5; units is the 7th
    "up": (PX + 0.17 * PW + (6 - 1.5 + 0.5) * 0.08 * PW, 0.05 * H + 0.135 * H),
    "saveIconID": (PX + 0.84 * PW + 0.065 * PW, 0.1 * H + 0.065 * PW),
    "submitPasswordButtonID": (PX + 0.26 * PW, 0.9 * H),
    "triggerModeIconID": page(0.5, 0.13 + 0.06 * PW / H),
    "resetBannerButtonID": (W / 2, H / 2),
}
# What a working console must not print: shell errors of its own commands
# (a copy of files that do not exist) and Qt's complaint about its runtime folder.
ALARMING = re.compile(r"^(?:cp|mv|rm|sh|chmod): .*|.*XDG_RUNTIME_DIR.*", re.M)
AMBER, OLIVE, BLACK = (240, 179, 35), (51, 51, 0), (0, 0, 0)
OFF_WINDOW = ("700", "400")                               # on the Xvfb screen, off the window
PROFILE_1 = {"programValue": 1, "dispenseCycles": "20000", "dwell": "1", "dutyCycle": "1", "riseTime": "80",
             "fallTime": "80", "delay": "1", "cycleCount": "0", "mode": 0, "nozTemp": "30",
             "nozTempState": False, "tuning": "0"}  # 3.2 s on the board, and the valve count reaches the chip


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


class Console:
    """Xvfb, the simulator and the console; the operator's hands and eyes."""

    def __init__(self, build, root, artefacts):
        self.build, self.root, self.artefacts = build, root, artefacts
        self.procs, self.origin = {}, (0, 0)
        self.env = dict(os.environ, ZUM_CPU_ARCH="arm", QT_QPA_PLATFORM="xcb", QT_QUICK_BACKEND="software")
        self.log = open(os.path.join(artefacts, "console.log"), "wb")

    def start(self):
        read, write = os.pipe()
        self.procs["xvfb"] = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x480x24",
                                               "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env["DISPLAY"] = ":" + pipe.readline().strip()
        self.procs["zumsim"] = subprocess.Popen([os.path.join(self.build, "sim", "zumsim"), "--root", self.root,
                                                 "--no-stdin"], stdout=self.log, stderr=self.log)
        self.wait_for(lambda: self.file("sim/server.port") and self.send("status", False).startswith("ok"), 10,
                      "the simulator")
        # As scripts/run.sh does: the console reports to the simulated server.
        self.write("media/data/JetValveSettings.dat", json.dumps({
            "trigOutForCamera": True, "repeatEnabled": False, "repeatDelay": 100,
            "RemoteServerIP": "127.0.0.1", "RemoteServerPort": self.file("sim/server.port").strip()}))
        self.write("media/data/1JV.profile", json.dumps(PROFILE_1))
        self.start_console()

    def start_console(self, ready=True):
        self.procs["console"] = subprocess.Popen([os.path.join(self.build, "app", "zumvalvecontroller")],
                                                 env=self.env, stdout=self.log, stderr=self.log)
        window = self.wait_for(lambda: self.xdotool("search", "--name", "ZUM Jet Valve").split(), 20, "the window")
        geometry = dict(line.split("=") for line in self.xdotool("getwindowgeometry", "--shell", window[0]).split())
        self.origin = (int(geometry["X"]), int(geometry["Y"]))
        if ready:
            self.wait_ready(20)

    def stop(self, name, sig=signal.SIGTERM):
        proc = self.procs.pop(name, None)
        if proc and proc.poll() is None:
            proc.send_signal(sig)
            try:
                proc.wait(10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()

    def close(self):
        for name in ("console", "zumsim", "xvfb"):
            self.stop(name)
        self.log.close()

    def recover(self):
        """After a failed scenario: sound simulator inputs and a fresh console."""
        for cmd in ("board normal", "db9 close", "temp piezo 25", "temp nozzle 25"):
            self.send(cmd, False)
        self.stop("console", signal.SIGKILL)
        self.start_console()

    # hands
    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=10).stdout

    def at(self, where, dx=0, dy=0):
        x, y = POS[where] if isinstance(where, str) else where
        return str(round(self.origin[0] + x + dx)), str(round(self.origin[1] + y + dy))

    def click(self, *where, gap=0.1):
        """Taps each place in turn, `gap` seconds apart."""
        expect(self.procs["console"].poll() is None, "the console is gone")
        taps = [word for w in where for word in ("sleep", str(gap), "mousemove", *self.at(w), "click", "1")]
        self.xdotool(*taps[2:], "mousemove", *OFF_WINDOW)
        time.sleep(0.15)  # lets the window take the taps before the next look

    def press(self, where):
        self.xdotool("mousemove", *self.at(where), "mousedown", "1")

    def release(self):
        self.xdotool("mouseup", "1", "mousemove", *OFF_WINDOW)

    def send(self, cmd, check=True):
        out = subprocess.run([os.path.join(self.build, "sim", "zumsim"), "--root", self.root, "--send", cmd],
                             capture_output=True, text=True, timeout=10).stdout
        expect(not check or out.startswith("ok"), "zumsim refused %r: %s" % (cmd, out.strip()))
        return out

    # eyes
    def wait_for(self, predicate, timeout, what):
        end = time.monotonic() + timeout
        while not (value := predicate()):
            expect(time.monotonic() < end, "timed out after %g s waiting for %s" % (timeout, what))
            time.sleep(0.1)
        return value

    def grab(self, where, size=1):
        """The raw RGB bytes of a square of the screen centred on a place."""
        x, y = self.at(where, -(size // 2), -(size // 2))
        return subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%s+%s" % (size, size, x, y), "-depth", "8",
                               "rgb:-"], env=self.env, capture_output=True, timeout=10).stdout

    def looks(self, where, colour):
        return all(abs(a - b) <= 24 for a, b in zip(self.grab(where)[:3], colour))

    def wait_colour(self, where, colour, timeout=5, negate=False):
        self.wait_for(lambda: self.looks(where, colour) != negate, timeout, "%s %sto be %s (it is %s)" % (
            where, "not " if negate else "", colour, tuple(self.grab(where)[:3])))

    def wait_ready(self, timeout=5):
        """The operating screen with no page, hour glass, banner or editor over it, and Run taking taps
        (it lets the half second after an overlay went pass)."""
        self.wait_colour("idleSpot", AMBER, timeout)
        self.wait_colour("pageSpot", OLIVE, timeout)
        time.sleep(0.6)

    def wait_settled(self):
        """After a profile write, which the screen follows with a 200 ms hour glass that drops taps."""
        time.sleep(0.3)
        self.wait_ready()

    def wait_covered(self):
        self.wait_colour("pageSpot", OLIVE, negate=True)

    def shot(self, name):
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (W, H, *self.origin), "+repage",
                        os.path.join(self.artefacts, name + ".png")], env=self.env, timeout=20, check=True)

    def console_output(self):
        with open(self.log.name, errors="replace") as f:
            return f.read()

    # the board's files
    def file(self, rel):
        try:
            with open(os.path.join(self.root, rel), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def write(self, rel, text):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path + ".tmp", "w") as f:
            f.write(text)
        os.replace(path + ".tmp", path)

    def gpio(self, n):
        return self.file("sys/class/gpio/gpio%d/value" % n).strip()

    def board_mark(self):
        return len(self.file("sim/board.log"))

    def board_since(self, mark):
        """What the console sent the board since `mark`, escaped as the log shows it."""
        return "".join(line.split(" rx ", 1)[1] for line in self.file("sim/board.log")[mark:].splitlines()
                       if " rx " in line)

    def status(self):
        return dict(re.findall(r"(\w+)=(\S+)", self.send("status")))

    def profile(self, n):
        return json.loads(self.file("media/data/%dJV.profile" % n) or "{}")

    def log_in(self):
        if self.looks("loginCell", BLACK):
            return
        self.click("loginButtonID")
        self.wait_covered()
        self.click(*map(key, "4172"), gap=0.05)
        self.shot("log_in_typed")
        self.click("submitPasswordButtonID")
        self.wait_colour("loginCell", BLACK)
        self.wait_ready()


# ---- the scenarios, in the order they run ----

def edit_profile(c):
    """Dwell + 1 with the roller editor's arrow, then saved to the profile file and its backup."""
    c.log_in()
    dwell, mark = int(c.profile(1)["dwell"]), c.board_mark()
    c.click("dwellTileID", "up")
    c.shot("edit_profile_editor")
    c.click("saveIconID")
    c.wait_for(lambda: "P01:%d\\r" % (dwell + 1) in c.board_since(mark), 5, "the new dwell on the board")
    c.wait_ready()
    middle = lambda: c.grab("dutyCycleTileID", 40)
    before = middle()
    c.click("saveButtonID")
    c.wait_for(lambda: int(c.profile(1).get("dwell", 0)) == dwell + 1, 5, "the saved dwell")
    expect(c.file("media/data/1JV.profile_BKUP") == c.file("media/data/1JV.profile"), "backup differs")
    # The thumbs-up grows over the page, which takes no taps until it is gone.
    c.wait_for(lambda: middle() != before, 3, "the thumbs-up")
    c.wait_for(lambda: middle() == before, 5, "the thumbs-up to go")


def dot_run(c):
    """A 20000-pulse run: run command, count report, valve count on chip and mirror, the profile's count."""
    c.wait_ready()
    before, mark = c.status(), c.board_mark()
    c.click("runButtonID")
    c.wait_for(lambda: "P06:" in c.board_since(mark), 5, "the run command")
    c.wait_for(lambda: " tx P17:" in c.file("sim/board.log")[mark:], 10, "the count report")
    c.wait_for(lambda: c.status()["eeprom"].endswith(":good(20000)"), 10, "the valve count on the chip")
    after = c.status()
    expect(int(after["runs"]) == int(before["runs"]) + 1, "not exactly one run: %s" % after["runs"])
    expect(int(after["count"]) == int(before["count"]) + 20000, "board count %s" % after["count"])
    mirror = glob.glob(os.path.join(c.root, "media/data/2d-*-1"))[0]
    c.wait_for(lambda: open(mirror).read().startswith("20000#"), 5, "the valve count in the mirror")
    c.wait_for(lambda: c.profile(1).get("cycleCount") == "20000", 5, "the profile's own count")
    c.wait_ready(10)


def line_mode(c):
    """Line mode sends two pulses and continuous mode; pressing and releasing where Run was starts nothing."""
    c.log_in()
    mark, runs = c.board_mark(), c.status()["runs"]
    c.click("lineDotButtonID")
    c.wait_for(lambda: re.search(r"P05:2\\r.*P12:1\\r", c.board_since(mark)), 5, "line mode on the board")
    c.wait_settled()
    c.press("runButtonID")
    c.shot("line_mode_held")
    c.release()
    time.sleep(0.3)
    expect("P06:" not in c.board_since(mark) and c.status()["runs"] == runs, "a run started in line mode")
    c.click("lineDotButtonID")
    c.wait_for(lambda: re.search(r"P12:1\\r.*P05:20000\\r.*P12:0\\r", c.board_since(mark)), 5,
               "dot mode with the stored count")
    c.wait_settled()


def service_mode(c):
    """Valve opened for service and, while its command is paced out, the next profile: both reach the
    board whole (a parameter write once cut the paced line in two); then closed again."""
    mark = c.board_mark()
    c.click("valveButtonID", "rightArrowID", gap=0.03)
    c.wait_for(lambda: "P16:00\\r" in c.board_since(mark), 2, "the open valve on the board")
    c.wait_for(lambda: "P05:1\\rP12:0\\r" in c.board_since(mark), 2, "profile 2 on the board")
    c.wait_settled()
    c.shot("service_mode_open")
    c.click("leftArrowID")
    c.wait_for(lambda: "P05:20000\\r" in c.board_since(mark), 2, "profile 1 on the board")
    c.wait_settled()
    c.click("valveButtonID")
    c.wait_for(lambda: "P16:01\\r" in c.board_since(mark), 2, "the closed valve on the board")


def settings_survive_restart(c):
    """The trigger mode chosen on the settings page is still there after the console is killed."""
    icon = lambda: c.grab("triggerModeIconID", 40)
    c.log_in()
    c.click("settingsButtonID")
    c.wait_covered()
    camera = icon()
    c.click("triggerModeIconID")
    c.wait_for(lambda: '"trigOutForCamera":false' in c.file("media/data/JetValveSettings.dat"), 5, "the saved mode")
    dispense = c.wait_for(lambda: icon() != camera and icon(), 5, "the icon to change")
    c.stop("console", signal.SIGKILL)
    mark = c.board_mark()
    c.start_console()
    expect("P28:0\\r" in c.board_since(mark), "the stored trigger mode did not reach the board")
    c.log_in()
    c.click("settingsButtonID")
    c.wait_for(lambda: icon() == dispense, 5, "the dispense icon after the restart")


def stop_during_wifi_join(c):
    """With the board's tool times, the stored network is joined at start; the operator, on Home, presses
    the stop while the DHCP request is still out: the services line reaches its stop level at once."""
    c.write("media/data/wifi.setup", json.dumps({"wifi": True, "ssid": "ZumLab", "passcode": "longpassword1"}))
    c.write("media/data/wifiStatus.log", "")
    plain, c.env = c.env, dict(c.env, ZUM_SIM_DELAY_IW="2", ZUM_SIM_DELAY_UDHCPC="3",
                                ZUM_SIM_DELAY_WPA_SUPPLICANT="1", ZUM_SIM_DELAY_MOUNT="0.2")
    leased, mark = lambda: "obtained" in c.file("media/data/wifiStatus.log"), len(c.file("sim/calls.log"))
    try:
        c.stop("console")
        c.start_console()
        c.wait_for(lambda: "udhcpc\t" in c.file("sim/calls.log")[mark:], 10, "the DHCP request of the join")
        c.click("currentProgramButtonID")
        c.xdotool("mousemove", *c.at("eStopButtonID"))
        clicked = time.monotonic()  # from the start of the click tool, which takes some of the time itself
        tool = subprocess.Popen(["xdotool", "click", "1"], env=c.env)
        while c.gpio(508) != "1" and time.monotonic() - clicked < 2:
            time.sleep(0.001)
        took = (time.monotonic() - clicked) * 1000
        tool.wait(10)
        print("  services line at its stop level %.0f ms after the click started" % took, flush=True)
        expect(c.gpio(508) == "1" and took < 500 and not leased(), "services off %.0f ms after the click, %s" % (
            took, "after the join" if leased() else "mid-join"))
        c.wait_for(leased, 10, "the join to end")
        c.click("resetBannerButtonID")
        c.wait_for(lambda: c.gpio(508) == "0", 5, "services back")
    finally:
        os.remove(os.path.join(c.root, "media/data/wifi.setup"))
        c.env = plain
        c.stop("console")
        c.start_console()


SCENARIOS = [edit_profile, dot_run, line_mode, service_mode,
             settings_survive_restart, stop_during_wifi_join]


def main(argv):
    build = argv[1] if argv[:1] == ["--build"] else ""
    missing = [tool for tool in ("Xvfb", "xdotool", "import") if not shutil.which(tool)]
    if missing:
        print("SKIP: %s not installed (apt-get install xvfb xdotool imagemagick)" % ", ".join(missing))
        return 77
    root = os.environ.get("ZUM_ROOT")
    if not root or not build:
        print("usage, through tests/run_in_root.sh: test_scenarios.py --build DIR [scenario ...]")
        return 2
    artefacts = os.path.join(build, "tests", "e2e", "artefacts")
    os.makedirs(artefacts, exist_ok=True)
    for old in glob.glob(os.path.join(artefacts, "*.png")):
        os.remove(old)
    chosen = [s for s in SCENARIOS if len(argv) < 3 or s.__name__ in argv[2:]]
    c, passed, started, said = Console(build, root, artefacts), 0, time.monotonic(), 0
    try:
        c.start()
        for scenario in chosen:
            t0 = time.monotonic()
            try:
                mark = c.board_mark()
                scenario(c)
                expect("ignored line" not in c.file("sim/board.log")[mark:], "the board got a garbled line")
                output = c.console_output()
                noise, said = ALARMING.findall(output[said:]), len(output)  # the first start's lines too
                expect(not noise, "the console printed %s" % noise)
                c.shot(scenario.__name__)
                passed += 1
                print("PASS %-28s %5.1f s" % (scenario.__name__, time.monotonic() - t0), flush=True)
            except Exception as error:  # reported, then a fresh console for the next one
                print("FAIL %-28s %5.1f s: %s" % (scenario.__name__, time.monotonic() - t0, error), flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
                c.shot(scenario.__name__ + "_failed")
                c.recover()
    except Exception as error:
        print("cannot go on: %s" % error)
        traceback.print_exc()
    finally:
        c.close()
    print("total %.1f s, screenshots in %s" % (time.monotonic() - started, artefacts))
    print("%d passed, %d failed" % (passed, len(chosen) - passed))
    return 0 if passed == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
