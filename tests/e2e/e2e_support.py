"""Starting Kelpix under Wine, real input through xdotool, and a probe program to look around."""
import os
import select
import shutil
import subprocess
import tempfile
import time
import unittest

WINE_RUN = os.environ.get("KELPIX_WINE_RUN", "")
EXE = os.environ.get("KELPIX_EXE", "")
PROBE = os.environ.get("KELPIX_PROBE", "")


def wine_command(*args):
    return [WINE_RUN, *args]


def probe(*args, check=False):
    done = subprocess.run(wine_command(PROBE, *args), capture_output=True, timeout=30)
    if check and done.returncode != 0:
        raise AssertionError(f"probe {args} failed: {done.stdout!r} {done.stderr!r}")
    return done.stdout.decode("cp932", "replace").strip()


def focused_window_name():
    done = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"], capture_output=True, timeout=30)
    return done.stdout.decode("utf-8", "replace").strip()


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=30)


def tray_shown():
    """Whether Wine's stand-in notification area (an X window of its own under plain Xvfb) is on screen.
    Wine shows it while at least one icon is in it."""
    done = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Wine System Tray$"],
                          capture_output=True, timeout=30)
    return done.returncode == 0 and bool(done.stdout.strip())


class WindowInfo:
    def __init__(self, line):
        parts = line.split()
        self.handle = int(parts[0])
        self.visible = parts[1] == "1"
        self.left, self.top, self.right, self.bottom = (int(p) for p in parts[2:6])

    @property
    def size(self):
        return self.right - self.left, self.bottom - self.top


def find_window(cls, title=None):
    out = probe("find", cls, *([title] if title else []))
    return None if out in ("", "none") else WindowInfo(out)


def find_child(cls, *child_classes):
    out = probe("child", cls, *child_classes)
    return None if out in ("", "none") else WindowInfo(out)


def count_windows(cls, title=None):
    return int(probe("count", cls, *([title] if title else [])) or 0)


def wait_for(predicate, timeout=10.0, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def wait_for_window(cls, title=None, visible=True, timeout=10.0):
    def found():
        info = find_window(cls, title)
        return info if info and info.visible == visible else None
    return wait_for(found, timeout)


def parse_ppm(data):
    # Header: P6\n<w> <h>\n255\n
    magic, dims, maxval, rest = data.split(b"\n", 3)
    w, h = (int(v) for v in dims.split())
    return w, h, rest


def read_ppm(path):
    with open(path, "rb") as f:
        return parse_ppm(f.read())


def screen(left, top, right, bottom):
    """The screen's pixels in the rectangle, as the X server shows them: (width, height, RGB bytes)."""
    crop = f"{right - left}x{bottom - top}+{left}+{top}"
    ppm = subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", "-depth", "8", "ppm:-"],
                         check=True, capture_output=True, timeout=30).stdout
    return parse_ppm(ppm)


