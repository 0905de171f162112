#!/usr/bin/python3
"""A real SMTP server on loopback for the mail tests (aiosmtpd), or a deliberately broken one.

Binds 127.0.0.1 on a port the system chooses and prints "PORT <n>" once it listens. Every accepted
message is written to DIR as <n>.eml (the data exactly as received, dot-unstuffed) and <n>.env (the
session: greeting, authentication, TLS, envelope). Modes other than "smtp" are raw servers:
mute (never answers), garbage (answers nonsense), close (greets, then hangs up after the first command),
split (a correct dialogue whose replies come in pieces and several lines).
"""
import argparse
import asyncio
import itertools
import logging
import os
import ssl
import warnings

parser = argparse.ArgumentParser()
parser.add_argument("--dir", required=True)
parser.add_argument("--mode", default="smtp", choices=["smtp", "mute", "garbage", "close", "split"])
parser.add_argument("--auth", help="USER:PASSWORD that AUTH LOGIN accepts")
parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"), help="offer STARTTLS with this certificate")
parser.add_argument("--reject", action="append", default=[], help="answer 550 to RCPT of this address")
args = parser.parse_args()
# Sessions a test ends on purpose (a refused certificate) are not news.
logging.getLogger("mail.log").setLevel(logging.CRITICAL)
warnings.simplefilter("ignore", DeprecationWarning)
counter = itertools.count(1)


def store(envelope_lines, data):
    n = next(counter)
    with open(os.path.join(args.dir, f"{n}.eml.part"), "wb") as f:
        f.write(data)
    with open(os.path.join(args.dir, f"{n}.env"), "w") as f:
        f.write("\n".join(envelope_lines) + "\n")
    os.rename(os.path.join(args.dir, f"{n}.eml.part"), os.path.join(args.dir, f"{n}.eml"))


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in args.reject:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        lines = [("EHLO " if session.extended_smtp else "HELO ") + str(session.host_name)]
        if session.authenticated:
            lines.append("AUTH " + session.auth_data.login.decode())
        if session.ssl is not None:
            lines.append("TLS")
        lines.append("MAIL FROM:<" + envelope.mail_from + ">")
        lines += ["RCPT TO:<" + r + ">" for r in envelope.rcpt_tos]
        store(lines, envelope.original_content)
        return "250 Message accepted for delivery"


def authenticator(server, session, envelope, mechanism, auth_data):
    from aiosmtpd.smtp import AuthResult
    user, _, password = args.auth.partition(":")
    ok = auth_data.login == user.encode() and auth_data.password == password.encode()
    return AuthResult(success=ok, handled=False, auth_data=auth_data)


async def raw(reader, writer):
    async def say(*pieces):
        for piece in pieces:
            writer.write(piece)
            await writer.drain()
            await asyncio.sleep(0.02)  # lets each piece travel as a chunk of its own

    try:
        if args.mode == "mute":
            while await reader.readline():
                pass
            return
        if args.mode == "garbage":
            await say(b"hello there\r\n")
            while await reader.readline():
                await say(b"what?\r\n")
            return
        if args.mode == "close":
            await say(b"220 ready\r\n")
            await reader.readline()
            return
        # split
        await say(b"2", b"20 split.test ready\r\n")
        data = None
        envelope = []
        while True:
            line = await reader.readline()
            if not line:
                return
            if data is not None:
                if line == b".\r\n":
                    store(envelope, b"".join(data))
                    data = None
                    await say(b"25", b"0 queued\r\n")
                else:
                    data.append(line[1:] if line.startswith(b".") else line)
                continue
            verb = line[:4].upper()
            if verb in (b"HELO", b"EHLO"):
                envelope = [line.decode().strip()]
                await say(b"250-split.test\r\n", b"250-8BITMIME\r\n250 HELP\r\n")
            elif verb in (b"MAIL", b"RCPT"):
                envelope.append(line.decode().strip())
                await say(b"250 ok\r\n")
            elif verb == b"DATA":
                data = []
                await say(b"354 go ahead\r\n")
            elif verb == b"QUIT":
                await say(b"221 bye\r\n")
                return
            else:
                await say(b"500 what\r\n")
    finally:
        writer.close()


async def main():
    loop = asyncio.get_running_loop()
    if args.mode == "smtp":
        from aiosmtpd.smtp import SMTP
        kwargs = {}
        if args.tls:
            context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            context.load_cert_chain(args.tls[0], args.tls[1])
            kwargs["tls_context"] = context
        if args.auth:
            kwargs["authenticator"] = authenticator
            kwargs["auth_require_tls"] = bool(args.tls)
        server = await loop.create_server(
            lambda: SMTP(Handler(), hostname="mail.test", ident="test smtpd", **kwargs), "127.0.0.1", 0)
    else:
        server = await asyncio.start_server(raw, "127.0.0.1", 0)
    print("PORT", server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


asyncio.run(main())
