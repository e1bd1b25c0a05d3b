#!/usr/bin/python3
"""A loopback SQL Server stand-in for the tests: speaks TDS 7.4 well enough for FreeTDS and answers
every statement from an SQLite file, with the program's T-SQL functions loaded from the extension
built out of db/SqlFunctions.cpp (so both sides share one meaning of CONVERT, CHARINDEX,
LEN and CONCAT).

Only the standard library of Debian's python3. Listens on 127.0.0.1 only: the TDS port, a control
port (one JSON object per line, one JSON answer per line) and, on request, the browser's UDP port.

Control requests ({"op": ...}):
  config   db, user, password, database, text ("nvarchar" | "varchar"), collation, faults
           faults: drop {statement K, rows N}      close the link after N rows of statement K
                   error {statement K, number, message}  an ERROR token after the last row of K
                   delay {statement K, seconds S}  wait S seconds before answering K (Attention ends it)
           K counts the statements since the last config, from 1; 0 means every statement
  log      the logins and statements seen since the last config
  down     close the listener and every open link;  up  listen again on the same port
  browser  answer the browser protocol (UDP 127.0.0.1:1434) for instance NAME
  quit
"""

import argparse
import json
import os
import re
import select
import socket
import socketserver
import sqlite3
import struct
import threading
import time
from datetime import datetime

# ---------------------------------------------------------------- protocol constants

PKT_SQL_BATCH, PKT_RPC, PKT_REPLY, PKT_ATTENTION, PKT_LOGIN7, PKT_PRELOGIN = 0x01, 0x03, 0x04, 0x06, 0x10, 0x12

TOK_COLMETADATA, TOK_ROW, TOK_ERROR, TOK_INFO, TOK_LOGINACK = 0x81, 0xD1, 0xAA, 0xAB, 0xAD
TOK_ENVCHANGE, TOK_RETURNSTATUS, TOK_RETURNVALUE = 0xE3, 0x79, 0xAC
TOK_DONE, TOK_DONEPROC, TOK_DONEINPROC = 0xFD, 0xFE, 0xFF

DONE_MORE, DONE_ERROR, DONE_COUNT, DONE_ATTN = 0x01, 0x02, 0x10, 0x20

T_INTN, T_FLTN, T_DATETIMN, T_DECIMALN, T_NUMERICN = 0x26, 0x6D, 0x6F, 0x6A, 0x6C
T_NVARCHAR, T_BIGVARCHAR, T_NCHAR, T_BIGCHAR = 0xE7, 0xA7, 0xEF, 0xAF
T_BIGVARBINARY, T_BIGBINARY, T_NTEXT, T_TEXT, T_IMAGE = 0xA5, 0xAD, 0x63, 0x23, 0x22

# collation name -> (LCID, sort id, Python codec of its code page)
COLLATIONS = {
    "Chinese_PRC_CI_AS": (0x0804, 0, "gbk"),
    "Chinese_PRC_BIN": (0x0804, 0, "gbk"),
    "Chinese_Taiwan_Stroke_CI_AS": (0x0404, 0, "big5"),
    "Latin1_General_CI_AS": (0x0409, 0, "cp1252"),
    "SQL_Latin1_General_CP1_CI_AS": (0x0409, 52, "cp1252"),
}

PROC_NAMES = {1: "sp_cursor", 2: "sp_cursoropen", 3: "sp_cursorprepare", 4: "sp_cursorexecute",
              5: "sp_cursorprepexec", 6: "sp_cursorunprepare", 7: "sp_cursorfetch", 8: "sp_cursoroption",
              9: "sp_cursorclose", 10: "sp_executesql", 11: "sp_prepare", 12: "sp_execute",
              13: "sp_prepexec", 14: "sp_prepexecrpc", 15: "sp_unprepare"}


