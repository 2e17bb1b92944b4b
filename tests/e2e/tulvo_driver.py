"""Drives the real Tulvo program from outside, as a user and a second program do.

A Session starts its own virtual X display (Xvfb picks a free display
number), its own runtime folder ($XDG_RUNTIME_DIR, where the local sockets
live) and its own copy of the program directory, then starts Tulvo in that
copy. Everything afterwards goes through the X server (xdotool for keys and
the mouse, xclip for the clipboard, ImageMagick's import for screenshots) or
through the local sockets, never through Tulvo's insides.

    with Session(app_dir, artefacts, "name") as s:
        s.start_tulvo()
        s.type_text("ma")
        s.key("Return")
        s.search_box_text()

Window coordinates are those of the main window's client area, as the layout
gives them (search box at 75, 4; result list at 320, 42; pad at 780, 42 ...).
"""

import ctypes
import ctypes.util
import os
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import time

LOOKUP = 0x507
SHOW_WINDOW = 0x508
LOOKUP_TEXT = 0x50C
LOCATOR = "TulvoHiddenLocator"

# Files at least this big (the programs, the dictionary, the templates) are
# linked into the copy rather than copied: Tulvo only reads them, and it
# replaces the files it writes rather than writing into them.
_LINK_FROM_BYTES = 1 << 20

_libc = ctypes.CDLL(None, use_errno=True)


def die_with_parent():
    """For Popen's preexec_fn: the child gets SIGTERM when the test process
    ends, even when it is killed (a ctest time-out) before it can clean up."""
    _libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class DriverError(AssertionError):
    pass


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_close_request(display, window):
    """Asks `window` to close as a window manager's close button does
    (WM_DELETE_WINDOW), so that the program runs its own closing code.
    There is no window manager on the virtual display to do it."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise DriverError("cannot open display " + display)
    try:
        event = _Event()
        event.client.type = 33  # ClientMessage
        event.client.window = int(window)
        event.client.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
        event.client.data[1] = 0  # CurrentTime
        x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
        x11.XFlush(connection)
    finally:
        x11.XCloseDisplay(connection)


def wait_until(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls `predicate` until it returns a true value, which is returned."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise DriverError("timed out waiting for " + what)
        time.sleep(interval)


def end_process(process, timeout):
    """Terminates a started process that still runs, killing it when it does
    not end within `timeout` seconds; None (never started) is left alone."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def copy_program_directory(source, target):
    """A program directory of its own: small files copied, big ones linked,
    so that what Tulvo writes (settings, favorites, markers) stays in the copy.
    The programs find their program directory from their own executable, so
    they are copied (or hard-linked), never linked symbolically."""
    for root, dirs, files in os.walk(source):
        rel = os.path.relpath(root, source)
        os.makedirs(os.path.join(target, rel), exist_ok=True)
        for name in files:
            src = os.path.join(root, name)
            dst = os.path.join(target, rel, name)
            if os.access(src, os.X_OK):
                copy_program(src, dst)
            elif os.path.getsize(src) >= _LINK_FROM_BYTES:
                os.symlink(os.path.realpath(src), dst)
            else:
                shutil.copy2(src, dst)


def copy_program(src, dst):
    """An executable in another program directory: a hard link when both are
    on one file system, else a copy."""
    try:
        os.link(os.path.realpath(src), dst)
    except OSError:
        shutil.copy2(src, dst)


def locator_frame(message, first=0, second=0):
    return struct.pack("<qqq", message, first, second)


def lookup_parameters(text):
    """The two parameters of 0x507 for up to four UTF-16 units of `text`."""
    units = text.encode("utf-16-le")[:8].ljust(8, b"\0")
    first, second = struct.unpack("<II", units)
    return first, second


