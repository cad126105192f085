#!/usr/bin/env python3
"""Gzips the WebAssembly that Emscripten put into the one-file page as base64 (single_file.js
unzips it): the page shrinks to about a third, and so does what the browser reads and parses
before the program starts. Usage: pack_wasm.py PAGE.html (rewritten in place)."""
import base64
import gzip
import re
import sys

PREFIX = 'wasmBinaryFile="data:application/octet-stream;base64,'


def main(path):
    with open(path, encoding="utf-8") as f:
        page = f.read()
    found = [m for m in re.finditer(re.escape(PREFIX) + r'([A-Za-z0-9+/=]*)"', page)]
    if len(found) != 1:
        sys.exit(f"{path}: expected the WebAssembly once as base64, found it {len(found)} times")
    wasm = base64.b64decode(found[0].group(1))
    if not wasm.startswith(b"\0asm"):
        sys.exit(f"{path}: the base64 there is not WebAssembly")
    # No time stamp in the header, and the C library's zlib: the same page from the same sources.
    packed = base64.b64encode(gzip.compress(wasm, compresslevel=9, mtime=0)).decode("ascii")
    start, end = found[0].span(1)
    with open(path, "w", encoding="utf-8") as f:
        f.write(page[:start] + packed + page[end:])


if __name__ == "__main__":
    main(sys.argv[1])
