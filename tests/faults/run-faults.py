#!/usr/bin/env python3
"""Faults of the machine inside the runtime: each ends the process with the runtime error report
on standard output, after what the script printed, and with the fault's code as the exit status.
On a terminal the terminal gets its mode and title back first. Only for builds without sanitizers,
whose own fault handler would take the fault. Usage: run-faults.py VYN"""
import os, pty, re, resource, select, subprocess, sys, termios, time

vyn = os.path.abspath(sys.argv[1])
here = os.path.dirname(os.path.abspath(__file__))
env = dict(os.environ, VYN_TEST_FAULTS="1")
failures = []

def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + detail))
    if not ok:
        failures.append(name)

def report(code, message):
    return r"\n\*\*\* Runtime Error %d: %s\n\*\*\* at: [0-9A-F]{8,}h\n" % (code, re.escape(message))

# name, code, message
cases = [
    ("access-violation", 1, "access violation"),
    ("misaligned", 2, "misaligned data access"),
    ("float-divide", 7, "float divide by zero"),
    ("integer-divide", 13, "integer divide by zero"),
    ("bus-error", 16, "bus error"),
    ("illegal-instruction", 17, "illegal instruction"),
    ("stack-overflow", 19, "stack overflow"),
]

# Standard output a pipe: the C library holds the printed text in its buffer when the fault comes.
for name, code, message in cases:
    r = subprocess.run([vyn, "raise.vyn", name], cwd=here, env=env, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=60)
    out = r.stdout.decode("utf-8", "replace")
    pattern = "printed before; the fault\n" + report(code, message)
    check("pipe/" + name, r.returncode == code and re.fullmatch(pattern, out) is not None,
          "status %d, output %r" % (r.returncode, out))

# Without the variable the trigger does not exist.
r = subprocess.run([vyn, "raise.vyn", "access-violation"], cwd=here, stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=60,
                   env={k: v for k, v in os.environ.items() if k != "VYN_TEST_FAULTS"})
check("hidden", r.returncode != 1 and b"Runtime Error" not in r.stdout, repr(r.stdout))

# Out of memory while starting: code 94 on standard output.
def small_address_space():
    resource.setrlimit(resource.RLIMIT_AS, (20000 * 1024, 20000 * 1024))
r = subprocess.run([vyn, "raise.vyn", "x"], cwd=here, stdin=subprocess.DEVNULL, capture_output=True,
                   timeout=60, preexec_fn=small_address_space)
check("out-of-memory", r.returncode == 94 and
      re.fullmatch(report(94, "out of memory"), r.stdout.decode()) is not None,
      "status %d, output %r, errors %r" % (r.returncode, r.stdout, r.stderr[:200]))

# On a terminal, under a text UI that took it (raw mode, hidden cursor, mouse reporting): the
# fault comes from a timer's actor while the event loop runs.
def on_terminal(script):
    pid, master = pty.fork()
    if pid == 0:
        os.chdir(here)
        os.execve(vyn, [vyn, script], env)
    shown, deadline = b"", time.time() + 30
    while time.time() < deadline:
        ready, _, _ = select.select([master], [], [], 0.05)
        if not ready:
            continue
        try:
            chunk = os.read(master, 4096)
        except OSError:
            break
        if not chunk:
            break
        shown += chunk
    lflag = termios.tcgetattr(master)[3]
    _, status = os.waitpid(pid, 0)
    os.close(master)
    return shown.decode("utf-8", "replace"), os.waitstatus_to_exitcode(status), lflag

shown, status, lflag = on_terminal("tui-fault.vyn")
after_title = shown.find("\x1b]0;Vyn Console\x07")
back = shown.find("\x1b[23t")
check("terminal/status", status == 1, "status %d" % status)
check("terminal/title", shown.startswith("\x1b[22t") and 0 < after_title < back, repr(shown[:80]))
mouse_on = shown.find("\x1b[?1000h")
check("terminal/screen", 0 < mouse_on < shown.find("\x1b[?1000l", mouse_on), repr(shown[-200:]))
check("terminal/mode", bool(lflag & termios.ICANON) and bool(lflag & termios.ECHO), hex(lflag))
check("terminal/report", re.search(report(1, "access violation").replace(r"\n", r"\r?\n") + "$",
                                   shown) is not None, repr(shown[-120:]))

# A script run that ends normally leaves the terminal's title as it found it too.
shown, status, _ = on_terminal("title-run.vyn")
check("terminal/normal-end", status == 0 and shown == "\x1b[22t\x1b]0;Vyn Console\x07hi\r\n\x1b[23t",
      "status %d, shown %r" % (status, shown))

sys.exit(1 if failures else 0)