def collation_bytes(name):
    lcid, sort_id, _ = COLLATIONS.get(name, COLLATIONS["Chinese_PRC_CI_AS"])
    flags = 0 if name.endswith("_BIN") else (1 << 20) | (1 << 22) | (1 << 23)  # case, kana, width insensitive
    return struct.pack("<IB", lcid | flags, sort_id)


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def done(token, status, rows=0, cmd=0xC1):
    return struct.pack("<BHHQ", token, status, cmd, rows)


def message_token(token, number, text, severity, state=1, server="TRELLUMTDS", line=1):
    body = struct.pack("<iBB", number, state, severity) + us_varchar(text) + b_varchar(server) + b_varchar("")
    body += struct.pack("<i", line)
    return struct.pack("<BH", token, len(body)) + body


def env_change(kind, new, old):
    body = bytes([kind]) + new + old
    return struct.pack("<BH", TOK_ENVCHANGE, len(body)) + body


# ---------------------------------------------------------------- reading client data

class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ValueError("truncated request")
        out = self.data[self.pos:self.pos + n]
        self.pos += n
        return out

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def u64(self):
        return struct.unpack("<Q", self.take(8))[0]

    def b_varchar(self):
        return self.take(self.u8() * 2).decode("utf-16-le")

    def at_end(self):
        return self.pos >= len(self.data)


def read_type_info(r):
    t = r.u8()
    info = {"type": t}
    if t in (T_INTN, 0x68, T_FLTN, 0x6E, T_DATETIMN, 0x24):
        info["len"] = r.u8()
    elif t in (T_DECIMALN, T_NUMERICN):
        info["len"], info["prec"], info["scale"] = r.u8(), r.u8(), r.u8()
    elif t in (T_NVARCHAR, T_BIGVARCHAR, T_NCHAR, T_BIGCHAR):
        info["len"] = r.u16()
        info["collation"] = r.take(5)
    elif t in (T_BIGVARBINARY, T_BIGBINARY):
        info["len"] = r.u16()
    elif t in (T_NTEXT, T_TEXT):
        info["len"] = r.u32()
        info["collation"] = r.take(5)
    elif t == T_IMAGE:
        info["len"] = r.u32()
    elif t in (0x29, 0x2A, 0x2B):
        info["scale"] = r.u8()
    elif t == 0x28:
        pass
    else:
        fixed = {0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x7F: 8, 0x3E: 8, 0x3B: 4, 0x3D: 8, 0x3A: 4, 0x3C: 8, 0x7A: 4, 0x1F: 0}
        if t not in fixed:
            raise ValueError("unknown type 0x%02x" % t)
        info["fixed"] = fixed[t]
    return info


def read_value(r, info):
    t = info["type"]
    if "fixed" in info:
        raw = r.take(info["fixed"])
        return int.from_bytes(raw, "little", signed=True) if t in (0x30, 0x34, 0x38, 0x7F) else raw
    if t in (T_NVARCHAR, T_BIGVARCHAR, T_NCHAR, T_BIGCHAR, T_BIGVARBINARY, T_BIGBINARY):
        if info["len"] == 0xFFFF:  # PLP
            total = r.u64()
            if total == 0xFFFFFFFFFFFFFFFF:
                return None
            raw = b""
            while True:
                n = r.u32()
                if n == 0:
                    break
                raw += r.take(n)
        else:
            n = r.u16()
            if n == 0xFFFF:
                return None
            raw = r.take(n)
        if t in (T_NVARCHAR, T_NCHAR):
            return raw.decode("utf-16-le")
        return raw
    if t in (T_NTEXT, T_TEXT, T_IMAGE):
        n = r.u32()
        if n == 0xFFFFFFFF:
            return None
        raw = r.take(n)
        return raw.decode("utf-16-le") if t == T_NTEXT else raw
    n = r.u8()
    if n == 0:
        return None
    raw = r.take(n)
    if t == T_INTN:
        return int.from_bytes(raw, "little", signed=True)
    return raw


