#!/usr/bin/env python3
# A small HTTP server on 127.0.0.1 for the http script tests. It prints three port numbers and
# returns at once: the server's, one that was bound and closed (nothing listens there), and an
# HTTPS server's whose certificate is self-signed. The servers run in a detached child that stops
# on GET /quit or after 60 seconds.
import http.server, os, socket, ssl, sys, threading

class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, body, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def echo(self):
        length = int(self.headers.get("Content-Length") or 0)
        data = self.rfile.read(length) if length else b""
        lines = [self.command + " " + self.path]
        # every header sent but those the protocol itself needs
        for name, value in self.headers.items():
            if name.lower() not in ("host", "content-length"):
                lines.append(name + ": " + value)
        lines.append("body: " + data.decode("utf-8", "replace"))
        self.answer(200, ("\n".join(lines) + "\n").encode())

    def do_GET(self):
        if self.path == "/quit":
            self.answer(200, b"bye")
            threading.Thread(target=self.server.shutdown).start()
        elif self.path == "/text":
            self.answer(200, "line one\r\nline two\nl\u00e9 three\n".encode())
        elif self.path == "/bytes":
            self.answer(200, bytes([0, 1, 2, 255]), [("Content-Type", "application/octet-stream")])
        elif self.path == "/cookies":
            self.answer(200, b"ok", [("Set-Cookie", "a=1"), ("Set-Cookie", "b=2"), ("X-One", "single")])
        elif self.path == "/moved":
            self.answer(302, b"", [("Location", "/text")])
        elif self.path == "/big":
            self.answer(200, b"".join(b"%05d%s\n" % (i, b"x" * 64) for i in range(285)) + b"end")
        elif self.path == "/count":
            self.server.hits += 1
            self.answer(200, ("%d + 40" % self.server.hits).encode())
        elif self.path == "/script":
            self.answer(200, b'#!shebang\nVyn [Title: "remote"]\nprint system/script/header/title\n6 * 7\n')
        elif self.path == "/typed":
            self.answer(200, b"raw ]", [("Content-Type", "text/fake; charset=utf-8")])
        elif self.path == "/missing":
            self.answer(404, b"not here")
        elif self.path.startswith("/big/"):
            self.big(int(self.path[5:]))
        else:
            self.echo()

    # A body of n megabytes of zero bytes, sent a megabyte at a time.
    def big(self, n):
        self.send_response(200)
        self.send_header("Content-Length", str(n << 20))
        self.end_headers()
        chunk = bytes(1 << 20)
        try:
            for _ in range(n):
                self.wfile.write(chunk)
        except OSError:
            pass

    do_POST = do_PUT = do_DELETE = do_PATCH = echo

    def do_HEAD(self):
        self.answer(200, b"twelve bytes", [("X-Head", "yes")])

def closed_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port

server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
server.hits = 0
# HTTPS with a self-signed certificate, which no client trusts
tls = http.server.HTTPServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(os.path.join(os.path.dirname(os.path.abspath(__file__)), "self_signed.pem"))
tls.socket = context.wrap_socket(tls.socket, server_side=True)
print(server.server_address[1], closed_port(), tls.server_address[1], flush=True)
if os.fork() == 0:
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    threading.Timer(60, server.shutdown).start()
    threading.Thread(target=tls.serve_forever, daemon=True).start()
    server.serve_forever()
    os._exit(0)
os._exit(0)
