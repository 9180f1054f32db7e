#!/usr/bin/env python3
"""A version-file server for the update-check test, on 127.0.0.1 only.

    version_server.py PORT_FILE LOG_FILE [LIFETIME_SECONDS]

Writes the port it got into PORT_FILE, one line per request path into
LOG_FILE, and stops by itself after LIFETIME_SECONDS (default 300).
  /v/X.Y.Z   version=X.Y.Z (a query after it is ignored) and url=http://127.0.0.1:PORT/download
  /garbage   bytes that are no version file
  /big       a valid file padded past the size limit
  /missing   404
  /hang      accepts and never answers (until the lifetime ends)
"""
import http.server
import os
import sys
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(self.server.log, "a") as log:
            log.write(self.path + "\n")
        port = self.server.server_address[1]
        path = self.path.split("?")[0]  # a query only tells requests apart in the log
        if path.startswith("/v/"):
            body = f"version={path[3:]}\r\nurl=http://127.0.0.1:{port}/download\r\n".encode()
        elif path == "/garbage":
            body = bytes(range(256)) * 4
        elif path == "/big":
            body = b"version=99.0.0\nurl=http://127.0.0.1/download\n" + b"#" * 100000
        elif path == "/hang":
            time.sleep(self.server.lifetime)
            return
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    port_file, log_file = sys.argv[1], sys.argv[2]
    lifetime = float(sys.argv[3]) if len(sys.argv) > 3 else 300
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.log, server.lifetime = log_file, lifetime
    open(log_file, "a").close()
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, port_file)
    threading.Timer(lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