def skip_all_headers(r):
    start = r.pos
    total = r.u32()
    if total < 4 or start + total > len(r.data):
        raise ValueError("bad ALL_HEADERS")
    r.pos = start + total


def parse_rpc(payload):
    r = Reader(payload)
    skip_all_headers(r)
    n = r.u16()
    if n == 0xFFFF:
        number = r.u16()
        proc = PROC_NAMES.get(number, "procedure %d" % number)
    else:
        proc = r.take(n * 2).decode("utf-16-le")
    r.u16()  # option flags
    params = []
    while not r.at_end():
        if r.data[r.pos] in (0x80, 0xFF):  # a further RPC in the same request: not used by the client
            break
        name = r.b_varchar()
        status = r.u8()
        info = read_type_info(r)
        params.append({"name": name, "status": status, "info": info, "value": read_value(r, info)})
    return proc.lower(), params


def parse_login(payload):
    fields = struct.unpack_from("<IIIIII", payload, 0)
    type_flags = payload[26]

    def text(offset_pos):
        ib, cch = struct.unpack_from("<HH", payload, offset_pos)
        return payload[ib:ib + cch * 2]

    password = bytes((((b ^ 0xA5) << 4) & 0xF0) | ((b ^ 0xA5) >> 4) for b in text(44))
    return {
        "tdsVersion": "0x%08X" % fields[1],
        "packetSize": fields[2],
        "typeFlags": type_flags,
        "host": text(36).decode("utf-16-le"),
        "user": text(40).decode("utf-16-le"),
        "password": password.decode("utf-16-le", "replace"),
        "app": text(48).decode("utf-16-le"),
        "server": text(52).decode("utf-16-le"),
        "library": text(60).decode("utf-16-le"),
        "database": text(68).decode("utf-16-le"),
    }


def parse_prelogin(payload):
    options = {}
    pos = 0
    while pos < len(payload) and payload[pos] != 0xFF:
        token, offset, length = struct.unpack_from(">BHH", payload, pos)
        options[token] = payload[offset:offset + length]
        pos += 5
    return options


def build_prelogin_reply():
    # VERSION, ENCRYPTION (not supported), INSTOPT, THREADID, MARS (off)
    entries = [(0x00, bytes([16, 0, 0, 0, 0, 0])), (0x01, b"\x02"), (0x02, b"\x00"), (0x03, b""), (0x04, b"\x00")]
    offset = len(entries) * 5 + 1
    head, body = b"", b""
    for token, data in entries:
        head += struct.pack(">BHH", token, offset + len(body), len(data))
        body += data
    return head + b"\xFF" + body


# ---------------------------------------------------------------- statements over SQLite

class ServerError(Exception):
    def __init__(self, number, text, severity=16):
        super().__init__(text)
        self.number, self.text, self.severity = number, text, severity


def translate_sqlite_error(e):
    text = str(e)
    m = re.match(r"no such table: (?:\w+\.)?(.+)", text)
    if m:
        return ServerError(208, "Invalid object name '%s'." % m.group(1))
    m = re.match(r"no such column: (.+)", text)
    if m:
        return ServerError(207, "Invalid column name '%s'." % m.group(1).split(".")[-1])
    m = re.match(r'near "(.*)": syntax error', text)
    if m:
        return ServerError(102, "Incorrect syntax near '%s'." % m.group(1))
    if "interrupted" in text:
        return ServerError(3617, "The query was cancelled.", 25)
    return ServerError(50000, text)


class Column:
    def __init__(self, name, kind, size=0, prec=0, scale=0):
        self.name, self.kind, self.size, self.prec, self.scale = name, kind, size, prec, scale


def declared_types(db):
    """Column name -> declared type word, over every table; names declared differently are dropped."""
    out = {}
    for (table,) in db.execute("SELECT name FROM sqlite_master WHERE type='table'"):
        for row in db.execute("SELECT name, type FROM pragma_table_info(?)", (table,)):
            name, decl = row[0].lower(), (row[1] or "").upper()
            if name in out and out[name] != decl:
                out[name] = None
            else:
                out[name] = decl
    return out


