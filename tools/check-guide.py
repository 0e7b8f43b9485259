#!/usr/bin/env python3
# Runs every example of docs/guide.md (and of the other Markdown files given) under the built program and compares what it prints with
# the output the guide shows, so that the guide cannot drift from the system.
#
# The examples, in the guide's Markdown:
# - a ```vyn block is a script (a "Vyn []" header is put in front when it has none); the ```text
#   block right after it is its exact output, and a script with no such block must print nothing;
# - a ```console block is a console session: its ">> " lines are typed into the console, and every
#   other line is what the console answers;
# - a ```vyn block right after an HTML comment "<!-- tui keys: KEYS then KEYS -->" runs in a
#   pseudo-terminal of 60x16 cells: once its window is drawn the first keys are typed, the screen
#   must then look like the ```screen block after the script, the keys after "then" are typed, and
#   when the program has ended the screen must look like the ```text block after that.
# Lines are compared without their trailing blanks, which a Markdown editor may take away.
# Each example runs in a fresh folder with a fresh HOME. "localhost:8000" in an example stands for
# the loopback server of tools/guide-server.py, which this script starts on a free port.
import concurrent.futures, difflib, fcntl, importlib.util, os, pty, re, select, shutil, struct
import subprocess, sys, tempfile, termios, time

STRESSED = bool(os.environ.get("VYN_GC_STRESS"))
LIMIT = 600 if STRESSED else 120
COLS, ROWS = 60, 16
KEYS = {"TAB": "\t", "ENTER": "\r", "ESC": "\x1b", "UP": "\x1b[A", "DOWN": "\x1b[B",
        "RIGHT": "\x1b[C", "LEFT": "\x1b[D", "BACKSPACE": "\x7f"}


class Example:
    def __init__(self, kind, line, code):
        self.kind, self.line, self.code = kind, line, code
        self.expected = ""   # the output block, or the final screen of a text-UI example
        self.screen = None   # the screen of a text-UI example between its two runs of keys
        self.keys = None     # (first keys, keys after the screen) of a text-UI example


def fences(text):
    """Yields (info, first line number, body, comment just before the fence) for each fence."""
    lines = text.split("\n")
    i, comment = 0, None
    while i < len(lines):
        line = lines[i]
        m = re.match(r"^```(\S*)\s*$", line)
        if m and m.group(1):
            start = i + 1
            i += 1
            while i < len(lines) and lines[i] != "```":
                i += 1
            yield m.group(1), start + 1, "\n".join(lines[start:i]) + "\n", comment
            comment = None
        elif line.strip():
            c = re.match(r"^<!--\s*(.*?)\s*-->$", line.strip())
            comment = c.group(1) if c else None
        i += 1


def parse(text):
    examples, last = [], None
    for info, line, body, comment in fences(text):
        if info == "vyn":
            last = Example("script", line, body)
            if comment and comment.startswith("tui keys:"):
                first, _, then = comment[len("tui keys:"):].partition(" then ")
                last.kind, last.keys = "tui", (keys(first), keys(then))
            examples.append(last)
        elif info == "console":
            examples.append(Example("console", line, body))
            last = None
        elif info == "screen" and last and last.kind == "tui" and last.screen is None:
            last.screen = body
        elif info == "text" and last:
            last.expected = body
            last = None
        else:
            last = None
    return examples


def keys(spec):
    return re.sub(r"<([A-Z]+)>", lambda m: KEYS[m.group(1)], spec.strip())


def localize(code, port):
    return code.replace("localhost:8000", "127.0.0.1:%d" % port)


def script_text(code):
    return code if code.startswith("Vyn [") else "Vyn []\n" + code


def run_script(vyn, ex, folder, env, port):
    path = os.path.join(folder, "example.vyn")
    with open(path, "w") as f:
        f.write(script_text(localize(ex.code, port)))
    r = subprocess.run([vyn, "example.vyn"], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=LIMIT)
    return compare(ex.expected, r.stdout.decode("utf-8", "replace"), "output")


def run_console(vyn, ex, folder, env, port):
    typed = [l[3:] for l in ex.code.split("\n") if l.startswith(">> ")]
    answers = "".join(l + "\n" for l in ex.code.split("\n")[:-1] if not l.startswith(">> "))
    typed = "".join(localize(t, port) + "\n" for t in typed)
    r = subprocess.run([vyn], cwd=folder, env=env, input=typed.encode(), capture_output=True,
                       timeout=LIMIT)
    got = r.stdout.decode("utf-8", "replace").split("\n", 3)
    return compare(answers, got[3] if len(got) > 3 else "", "console answers")


