#!/usr/bin/env python3
"""The update service and its downloads for the update test, over HTTPS on 127.0.0.1.

Usage: https_server.py <work dir>
Reads cert.pem and key.pem from the work dir and the marker program as signed.exe (signed),
unsigned.exe, changed.exe (signed, then a byte changed) and truncated.exe (signed, then its
end cut off) from its "installers" folder; writes the port it listens on to "port" there and
one line per request (its path) to "requests.log".

  /downloads-api.php?id=55  a newer version, its installer at /files/
  /downloads-api.php?id=56  an older version
  /downloads-api.php?id=57  404
  /downloads-api.php?id=58  a newer version whose installer has a plain http address
  /downloads-api.php?id=59  a newer version whose download is cut in the middle
  /downloads-api.php?id=60  a newer version whose installer is /unsigned/
  /downloads-api.php?id=61  a newer version whose installer is /changed/
  /downloads-api.php?id=62  a newer version whose installer is /truncated/
  /files/<name>             the signed marker program
  /unsigned/, /changed/, /truncated/<name>  the other forms of it
  /cut/<name>               the signed marker's length announced, half of it sent, then closed
  /slow/<name>              100 bytes announced, one sent every four seconds
"""
import http.server
import os
import ssl
import sys
import time
import urllib.parse

work = sys.argv[1]
installers = {}
for form in ("signed", "unsigned", "changed", "truncated"):
    with open(os.path.join(work, "installers", form + ".exe"), "rb") as f:
        installers[form] = f.read()
marker = installers["signed"]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        with open(os.path.join(work, "requests.log"), "a") as log:
            log.write(self.path + "\n")
        url = urllib.parse.urlsplit(self.path)
        base = "https://localhost:%d" % self.server.server_address[1]
        if url.path == "/downloads-api.php":
            product = urllib.parse.parse_qs(url.query).get("id", [""])[0]
            notes = "releasenotes=Faster start<br />Fewer clicks\r\n"
            if product == "55":
                body = "version=99.0\r\nuri=%s/files/tvqm_update_marker.exe\r\n%s" % (base, notes)
            elif product == "56":
                body = "version=0.1\r\nuri=%s/files/tvqm_update_marker.exe\r\n" % base
            elif product == "58":
                body = "version=99.0\r\nuri=http://localhost:%d/files/tvqm_update_marker.exe\r\n%s" % (
                    self.server.server_address[1], notes)
            elif product == "59":
                body = "version=99.0\r\nuri=%s/cut/tvqm_update_cut.exe\r\n%s" % (base, notes)
            elif product in ("60", "61", "62"):
                form = {"60": "unsigned", "61": "changed", "62": "truncated"}[product]
                body = "version=99.0\r\nuri=%s/%s/tvqm_update_%s.exe\r\n%s" % (base, form, form, notes)
            else:
                self.reply(404, b"<html><body>Not here</body></html>", "text/html")
                return
            self.reply(200, body.encode())
        elif url.path.startswith("/files/"):
            self.reply(200, marker, "application/octet-stream")
        elif url.path.split("/")[1] in ("unsigned", "changed", "truncated"):
            self.reply(200, installers[url.path.split("/")[1]], "application/octet-stream")
        elif url.path.startswith("/slow/"):
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", "100")
            self.end_headers()
            try:
                for _ in range(100):
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    time.sleep(4)
            except OSError:
                pass
            self.close_connection = True
        elif url.path.startswith("/cut/"):
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(marker)))
            self.end_headers()
            self.wfile.write(marker[: len(marker) // 2])
            self.wfile.flush()
            self.close_connection = True
        else:
            self.reply(404, b"Not here", "text/html")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.minimum_version = ssl.TLSVersion.TLSv1_2
context.load_cert_chain(os.path.join(work, "cert.pem"), os.path.join(work, "key.pem"))
server.socket = context.wrap_socket(server.socket, server_side=True)
with open(os.path.join(work, "port.tmp"), "w") as f:
    f.write(str(server.server_address[1]))
os.replace(os.path.join(work, "port.tmp"), os.path.join(work, "port"))
server.serve_forever()
