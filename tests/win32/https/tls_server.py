"""A loopback HTTPS server for the tests: answers every request with the page file, as HTTP/1.1
with a Content-Length, and closes. Prints its port once it listens; runs until it is killed.
    tls_server.py CERT KEY PAGE
"""
import socket
import ssl
import sys

cert, key, page = sys.argv[1:4]
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
listener = socket.create_server(("127.0.0.1", 0))
listener.settimeout(1)
print(listener.getsockname()[1], flush=True)
while True:
    try:
        raw, _ = listener.accept()
    except (socket.timeout, OSError):
        continue
    raw.settimeout(10)
    try:
        with context.wrap_socket(raw, server_side=True) as conn:
            request = b""
            while b"\r\n\r\n" not in request and len(request) < 65536:
                chunk = conn.recv(4096)
                if not chunk:
                    break
                request += chunk
            with open(page, "rb") as f:
                body = f.read()
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n"
                         b"Connection: close\r\n\r\n" % len(body) + body)
    except (ssl.SSLError, OSError):
        pass  # a refused certificate ends the handshake; the next client is served all the same
