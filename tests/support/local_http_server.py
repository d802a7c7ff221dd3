#!/usr/bin/env python3
"""Test HTTP server: serves a folder on 127.0.0.1 and prints "PORT <n>" once it listens.

Usage: local_http_server.py ROOT [CERTIFICATE [NEWEST_TLS]]

With CERTIFICATE (a PEM file holding the certificate chain and its key) it speaks HTTPS; with
NEWEST_TLS (a name of ssl.TLSVersion, e.g. TLSv1_1) no newer protocol than that.
"""
import gzip
import http.server
import os
import ssl
import sys
import time
import zlib


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def send_body(self, code, body, headers=()):
        self.send_response(code)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def read_file(self, name):
        path = os.path.join(self.server.root, name)
        with open(path, "rb") as f:
            return f.read()

    def do_GET(self):
        parts = self.path.split("/", 3)
        kind = parts[1] if len(parts) > 1 else ""
        if kind == "status":
            code = int(parts[2])
            self.send_body(code, ("status %d" % code).encode())
        elif kind == "redirect":
            count = int(parts[2])
            rest = parts[3] if len(parts) > 3 else ""
            target = "/" + rest if count <= 1 else "/redirect/%d/%s" % (count - 1, rest)
            self.send_body(302, b"moved", [("Location", target)])
        elif kind == "to":
            self.send_body(302, b"moved", [("Location", self.path[len("/to/"):])])
        elif kind == "chunked":
            body = self.read_file(self.path[len("/chunked/"):])
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for at in range(0, len(body), 1000):
                piece = body[at:at + 1000]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        elif kind == "close":
            body = self.read_file(self.path[len("/close/"):])
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
        elif kind == "bytes":
            self.send_big(int(parts[2]))
        elif kind == "delay":
            # /delay/<ms>/<path>: the answer to /<path>, after ms milliseconds
            time.sleep(int(parts[2]) / 1000.0)
            self.path = "/" + (parts[3] if len(parts) > 3 else "")
            self.do_GET()
        elif kind == "etag":
            self.send_validated(self.path[len("/etag/"):])
        elif kind == "gzip":
            self.send_compressed(self.path[len("/gzip/"):])
        elif kind == "garbage":
            self.wfile.write(b"this is no HTTP reply\r\n\r\n")
            self.close_connection = True
        elif kind == "echo":
            head = self.requestline + "\r\n" + str(self.headers)
            self.send_body(200, head.encode())
        else:
            super().do_GET()

    def send_validated(self, name):
        # The file with an ETag and a Last-Modified from its content and time; 304 when the
        # request's If-None-Match names that ETag, or (without one) its If-Modified-Since
        # equals the time.
        body = self.read_file(name)
        etag = '"%08x"' % zlib.crc32(body)
        modified = self.date_time_string(int(os.path.getmtime(os.path.join(self.server.root, name))))
        validators = [("ETag", etag), ("Last-Modified", modified)]
        match = self.headers.get("If-None-Match")
        since = self.headers.get("If-Modified-Since")
        if (match is not None and etag in match) or (match is None and since == modified):
            self.send_response(304)
            for header, value in validators:
                self.send_header(header, value)
            self.end_headers()
        else:
            self.send_body(200, body, validators)

    def send_compressed(self, name):
        # gzip only to a client that asks for it, as a server does.
        body = self.read_file(name)
        if "gzip" in self.headers.get("Accept-Encoding", ""):
            self.send_body(200, gzip.compress(body), [("Content-Encoding", "gzip")])
        else:
            self.send_body(200, body)

    def send_big(self, count):
        self.send_response(200)
        self.send_header("Content-Length", str(count))
        self.end_headers()
        piece = b"x" * 65536
        while count > 0:
            self.wfile.write(piece[:count])
            count -= len(piece)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.root = sys.argv[1]
    if len(sys.argv) > 2:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2])
        if len(sys.argv) > 3:
            context.minimum_version = ssl.TLSVersion.MINIMUM_SUPPORTED
            context.maximum_version = ssl.TLSVersion[sys.argv[3]]
            context.set_ciphers("DEFAULT:@SECLEVEL=0")
        server.socket = context.wrap_socket(server.socket, server_side=True)
    os.chdir(server.root)
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
