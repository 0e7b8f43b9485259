#!/usr/bin/env python3
# The small HTTP server that the guide's web examples talk to. Run it by hand to try them
# (python3 tools/guide-server.py 8000); tools/check-guide.py starts it on a free loopback port.
import http.server, json, sys, threading

PEOPLE = [{"name": "Ada", "born": 1815}, {"name": "Alan", "born": 1912}]


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, body, kind="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == "/hello.txt":
            self.answer(200, b"Hello from the server!\n")
        elif self.path == "/people.json":
            self.answer(200, json.dumps(PEOPLE).encode(), "application/json")
        else:
            self.answer(404, b"not found\n")

    # POST /echo answers with the method, the content type and the body it received
    def do_POST(self):
        data = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        kind = self.headers.get("Content-Type", "none")
        self.answer(200, b"got %d bytes of %s: %s" % (len(data), kind.encode(), data))


def start(port=0):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == "__main__":
    server = start(int(sys.argv[1]) if len(sys.argv) > 1 else 8000)
    print("serving on http://127.0.0.1:%d" % server.server_address[1])
    threading.Event().wait()
