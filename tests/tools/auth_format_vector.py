#!/usr/bin/env python3
"""The authenticated format's test vector, computed from docs/file-format.md
with Python's cryptography package (OpenSSL): Argon2id, HKDF-SHA-256,
HMAC-SHA-256 and AES-256-GCM, none of them the engine's. Prints the values
docs/file-format.md and tests/data/authenticated/vector.txt hold."""
import hashlib
import hmac

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.ciphers.aead import AESGCM
from cryptography.hazmat.primitives.kdf.argon2 import Argon2id
from cryptography.hazmat.primitives.kdf.hkdf import HKDFExpand

PASSWORD = "pässwörd".encode("utf-8")
KDF_SALT = bytes(range(0x00, 0x20))
STREAM_SALT = bytes(range(0xA0, 0xC0))
T, M_EXP, LANES, CHUNK_EXP = 1, 5, 1, 8
PLAIN = bytes(i % 256 for i in range(260))


def expand(prk, info, length):
    return HKDFExpand(algorithm=hashes.SHA256(), length=length, info=info).derive(prk)


a = Argon2id(salt=KDF_SALT, length=32, iterations=T, lanes=LANES, memory_cost=1 << M_EXP).derive(PASSWORD)
prk = hmac.new(STREAM_SALT, a, hashlib.sha256).digest()
header_key = expand(prk, b"Kelvanetrix authenticated v1 header key", 32)
fields = b"KvnAuth\x01" + bytes([1, 1, CHUNK_EXP, 0x13, T, M_EXP, LANES, 0]) + KDF_SALT + STREAM_SALT
header = fields + hmac.new(header_key, fields, hashlib.sha256).digest()
digest = hashlib.sha256(header).digest()
payload_key = expand(prk, b"Kelvanetrix authenticated v1 payload key" + digest, 32)
prefix = expand(prk, b"Kelvanetrix authenticated v1 nonce prefix" + digest, 7)

chunk = 1 << CHUNK_EXP
pieces = [PLAIN[i:i + chunk] for i in range(0, len(PLAIN), chunk)] or [b""]
body = b""
for index, piece in enumerate(pieces):
    iv = prefix + index.to_bytes(4, "big") + bytes([1 if index == len(pieces) - 1 else 0])
    body += AESGCM(payload_key).encrypt(iv, piece, None)

for name, value in [("password", PASSWORD), ("kdf salt", KDF_SALT), ("stream salt", STREAM_SALT),
                    ("plain", PLAIN), ("A", a), ("PRK", prk), ("header key", header_key),
                    ("header", header), ("header hash", digest), ("payload key", payload_key),
                    ("nonce prefix", prefix), ("file", header + body)]:
    print(f"{name} = {value.hex()}")