def describe(names, rows, decls, varchar):
    cols = []
    for i, name in enumerate(names):
        values = [row[i] for row in rows if row[i] is not None]
        decl = decls.get(name.lower()) or ""
        text_kind = "varchar" if varchar else "nvarchar"
        if decl.startswith("DATETIME") and all(isinstance(v, str) for v in values):
            cols.append(Column(name, "datetime"))
        elif decl.startswith(("DECIMAL", "NUMERIC")) and all(isinstance(v, (int, float)) for v in values):
            m = re.search(r"\((\d+)\s*,\s*(\d+)\)", decl)
            prec, scale = (int(m.group(1)), int(m.group(2))) if m else (18, 0)
            cols.append(Column(name, "decimal", prec=prec, scale=scale))
        elif not values:
            if "INT" in decl:
                cols.append(Column(name, "int"))
            elif any(w in decl for w in ("REAL", "FLOA", "DOUB")):
                cols.append(Column(name, "float"))
            else:
                cols.append(Column(name, text_kind, 1))
        elif all(isinstance(v, int) for v in values):
            wide = any(not -2 ** 31 <= v < 2 ** 31 for v in values)
            cols.append(Column(name, "bigint" if wide else "int"))
        elif all(isinstance(v, (int, float)) for v in values):
            cols.append(Column(name, "float"))
        elif all(isinstance(v, bytes) for v in values):
            cols.append(Column(name, "varbinary", max(1, max(len(v) for v in values))))
        else:
            cols.append(Column(name, text_kind, 1))
    return cols


def coerce(col, v):
    if v is None:
        return None
    if col.kind in ("varchar", "nvarchar") and not isinstance(v, str):
        if isinstance(v, float):
            return repr(v)
        return v.decode("utf-8", "replace") if isinstance(v, bytes) else str(v)
    if col.kind == "float":
        return float(v)
    return v


class Encoder:
    def __init__(self, collation):
        self.collation = collation
        self.codec = COLLATIONS.get(collation, COLLATIONS["Chinese_PRC_CI_AS"])[2]

    def text_bytes(self, col, v):
        if col.kind == "nvarchar":
            return v.encode("utf-16-le")
        # what the column would hold: characters outside the code page are stored as "?"
        return v.encode(self.codec, "replace")

    def colmetadata(self, cols, encoded):
        out = struct.pack("<BH", TOK_COLMETADATA, len(cols))
        for i, c in enumerate(cols):
            out += struct.pack("<IH", 0, 0x0001)  # user type, flags: nullable
            if c.kind == "int":
                out += bytes([T_INTN, 4])
            elif c.kind == "bigint":
                out += bytes([T_INTN, 8])
            elif c.kind == "float":
                out += bytes([T_FLTN, 8])
            elif c.kind == "datetime":
                out += bytes([T_DATETIMN, 8])
            elif c.kind == "decimal":
                out += bytes([T_DECIMALN, 17, c.prec, c.scale])
            elif c.kind == "varbinary":
                out += struct.pack("<BH", T_BIGVARBINARY, min(8000, c.size))
            else:
                widest = max([len(row[i]) for row in encoded if row[i] is not None] + [2])
                if widest > 8000:
                    out += struct.pack("<BH", T_NVARCHAR if c.kind == "nvarchar" else T_BIGVARCHAR, 0xFFFF)
                    c.plp = True
                else:
                    out += struct.pack("<BH", T_NVARCHAR if c.kind == "nvarchar" else T_BIGVARCHAR,
                                       8000 if c.kind == "nvarchar" else max(widest, 1))
                    c.plp = False
                out += collation_bytes(self.collation)
            out += b_varchar(c.name)
        return out

    def encode_rows(self, cols, rows):
        encoded = []
        for row in rows:
            out = []
            for c, v in zip(cols, row):
                v = coerce(c, v)
                out.append(self.text_bytes(c, v) if v is not None and c.kind in ("varchar", "nvarchar") else v)
            encoded.append(out)
        return encoded

    @staticmethod
    def row(cols, values):
        out = bytes([TOK_ROW])
        for c, v in zip(cols, values):
            if c.kind in ("int", "bigint"):
                size = 4 if c.kind == "int" else 8
                out += b"\x00" if v is None else bytes([size]) + int(v).to_bytes(size, "little", signed=True)
            elif c.kind == "float":
                out += b"\x00" if v is None else b"\x08" + struct.pack("<d", v)
            elif c.kind == "datetime":
                if v is None:
                    out += b"\x00"
                else:
                    t = datetime.fromisoformat(v.replace("T", " "))
                    days = (t - datetime(1900, 1, 1)).days
                    secs = t.hour * 3600 + t.minute * 60 + t.second + t.microsecond / 1e6
                    out += b"\x08" + struct.pack("<iI", days, round(secs * 300))
            elif c.kind == "decimal":
                if v is None:
                    out += b"\x00"
                else:
                    n = round(v * 10 ** c.scale)
                    out += b"\x11" + bytes([1 if n >= 0 else 0]) + abs(n).to_bytes(16, "little")
            elif c.kind == "varbinary":
                out += b"\xFF\xFF" if v is None else struct.pack("<H", len(v)) + v
            elif getattr(c, "plp", False):
                if v is None:
                    out += b"\xFF" * 8
                else:
                    out += struct.pack("<QI", len(v), len(v)) + v + b"\x00\x00\x00\x00"
            else:
                out += b"\xFF\xFF" if v is None else struct.pack("<H", len(v)) + v
        return out