class Session:
    def __init__(self, app_dir, artefacts, name, screen="1280x800x24"):
        self.app_dir = os.path.abspath(app_dir)
        self.artefacts = os.path.join(os.path.abspath(artefacts), name)
        os.makedirs(self.artefacts, exist_ok=True)
        for old in os.listdir(self.artefacts):  # a new run's artefacts only
            os.unlink(os.path.join(self.artefacts, old))
        self.work = tempfile.mkdtemp(prefix="tulvo-e2e-")
        self.program_dir = os.path.join(self.work, "program")
        self.runtime_dir = os.path.join(self.work, "run")
        os.mkdir(self.runtime_dir, 0o700)
        copy_program_directory(self.app_dir, self.program_dir)
        self.screen = screen
        self.xvfb = None
        self.tulvo = None
        self.window = None
        self.env = None
        self._shots = 0
        try:
            self._start_display()
        except BaseException:
            # No caller holds the session yet: end what was started here.
            self.close()
            raise

    # --- life cycle -------------------------------------------------------

    def _start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            # -noreset: by default the server resets when its last client
            # leaves and refuses connections meanwhile, which a program
            # starting just after an xdotool call would meet.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise DriverError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        env = dict(os.environ)
        env.update(DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime_dir,
                   HOME=self.work, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        self.env = env
        # The display number comes when the server starts; wait until it
        # also takes clients.
        wait_until(lambda: self.run(["xdotool", "getdisplaygeometry"], check=False).strip(),
                   10, interval=0.1, what="the virtual display")

    def write_settings(self, text):
        """Replaces data/options.txt of the copy (lines end with CR LF)."""
        path = os.path.join(self.program_dir, "data", "options.txt")
        if os.path.islink(path):
            os.unlink(path)
        with open(path, "wb") as f:
            f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode())

    def launch_tulvo(self):
        """Starts Tulvo without waiting for its window."""
        with open(os.path.join(self.artefacts, "tulvo.log"), "ab") as log:
            self.tulvo = subprocess.Popen(["./Tulvo"], cwd=self.program_dir, env=self.env,
                                          stdout=log, stderr=log, preexec_fn=die_with_parent)

    def start_tulvo(self, timeout=20.0):
        self.launch_tulvo()
        self.window = wait_until(self._find_window, timeout, what="the Tulvo window")
        # The window is mapped; give it its first paint and the focus.
        wait_until(lambda: self.locator_exists(), timeout, what="the hidden locator")
        time.sleep(0.3)
        self.focus()
        return self.window

    def _find_window(self):
        if self.tulvo.poll() is not None:
            raise DriverError("Tulvo ended with %s" % self.tulvo.returncode)
        out = self.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.tulvo.pid),
                        "--name", "^Tulvo$"], check=False)
        ids = out.split()
        return ids[0] if ids else None

    def running(self):
        return self.tulvo is not None and self.tulvo.poll() is None

    def helper_running(self, name):
        """Whether a program of this session's data folder (the options
        program, say) still runs: the main window stays inert until it ends,
        which can be a while after its window closed."""
        program = os.path.realpath(os.path.join(self.program_dir, "data", name))
        for pid in os.listdir("/proc"):
            if pid.isdigit():
                try:
                    if os.path.realpath(os.readlink("/proc/%s/exe" % pid)) == program:
                        return True
                except OSError:
                    pass
        return False

    def stop_tulvo(self, timeout=10.0):
        """Closes the main window as a user does, and waits for the end."""
        if not self.running():
            return self.tulvo.returncode if self.tulvo else None
        self.close_window(self.window)
        try:
            return self.tulvo.wait(timeout)
        except subprocess.TimeoutExpired:
            self.tulvo.kill()
            return self.tulvo.wait()

    def close(self):
        try:
            end_process(self.tulvo, 5)
            self._end_speech_service()
        finally:
            end_process(self.xvfb, 10)
            shutil.rmtree(self.work, ignore_errors=True)

    def _end_speech_service(self):
        # Tulvo may have started a speech service of this runtime folder.
        pidfile = os.path.join(self.runtime_dir, "speech-dispatcher", "pid",
                               "speech-dispatcher.pid")
        try:
            with open(pidfile) as f:
                os.kill(int(f.read().strip()), signal.SIGTERM)
        except (OSError, ValueError):
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # --- X input ----------------------------------------------------------

    def run(self, argv, check=True, input=None):
        result = subprocess.run(argv, env=self.env, input=input, capture_output=True,
                                timeout=30)
        if check and result.returncode != 0:
            raise DriverError("%s failed: %s" % (argv[0], result.stderr.decode(errors="replace")))
        return result.stdout.decode(errors="replace")

    def focus(self, window=None):
        self.run(["xdotool", "windowfocus", "--sync", window or self.window], check=False)

    def type_text(self, text, delay_ms=12):
        self.run(["xdotool", "type", "--delay", str(delay_ms), text])

    def key(self, *keys, delay_ms=30):
        self.run(["xdotool", "key", "--delay", str(delay_ms)] + list(keys))

    def geometry(self, window=None):
        """(x, y, width, height) of a window's client area on the screen."""
        out = self.run(["xdotool", "getwindowgeometry", "--shell", window or self.window])
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def move_to(self, x, y, window=None):
        self.run(["xdotool", "mousemove", "--window", window or self.window, str(x), str(y)])

    def click(self, x, y, button=1, double=False, window=None):
        """Clicks at client coordinates of `window` (the main window)."""
        self.move_to(x, y, window)
        args = ["xdotool", "click"]
        if double:
            args += ["--repeat", "2", "--delay", "60"]
        self.run(args + [str(button)])

    def drag(self, points, window=None):
        """Presses the left button at the first point, moves through the
        others and releases at the last: one stroke."""
        self.move_to(*points[0], window=window)
        self.run(["xdotool", "mousedown", "1"])
        for x, y in points[1:]:
            self.move_to(x, y, window)
            time.sleep(0.01)
        self.run(["xdotool", "mouseup", "1"])

    def close_window(self, window):
        """The window's close button, as a window manager would press it."""
        send_close_request(self.display, window)

    def windows(self, name):
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", name], check=False)
        return out.split()

    # --- clipboard ----------------------------------------------------------

    def clipboard(self):
        return self.run(["xclip", "-o", "-selection", "clipboard"], check=False)

    def set_clipboard(self, text):
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], env=self.env,
                       input=text.encode(), timeout=10, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def copy_focused_text(self):
        """Ctrl+A, Ctrl+C in the focused control; its text via the clipboard."""
        self.set_clipboard("\x01empty")
        self.key("ctrl+a", "ctrl+c")
        return wait_until(lambda: (lambda t: t if t != "\x01empty" else None)(self.clipboard()),
                          5, what="the copied text")

    def search_box_text(self):
        """Tab gives the search box the focus; its text is copied out."""
        self.focus()
        self.key("Tab")
        return self.copy_focused_text()

    def text_at(self, x, y):
        """The text of the control at client x, y (clicked, then copied)."""
        self.click(x, y)
        time.sleep(0.1)
        return self.copy_focused_text()

    # --- screen -------------------------------------------------------------

    def screenshot(self, label):
        """Saves the whole screen as a numbered PNG among the artefacts."""
        self._shots += 1
        path = os.path.join(self.artefacts, "%02d-%s.png" % (self._shots, label))
        self.run(["import", "-window", "root", path])
        return path

    def pixels(self, x, y, width, height, window=None):
        """RGB triples of a client rectangle of `window`, row by row."""
        wx, wy, _, _ = self.geometry(window)
        out = subprocess.run(["import", "-window", "root", "-crop",
                              "%dx%d+%d+%d" % (width, height, wx + x, wy + y), "-depth", "8",
                              "ppm:-"],
                             env=self.env, capture_output=True, timeout=30, check=True).stdout
        # P6 header: magic, width, height, maximum value, then the bytes.
        fields, at = [], 0
        while len(fields) < 4:
            while out[at:at + 1].isspace():
                at += 1
            start = at
            while not out[at:at + 1].isspace():
                at += 1
            fields.append(out[start:at])
        data = out[at + 1:]
        w, h = int(fields[1]), int(fields[2])
        return [[tuple(data[(r * w + c) * 3:(r * w + c) * 3 + 3]) for c in range(w)]
                for r in range(h)]

    # --- local sockets ------------------------------------------------------

    def locator_path(self):
        return os.path.join(self.runtime_dir, LOCATOR)

    def locator_exists(self):
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                s.settimeout(1)
                s.connect(self.locator_path())
            return True
        except OSError:
            return False

    def send_locator(self, message, first=0, second=0, read_reply=True, timeout=5.0, text=b""):
        """One frame to the hidden locator from this process, which stands
        for a second program; returns the 8-byte reply (or None when not
        read). The connection is closed at once after that."""
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(timeout)
            s.connect(self.locator_path())
            s.sendall(locator_frame(message, first, second) + text)
            if not read_reply:
                return None
            reply = b""
            while len(reply) < 8:
                chunk = s.recv(8 - len(reply))
                if not chunk:
                    break
                reply += chunk
            return reply

    def look_up(self, text, read_reply=True):
        first, second = lookup_parameters(text)
        return self.send_locator(LOOKUP, first, second, read_reply)

    def look_up_text(self, text, read_reply=True):
        """A text lookup of any length (0x50C), as `Tulvo --lookup` sends it."""
        data = text.encode()
        return self.send_locator(LOOKUP_TEXT, len(data), 0, read_reply, text=data)

    def lookup_command(self, text, timeout=30.0):
        """Runs `./Tulvo --lookup TEXT` from the program directory; returns
        (exit code, seconds it took)."""
        start = time.monotonic()
        with open(os.path.join(self.artefacts, "lookup-command.log"), "ab") as log:
            code = subprocess.run(["./Tulvo", "--lookup", text], cwd=self.program_dir,
                                  env=self.env, stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                                  timeout=timeout).returncode
        return code, time.monotonic() - start

    def message_boxes(self):
        """The program's windows captioned "Tulvo" other than the main window
        (its message boxes)."""
        out = self.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.tulvo.pid),
                        "--name", "^Tulvo$"], check=False)
        return [w for w in out.split() if w != self.window]

    def dismiss_messages(self):
        """Answers every open message box with its OK (Return), one by one."""
        for _ in range(10):
            boxes = self.message_boxes()
            if not boxes:
                return
            self.focus(boxes[0])
            self.key("Return")
            time.sleep(0.2)