class Screen:
    """Just enough of a terminal for what the text UI writes: text, CR, LF, BS, cursor moves and
    positions, erases; colours and modes are read and dropped."""

    def __init__(self):
        self.rows = [[" "] * COLS for _ in range(ROWS)]
        self.r = self.c = 0
        self.pending = b""

    def feed(self, data, reply):
        data = self.pending + data
        self.pending = b""
        text = data.decode("utf-8", "ignore")
        i = 0
        while i < len(text):
            ch = text[i]
            if ch == "\x1b":
                m = re.match(r"\x1b(\[[?>]?[0-9;]*[ -/]*[@-~]|\][^\x07]*\x07|[()][0-9A-Za-z]|.)",
                             text[i:], re.S)
                if not m or (m.group(0).startswith("\x1b]") and "\x07" not in m.group(0)):
                    self.pending = text[i:].encode()
                    return
                self.escape(m.group(0), reply)
                i += len(m.group(0))
                continue
            self.put(ch)
            i += 1

    def put(self, ch):
        if ch == "\r":
            self.c = 0
        elif ch == "\n":
            self.line_feed()
        elif ch == "\b":
            self.c = max(0, self.c - 1)
        elif ch >= " ":
            if self.c >= COLS:
                self.c = 0
                self.line_feed()
            self.rows[self.r][self.c] = ch
            self.c += 1

    def line_feed(self):
        if self.r == ROWS - 1:
            self.rows = self.rows[1:] + [[" "] * COLS]
        else:
            self.r += 1

    def escape(self, seq, reply):
        m = re.match(r"\x1b\[([?>]?)([0-9;]*)([@-~])$", seq)
        if not m:
            return
        private, args, final = m.groups()
        nums = [int(a) if a else 0 for a in args.split(";")] if args else []
        n = nums[0] if nums and nums[0] else 1
        if private:
            return
        if final == "A":
            self.r = max(0, self.r - n)
        elif final == "B":
            self.r = min(ROWS - 1, self.r + n)
        elif final == "C":
            self.c = min(COLS - 1, self.c + n)
        elif final == "D":
            self.c = max(0, self.c - n)
        elif final in "Hf":
            self.r = min(ROWS, max(1, nums[0] if nums else 1)) - 1
            self.c = min(COLS, max(1, nums[1] if len(nums) > 1 else 1)) - 1
        elif final == "G":
            self.c = min(COLS, n) - 1
        elif final == "J":
            self.erase_screen(nums[0] if nums else 0)
        elif final == "K":
            self.erase_line(nums[0] if nums else 0)
        elif final == "n" and nums == [6]:
            reply(b"\x1b[%d;%dR" % (self.r + 1, self.c + 1))

    def erase_line(self, kind):
        row = self.rows[self.r]
        span = {0: range(self.c, COLS), 1: range(0, self.c + 1)}.get(kind, range(COLS))
        for k in span:
            if k < COLS:
                row[k] = " "

    def erase_screen(self, kind):
        self.erase_line(kind)
        span = {0: range(self.r + 1, ROWS), 1: range(0, self.r)}.get(kind, range(ROWS))
        for k in span:
            self.rows[k] = [" "] * COLS

    def text(self):
        lines = ["".join(r).rstrip() for r in self.rows]
        while lines and not lines[-1]:
            lines.pop()
        return "".join(l + "\n" for l in lines)


def run_tui(vyn, ex, folder, env, port):
    path = os.path.join(folder, "example.vyn")
    with open(path, "w") as f:
        f.write(script_text(localize(ex.code, port)))
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLS, 0, 0))
    proc = subprocess.Popen([vyn, "example.vyn"], cwd=folder, env=env, stdin=slave, stdout=slave,
                            stderr=slave, start_new_session=True)
    os.close(slave)
    screen = Screen()
    reply = lambda b: os.write(master, b)

    def pump_until(done, limit):
        end = time.time() + limit
        while time.time() < end:
            if done():
                return True
            ready, _, _ = select.select([master], [], [], 0.05)
            if ready:
                try:
                    data = os.read(master, 65536)
                except OSError:
                    data = b""
                if not data:
                    return done()
                screen.feed(data, reply)
        return done()

    try:
        # the first keys wait for a window: some text on screen and a moment without output
        pump_until(lambda: screen.text().strip() != "", LIMIT)
        pump_until(lambda: False, 1.0)
        os.write(master, ex.keys[0].encode())
        if not pump_until(lambda: screen.text() == ex.screen, LIMIT / 2):
            return compare(ex.screen, screen.text(), "screen after " + repr(ex.keys[0]))
        os.write(master, ex.keys[1].encode())
        pump_until(lambda: proc.poll() is not None, LIMIT / 2)
        pump_until(lambda: False, 0.2)
        return compare(ex.expected, screen.text(), "screen at the end")
    finally:
        if proc.poll() is None:
            proc.kill()
        proc.wait()
        os.close(master)


def compare(expected, got, what):
    expected, got = trimmed(expected), trimmed(got)
    if expected == got:
        return None
    diff = difflib.unified_diff(expected.splitlines(True), got.splitlines(True), "guide", "got")
    return what + " differs:\n" + "".join(diff)


def trimmed(text):
    return "".join(line.rstrip() + "\n" for line in text.splitlines())


def run(vyn, ex, port):
    folder = tempfile.mkdtemp(prefix="vyn-guide-")
    try:
        home = os.path.join(folder, "home")
        os.mkdir(home)
        work = os.path.join(folder, "work")
        os.mkdir(work)
        env = dict(os.environ, HOME=home, TERM="xterm", COLORTERM="")
        runner = {"script": run_script, "console": run_console, "tui": run_tui}[ex.kind]
        return runner(vyn, ex, work, env, port)
    except subprocess.TimeoutExpired:
        return "timed out"
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    vyn, guides = os.path.abspath(sys.argv[1]), sys.argv[2:]
    spec = importlib.util.spec_from_file_location(
        "guide_server", os.path.join(os.path.dirname(os.path.abspath(__file__)), "guide-server.py"))
    server_module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(server_module)
    server = server_module.start()
    port = server.server_address[1]
    examples = []
    for guide in guides:
        with open(guide, encoding="utf-8") as f:
            for ex in parse(f.read()):
                ex.file = guide
                examples.append(ex)
    with concurrent.futures.ThreadPoolExecutor(3) as pool:
        results = list(pool.map(lambda ex: run(vyn, ex, port), examples))
    failed = 0
    for ex, problem in zip(examples, results):
        if problem:
            failed += 1
            print("%s:%d: %s example: %s" % (ex.file, ex.line, ex.kind, problem))
    print("%d examples, %d failed" % (len(examples), failed))
    server.shutdown()
    sys.exit(1 if failed or not examples else 0)


if __name__ == "__main__":
    main()
