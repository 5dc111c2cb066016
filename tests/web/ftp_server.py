"""FTP server on 127.0.0.1 for the tests (pyftpdlib): one user over a root folder.

Usage: ftp_server.py ROOT USER PASSWORD [drop-on-retr]
Prints the port on the first line once it listens. With "drop-on-retr" the server closes the control
connection when a download is asked for (a server that drops the connection).
"""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class DroppingHandler(FTPHandler):
    def ftp_RETR(self, file):
        self.close()


def main():
    root, user, password = sys.argv[1:4]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = DroppingHandler if "drop-on-retr" in sys.argv[4:] else FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = None
    handler.banner = "test server ready"
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
