#!/usr/bin/python3
"""A mail server for the tests of the program's mail sending, on a loopback port.

It listens on 127.0.0.1 (a free port), prints "PORT <n>" once it accepts connections and keeps
every message it receives in the store folder: NNN.eml (the bytes as received), NNN.json (sender,
recipients, whether TLS and authentication were used, and the message as the standard library's
mail parser reads it: subject, body, attachments with their content types) and NNN.<i> files
holding each attachment decoded, to be compared byte for byte.

Modes: plain (no TLS), starttls (TLS offered and required after the greeting), tls (TLS from the
first byte), nostarttls (TLS never offered). --user/--password require AUTH with that account
(LOGIN or PLAIN); --refuse names a recipient the server refuses.
"""

import argparse
import asyncio
import json
import os
import ssl
import sys
from email import policy
from email.parser import BytesParser

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Store:
    def __init__(self, folder, refused):
        self.folder = folder
        self.refused = {address.lower() for address in refused}
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 Recipient refused"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%03d" % self.count)
        raw = envelope.original_content or envelope.content
        with open(base + ".eml", "wb") as out:
            out.write(raw)
        message = BytesParser(policy=policy.default).parsebytes(raw)
        body = message.get_body(preferencelist=("plain",))
        attachments = []
        for index, part in enumerate(message.iter_attachments()):
            content = part.get_payload(decode=True) or b""
            with open("%s.%d" % (base, index), "wb") as out:
                out.write(content)
            attachments.append({
                "filename": part.get_filename(),
                "contentType": part.get_content_type(),
                "transferEncoding": part.get("Content-Transfer-Encoding", ""),
                "file": "%s.%d" % (base, index),
            })
        summary = {
            "mailFrom": envelope.mail_from,
            "recipients": envelope.rcpt_tos,
            "tls": session.ssl is not None
                   or server.transport.get_extra_info("ssl_object") is not None,
            "authenticated": bool(session.authenticated),
            "subject": str(message.get("Subject", "")),
            "from": str(message.get("From", "")),
            "to": str(message.get("To", "")),
            "multipart": message.is_multipart(),
            "body": body.get_content() if body is not None else None,
            "attachments": attachments,
        }
        with open(base + ".json", "w", encoding="utf-8") as out:
            json.dump(summary, out, ensure_ascii=False)
        return "250 Message accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", choices=["plain", "starttls", "tls", "nostarttls"], default="plain")
    parser.add_argument("--store", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--refuse", action="append", default=[])
    args = parser.parse_args()

    context = None
    if args.mode in ("starttls", "tls"):
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)

    def authenticator(server, session, envelope, mechanism, auth_data):
        good = (isinstance(auth_data, LoginPassword)
                and auth_data.login == (args.user or "").encode()
                and auth_data.password == (args.password or "").encode())
        return AuthResult(success=good)

    handler = Store(args.store, args.refuse)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def make_server():
        options = {"hostname": "rotalina-test", "auth_require_tls": False}
        if args.user:
            options["authenticator"] = authenticator
            options["auth_required"] = True
        if args.mode == "starttls":
            options["tls_context"] = context
            options["require_starttls"] = True
        return SMTP(handler, **options)

    server = loop.run_until_complete(loop.create_server(
        make_server, host="127.0.0.1", port=0, ssl=context if args.mode == "tls" else None))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    try:
        loop.run_forever()
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(main())