class ColourWindow:
    """A window of one colour (or the probe's test pattern) in a process of its own, for as long as the object
    lives."""

    def __init__(self, x, y, w, h, rgb=0, pattern=False, title=None, command=None):
        what = command or (["pattern"] if pattern else ["colour"])
        colour = [] if pattern or command else [f"{rgb:06X}"]
        args = [str(x), str(y), str(w), str(h)] + colour + ([title] if title else [])
        self.proc = subprocess.Popen(wine_command(PROBE, *what, *args), stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        if not line.startswith("ready"):
            raise AssertionError(f"colour window did not start: {line!r}")
        # Its window handle and its process's id, as Windows numbers them.
        self.handle, self.pid = (int(v) for v in line.split()[1:3])

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()


class DropTarget(ColourWindow):
    """A white window that takes drops (OLE) as copies, in a process of its own; each drop's "PNG" goes to
    OUT.png and its first file's bytes to OUT.file."""

    def __init__(self, x, y, w, h, out):
        super().__init__(x, y, w, h, command=["drop-target"], title=wine_path(out))
        self.out = out

    def next_drop(self, timeout=10):
        """(files, PNG bytes, (DIB width, height), first file's Windows path) of the next drop, or None."""
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        if not ready:
            return None
        parts = self.proc.stdout.readline().decode("utf-8", "replace").rstrip("\r\n").split(" ", 4)
        if len(parts) < 4 or parts[0] != "dropped":
            return None
        width, height = (int(v) for v in parts[3].split("x"))
        return int(parts[1]), int(parts[2]), (width, height), parts[4] if len(parts) > 4 else ""


def unix_path(windows_path):
    """Where a path on Wine's drive C: lies in the prefix the tests run in."""
    prefix = os.path.join(os.environ.get("KELPIX_BUILD_DIR", "build"), "wineprefix", "drive_c")
    return os.path.join(prefix, *windows_path[3:].split("\\"))


class KelpixTestCase(unittest.TestCase):
    """Each test runs its own copy of the program in a fresh folder (so its INI file is its own)."""

    # A folder of this name inside the fresh one holds the copy, when set.
    FOLDER_NAME = None

    def setUp(self):
        self.top_folder = tempfile.mkdtemp(prefix="kelpix-e2e-")
        self.folder = self.top_folder
        if self.FOLDER_NAME:
            self.folder = os.path.join(self.top_folder, self.FOLDER_NAME)
            os.mkdir(self.folder)
        dist = os.path.dirname(EXE)
        for name in os.listdir(dist):
            if name.lower().endswith((".exe", ".dll", ".chm")):
                shutil.copy(os.path.join(dist, name), self.folder)
        self.exe = os.path.join(self.folder, os.path.basename(EXE))
        self.proc = None
        self.cleanups = []
        probe("clear-clipboard", check=True)

    def tearDown(self):
        for cleanup in reversed(self.cleanups):
            cleanup()
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.top_folder, ignore_errors=True)

    def write_settings(self, **keys):
        """Kelpix.ini beside the copied program, section "Option"."""
        lines = ["[Option]"] + [f"{key}={value}" for key, value in keys.items()]
        with open(os.path.splitext(self.exe)[0] + ".ini", "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")

    def launch_kelpix(self, locale=None):
        env = dict(os.environ, KELPIX_LOCALE=locale) if locale else None
        self.proc = subprocess.Popen(wine_command(self.exe), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     env=env)

    def start_kelpix(self, locale=None):
        started = time.monotonic()
        self.launch_kelpix(locale)
        main = wait_for_window("TKelpix", timeout=20)
        self.assertIsNotNone(main, "the main window did not appear")
        self.start_seconds = time.monotonic() - started
        # Keys typed before the new window has the keyboard focus would go elsewhere. Should another
        # window keep the focus, a click on the main window's caption hands it over, as a user does.
        has_focus = lambda: focused_window_name().startswith("Kelpix [ver")
        if not wait_for(has_focus, timeout=3):
            xdotool("mousemove", str((main.left + main.right) // 2), str(main.top + 10), "click", "1")
        self.assertTrue(wait_for(has_focus, timeout=7), "the main window did not get the keyboard focus")
        return main

    def wait_exit(self, timeout=10):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end")

    def colour_window(self, x, y, w, h, rgb, title=None):
        window = ColourWindow(x, y, w, h, rgb, title=title)
        self.cleanups.append(window.close)
        return window

    def pattern_window(self, x, y, w, h):
        window = ColourWindow(x, y, w, h, pattern=True)
        self.cleanups.append(window.close)
        return window

    def clipboard(self):
        path = os.path.join(self.folder, "clip.ppm")
        out = probe("clipboard", wine_path(path))
        w, h, formats = (int(v) for v in out.split())
        pixels = read_ppm(path)[2] if w and h else b""
        return w, h, formats, pixels


def wine_path(path):
    return "Z:" + path.replace("/", "\\")