# ---------------------------------------------------------------- the server state

class State:
    def __init__(self, extension):
        self.lock = threading.Lock()
        self.extension = extension
        self.config = {}
        self.statement_count = 0
        self.log = {"logins": [], "statements": [], "attentions": 0}
        self.links = set()
        self.listener = None
        self.port = 0
        self.browser = None

    def configure(self, cfg):
        with self.lock:
            self.config = cfg
            self.statement_count = 0
            self.log = {"logins": [], "statements": [], "attentions": 0}

    def next_statement(self, kind, sql):
        with self.lock:
            self.statement_count += 1
            self.log["statements"].append({"kind": kind, "sql": sql})
            return self.statement_count, dict(self.config)

    def fault(self, cfg, name, number):
        f = cfg.get("faults", {}).get(name)
        if f and f.get("statement", 0) in (0, number):
            return f
        return None


class Link(socketserver.BaseRequestHandler):
    """One client connection: PRELOGIN, LOGIN7, then requests until the client leaves."""

    def setup(self):
        self.state = self.server.state
        self.sock = self.request
        self.sock.settimeout(120)  # an idle or stuck client is let go after two minutes
        self.packet_size = 4096
        self.packet_id = 1
        self.pending = b""
        self.handles = {}
        with self.state.lock:
            self.state.links.add(self.sock)

    def finish(self):
        with self.state.lock:
            self.state.links.discard(self.sock)

    # -- packets

    def read_packet(self):
        head = self.read_exact(8)
        if head is None:
            return None, None, None
        kind, status, length = struct.unpack(">BBH", head[:4])
        body = self.read_exact(length - 8) if length > 8 else b""
        if body is None:
            return None, None, None
        return kind, status, body

    def read_exact(self, n):
        while len(self.pending) < n:
            try:
                chunk = self.sock.recv(65536)
            except OSError:
                return None
            if not chunk:
                return None
            self.pending += chunk
        out, self.pending = self.pending[:n], self.pending[n:]
        return out

    def read_message(self):
        kind, status, body = self.read_packet()
        if kind is None:
            return None, None
        data = body
        while not status & 0x01 and kind != PKT_ATTENTION:
            kind2, status, body = self.read_packet()
            if kind2 is None:
                return None, None
            data += body
        return kind, data

    def send(self, data, last=True):
        room = self.packet_size - 8
        chunks = [data[i:i + room] for i in range(0, len(data), room)] or [b""]
        out = b""
        for i, chunk in enumerate(chunks):
            status = 0x01 if last and i == len(chunks) - 1 else 0x00
            out += struct.pack(">BBHHBB", PKT_REPLY, status, len(chunk) + 8, 51, self.packet_id, 0) + chunk
            self.packet_id = (self.packet_id + 1) % 256
        self.sock.sendall(out)

    def attention_within(self, seconds):
        """Waits up to `seconds`; True when the client sent an Attention meanwhile."""
        end = time.monotonic() + seconds
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return False
            ready, _, _ = select.select([self.sock], [], [], min(left, 0.2))
            if ready or self.pending:
                kind, _ = self.read_message()
                if kind is None:
                    raise ConnectionError("client left")
                if kind == PKT_ATTENTION:
                    return True

    # -- the conversation

    def handle(self):
        try:
            kind, data = self.read_message()
            if kind != PKT_PRELOGIN:
                return
            options = parse_prelogin(data)
            self.encryption_asked = options.get(0x01, b"\x02")[:1].hex()
            with self.state.lock:
                self.state.log.setdefault("prelogins", []).append(self.encryption_asked)
            self.send(build_prelogin_reply())
            kind, data = self.read_message()
            if kind != PKT_LOGIN7:
                return
            if not self.login(parse_login(data)):
                return
            while True:
                kind, data = self.read_message()
                if kind is None:
                    return
                if kind == PKT_ATTENTION:
                    with self.state.lock:
                        self.state.log["attentions"] += 1
                    self.send(done(TOK_DONE, DONE_ATTN))
                elif kind == PKT_SQL_BATCH:
                    r = Reader(data)
                    skip_all_headers(r)
                    self.statement(r.data[r.pos:].decode("utf-16-le"), "batch", None)
                elif kind == PKT_RPC:
                    self.rpc(*parse_rpc(data))
                else:
                    return
        except (ConnectionError, OSError, ValueError):
            return

    def login(self, info):
        cfg = self.state.config
        info["encryption"] = self.encryption_asked
        with self.state.lock:
            self.state.log["logins"].append(info)
        if (info["user"] != cfg.get("user") or info["password"] != cfg.get("password")
                or info["database"].lower() != str(cfg.get("database", "")).lower()):
            self.send(message_token(TOK_ERROR, 18456, "Login failed for user '%s'." % info["user"], 14)
                      + done(TOK_DONE, DONE_ERROR, cmd=0))
            return False
        self.packet_size = min(max(info["packetSize"], 512), 32767)
        collation = collation_bytes(cfg.get("collation", "Chinese_PRC_CI_AS"))
        body = (env_change(1, b_varchar(info["database"]), b_varchar("master"))
                + env_change(7, bytes([5]) + collation, b"\x00")
                + env_change(4, b_varchar(str(self.packet_size)), b_varchar("4096")))
        ack = bytes([1]) + bytes([0x74, 0x00, 0x00, 0x04]) + b_varchar("TDS test server") + bytes([16, 0, 0, 0])
        body += struct.pack("<BH", TOK_LOGINACK, len(ack)) + ack
        body += done(TOK_DONE, 0, cmd=0)
        self.send(body)
        return True

    def rpc(self, proc, params):
        if proc == "sp_prepexec" and len(params) >= 3:
            handle = len(self.handles) + 1
            self.handles[handle] = params[2]["value"] or ""
            self.statement(self.handles[handle], proc, (params[0]["name"], handle))
        elif proc == "sp_executesql" and params:
            self.statement(params[0]["value"] or "", proc, None)
        elif proc == "sp_execute" and params:
            self.statement(self.handles.get(params[0]["value"], ""), proc, None)
        elif proc == "sp_prepare" and len(params) >= 3:
            handle = len(self.handles) + 1
            self.handles[handle] = params[2]["value"] or ""
            self.send(self.proc_tail(0, (params[0]["name"], handle)))
        elif proc == "sp_unprepare":
            self.send(self.proc_tail(0, None))
        else:
            self.send(message_token(TOK_ERROR, 2812, "Could not find stored procedure '%s'." % proc, 16)
                      + done(TOK_DONEPROC, DONE_ERROR))

    @staticmethod
    def proc_tail(status, handle, error=False):
        out = struct.pack("<Bi", TOK_RETURNSTATUS, status)
        if handle:
            name, value = handle
            out += struct.pack("<BH", TOK_RETURNVALUE, 0) + b_varchar(name) + b"\x01" + struct.pack("<IH", 0, 0x0001)
            out += bytes([T_INTN, 4, 4]) + struct.pack("<i", value)
        return out + done(TOK_DONEPROC, DONE_ERROR if error else 0, cmd=0xE0)

    def statement(self, sql, kind, handle):
        number, cfg = self.state.next_statement(kind, sql)
        in_proc = kind != "batch"
        done_token = TOK_DONEINPROC if in_proc else TOK_DONE
        more = DONE_MORE if in_proc else 0  # inside a procedure the return status and DONEPROC follow
        delay = self.state.fault(cfg, "delay", number)
        if delay and self.attention_within(float(delay.get("seconds", 0))):
            with self.state.lock:
                self.state.log["attentions"] += 1
            self.send(done(TOK_DONE, DONE_ATTN))
            return
        stripped = sql.strip().rstrip(";").strip()
        if re.match(r"(?is)^(set|use|begin|commit|rollback|if|declare)\b", stripped) or not stripped:
            self.send(done(done_token, more, cmd=0) + (self.proc_tail(0, handle) if in_proc else b""))
            return
        try:
            names, rows, decls = self.run_sqlite(cfg, sql)
        except ServerError as e:
            self.send(message_token(TOK_ERROR, e.number, e.text, e.severity)
                      + done(done_token, DONE_ERROR | more, cmd=0xC1)
                      + (self.proc_tail(1, handle, error=True) if in_proc else b""))
            return
        encoder = Encoder(cfg.get("collation", "Chinese_PRC_CI_AS"))
        cols = describe(names, rows, decls, cfg.get("text") == "varchar")
        encoded = encoder.encode_rows(cols, rows)
        head = encoder.colmetadata(cols, encoded)
        drop = self.state.fault(cfg, "drop", number)
        if drop is not None and int(drop.get("rows", 0)) <= len(encoded):
            # the rows up to the cut, then the link goes: no DONE ever follows
            body = head + b"".join(Encoder.row(cols, r) for r in encoded[:int(drop.get("rows", 0))])
            self.send(body, last=False)
            self.sock.shutdown(socket.SHUT_RDWR)
            raise ConnectionError("dropped by the fault switch")
        body = head + b"".join(Encoder.row(cols, r) for r in encoded)
        error = self.state.fault(cfg, "error", number)
        if error is not None:
            body += message_token(TOK_ERROR, int(error.get("number", 1205)),
                                  error.get("message", "Transaction was deadlocked and has been chosen as the deadlock victim."),
                                  13)
            body += done(done_token, DONE_ERROR | DONE_COUNT | more, len(encoded))
            body += self.proc_tail(1, handle, error=True) if in_proc else b""
        else:
            body += done(done_token, DONE_COUNT | more, len(encoded))
            body += self.proc_tail(0, handle) if in_proc else b""
        self.send(body)

    def run_sqlite(self, cfg, sql):
        path = cfg.get("db")
        if not path:
            raise ServerError(4060, "Cannot open database requested by the login.", 11)
        try:
            db = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=2)
        except sqlite3.Error as e:
            raise ServerError(4060, "Cannot open database: %s" % e, 11)
        try:
            db.enable_load_extension(True)
            db.load_extension(self.state.extension)
            db.enable_load_extension(False)
            db.execute("PRAGMA query_only = 1")
            cur = db.execute(sql)
            names = [d[0] for d in cur.description or []]
            rows = cur.fetchall()
            return names, rows, declared_types(db)
        except sqlite3.Error as e:
            raise translate_sqlite_error(e)
        finally:
            db.close()


