"""FTP server on 127.0.0.1 for the tests (pyftpdlib): one user over a root folder.

Usage: ftp_server.py ROOT USER PASSWORD [OPTION...]
Prints the port on the first line once it listens. Options:
  drop-on-retr       the server closes the control connection when a download is asked for (a server
                     that drops the connection)
  tls                explicit TLS (AUTH TLS) with a fresh self-signed certificate; the second line printed
                     is the pin of its key, "sha256//<base64 of SHA-256 of the DER SubjectPublicKeyInfo>"
  tls-required       with tls: the server refuses to log in over a plain control connection and to
                     transfer over a plain data connection
  no-replace-rename  RNTO onto an existing file is refused (as some servers do)
  disk-full          every upload is refused with "552 Exceeded storage allocation" (a full disk or quota)
  cut-stor=N         the N-th upload of the server's life is cut: once its first data has come, the
                     server keeps only a part of it (at most 100 bytes) and closes the connection
  log=PATH           every command received is appended to PATH as "COMMAND ARGUMENT<TAB>tls|plain"
                     (the password replaced by "***")
Without tls the server answers AUTH with "500 not understood", as a server without TLS does.
"""
import base64
import datetime
import hashlib
import os
import sys
import tempfile

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def self_signed(folder):
    """Writes a self-signed certificate and its key into folder; their paths and the key's pin."""
    from cryptography import x509
    from cryptography.hazmat.primitives import hashes, serialization
    from cryptography.hazmat.primitives.asymmetric import ec
    from cryptography.x509.oid import NameOID

    key = ec.generate_private_key(ec.SECP256R1())
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "127.0.0.1")])
    now = datetime.datetime.utcnow()
    cert = (x509.CertificateBuilder().subject_name(name).issuer_name(name).public_key(key.public_key())
            .serial_number(x509.random_serial_number()).not_valid_before(now - datetime.timedelta(days=1))
            .not_valid_after(now + datetime.timedelta(days=2)).sign(key, hashes.SHA256()))
    cert_path = os.path.join(folder, "cert.pem")
    key_path = os.path.join(folder, "key.pem")
    with open(cert_path, "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    with open(key_path, "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))
    spki = key.public_key().public_bytes(serialization.Encoding.DER,
                                         serialization.PublicFormat.SubjectPublicKeyInfo)
    pin = "sha256//" + base64.b64encode(hashlib.sha256(spki).digest()).decode()
    return cert_path, key_path, pin


def handler_class(options):
    if "tls" in options:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class DataHandler(TLS_DTPHandler):
            # libcurl starts TLS on a data connection as soon as it is open, before the transfer command;
            # pyftpdlib 1.5 takes data before that command for a lost connection and closes it.
            def readable(self):
                return self._ssl_accepting or super().readable()

        class TlsHandler(TLS_FTPHandler):
            dtp_handler = DataHandler

        base = TlsHandler
    else:
        base = FTPHandler
    log = next((o[4:] for o in options if o.startswith("log=")), None)
    cut = next((int(o[9:]) for o in options if o.startswith("cut-stor=")), 0)
    uploads = [0]

    class CuttingDataHandler(base.dtp_handler):
        def handle_read_event(self):
            super().handle_read_event()
            control = self.cmd_channel
            if getattr(control, "cut_upload", False) and self.tot_bytes_received > 0 and self.file_obj:
                control.cut_upload = False
                self.file_obj.flush()
                self.file_obj.truncate(min(self.tot_bytes_received // 2, 100))
                control.close()

    class Handler(base):
        dtp_handler = CuttingDataHandler if cut else base.dtp_handler

        def ftp_STOR(self, file, mode="w"):
            if "disk-full" in options:
                self.respond("552 Exceeded storage allocation.")
                return None
            uploads[0] += 1
            self.cut_upload = uploads[0] == cut
            return super().ftp_STOR(file, mode)

        def pre_process_command(self, line, cmd, arg):
            if log:
                shown = "***" if cmd == "PASS" else (arg or "")
                secured = "tls" if getattr(self, "_ssl_established", False) else "plain"
                with open(log, "a", encoding="utf-8") as f:
                    f.write("%s %s\t%s\n" % (cmd, shown, secured))
            return super().pre_process_command(line, cmd, arg)

        def ftp_RETR(self, file):
            if "drop-on-retr" in options:
                self.close()
                return None
            return super().ftp_RETR(file)


        def ftp_RNTO(self, path):
            if "no-replace-rename" in options and self._rnfr and self.fs.lexists(path):
                self._rnfr = None
                self.respond("550 File exists.")
                return None
            return super().ftp_RNTO(path)

    return Handler


def main():
    root, user, password = sys.argv[1:4]
    options = sys.argv[4:]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = handler_class(options)
    pin = None
    if "tls" in options:
        handler.certfile, handler.keyfile, pin = self_signed(tempfile.mkdtemp(prefix="orbelis-ftp-"))
        handler.tls_control_required = "tls-required" in options
        # Clients resume the control connection's TLS session on the data connections; OpenSSL refuses
        # that unless the context names its sessions.
        handler.get_ssl_context().set_session_id(b"orbelis-test")
        handler.tls_data_required = "tls-required" in options
    handler.authorizer = authorizer
    handler.passive_ports = None
    handler.banner = "test server ready"
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    if pin:
        print(pin, flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