class TdsListener(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


# ---------------------------------------------------------------- browser protocol (UDP)

class Browser(threading.Thread):
    def __init__(self, state, instance, port):
        super().__init__(daemon=True)
        self.state, self.instance = state, instance
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind(("127.0.0.1", port))
        self.sock.settimeout(0.5)
        self.running = True

    def run(self):
        while self.running:
            try:
                data, peer = self.sock.recvfrom(1024)
            except socket.timeout:
                continue
            except OSError:
                return
            asked = data[1:].split(b"\x00")[0].decode("latin-1", "replace") if data[:1] in (b"\x04", b"\x03") else ""
            with self.state.lock:
                self.state.log.setdefault("browser", []).append(asked)
            if data[:1] == b"\x02" or asked.upper() == self.instance.upper():
                text = "ServerName;TRELLUMTDS;InstanceName;%s;IsClustered;No;Version;16.0.1000.6;tcp;%d;;" % (
                    self.instance, self.state.port)
                payload = text.encode("ascii")
                self.sock.sendto(b"\x05" + struct.pack("<H", len(payload)) + payload, peer)

    def stop(self):
        self.running = False
        self.sock.close()


# ---------------------------------------------------------------- control

def start_listener(state, port):
    listener = TdsListener(("127.0.0.1", port), Link)
    listener.state = state
    threading.Thread(target=listener.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True).start()
    state.listener = listener
    state.port = listener.server_address[1]


def stop_listener(state):
    if state.listener:
        state.listener.shutdown()
        state.listener.server_close()
        state.listener = None
    with state.lock:
        links = list(state.links)
    for s in links:
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class Control(socketserver.StreamRequestHandler):
    def handle(self):
        state = self.server.state
        for line in self.rfile:
            try:
                req = json.loads(line)
                op = req.get("op")
                if op == "config":
                    state.configure(req)
                    reply = {"ok": True}
                elif op == "log":
                    with state.lock:
                        reply = {"ok": True, "log": state.log}
                elif op == "down":
                    stop_listener(state)
                    reply = {"ok": True}
                elif op == "up":
                    start_listener(state, state.port)
                    reply = {"ok": True}
                elif op == "browser":
                    if state.browser:
                        state.browser.stop()
                    state.browser = Browser(state, req["instance"], int(req.get("port", 1434)))
                    state.browser.start()
                    reply = {"ok": True}
                elif op == "quit":
                    self.wfile.write(b'{"ok": true}\n')
                    self.wfile.flush()
                    os._exit(0)
                else:
                    reply = {"ok": False, "error": "unknown op"}
            except Exception as e:  # the answer says what went wrong; the server keeps going
                reply = {"ok": False, "error": "%s: %s" % (type(e).__name__, e)}
            self.wfile.write((json.dumps(reply, ensure_ascii=False) + "\n").encode("utf-8"))
            self.wfile.flush()


class ControlListener(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--extension", required=True, help="the SQLite extension with the T-SQL functions")
    parser.add_argument("--lifetime", type=float, default=900, help="seconds after which the server ends itself")
    args = parser.parse_args()
    state = State(os.path.abspath(args.extension))
    start_listener(state, 0)
    control = ControlListener(("127.0.0.1", 0), Control)
    control.state = state
    threading.Thread(target=control.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True).start()
    print("PORTS %d %d" % (state.port, control.server_address[1]), flush=True)
    time.sleep(args.lifetime)
    os._exit(0)


if __name__ == "__main__":
    main()
