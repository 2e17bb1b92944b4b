#!/usr/bin/env python3
"""tulvo-wordlist from outside, on the real frequency data: short lists in
each encoding are read right, files that are not lists are refused, --add
imports into the program directory's favorites.

Usage: wordlist_tool.py TULVO_WORDLIST PROGRAM_DIRECTORY"""
import os
import shutil
import subprocess
import sys
import tempfile

tool, program = sys.argv[1], sys.argv[2]
failures = []


def run(*args, cwd):
    return subprocess.run([tool, *args], cwd=cwd, capture_output=True, timeout=30)


def expect(name, got, wanted):
    if got != wanted:
        failures.append(f"{name}: got {got!r}, wanted {wanted!r}")


with tempfile.TemporaryDirectory() as scratch:
    os.mkdir(os.path.join(scratch, "data"))
    shutil.copy(os.path.join(program, "data", "freq.dat"), os.path.join(scratch, "data"))
    # The tool's program directory is its executable's folder: a copy here.
    tool = shutil.copy(tool, os.path.join(scratch, "tulvo-wordlist"))

    def listed(name, data, *options):
        path = os.path.join(scratch, name)
        with open(path, "wb") as f:
            f.write(data)
        result = run(*options, path, cwd=scratch)
        expect(name + " exit", result.returncode, 0)
        return result.stdout.decode("utf-8").splitlines()

    # Short lists, where a generic detector guesses wrong most often.
    expect("gbk", listed("gbk.txt", "认识 所以".encode("gbk")), ["code page 936", "认识", "所以"])
    expect("big5", listed("big5.txt", "認識 所以".encode("big5")), ["code page 950", "認識", "所以"])
    expect("utf7", listed("utf7.txt", "学习，汉语".encode("utf-7")), ["code page 65000", "学习", "汉语"])
    expect("utf16", listed("utf16.txt", "朋友，老师".encode("utf-16-le")),
           ["code page 0", "朋友", "老师"])
    expect("utf8 vocabulary",
           listed("vocab.txt", "1. 电脑 dian4 nao3 computer\n2. 飞机 fei1 ji1 plane\n".encode()),
           ["code page 65001", "电脑", "飞机"])
    # The code page given wins, even when it reads the bytes wrong.
    expect("given", listed("given.txt", "认识".encode("gbk"), "--encoding", "950")[0], "code page 950")
    # Random bytes: no words.
    expect("noise", listed("noise.bin", bytes([0x8F, 0x01, 0xFF, 0x13, 0x00, 0x9C, 0xE0, 0x7F]))[1:], [])

    # Not a list: refused with exit 2 and a reason, promptly.
    os.mkfifo(os.path.join(scratch, "pipe"))
    for bad in [os.path.join(scratch, "pipe"), "/dev/zero", os.path.join(scratch, "missing.txt")]:
        result = run(bad, cwd=scratch)
        expect(bad + " exit", result.returncode, 2)
        expect(bad + " says why", b"cannot read" in result.stderr, True)
    # A code page no converter knows: refused too.
    unknown = run("--encoding", "12345", os.path.join(scratch, "given.txt"), cwd=scratch)
    expect("unknown code page exit", unknown.returncode, 2)
    expect("no favorites yet", os.path.exists(os.path.join(scratch, "data", "favorites.dat")), False)

    # --add: 认识 所以 and their four characters, once.
    gbk = os.path.join(scratch, "gbk.txt")
    expect("add", run("--add", gbk, cwd=scratch).returncode, 0)
    with open(os.path.join(scratch, "data", "favorites.dat"), "rb") as f:
        stored = f.read()
    one = "认识所以"
    expect("stored", stored,
           (1).to_bytes(4, "little") + (4).to_bytes(4, "little")
           + "".join(sorted(one)).encode("utf-16-le")
           + (2).to_bytes(4, "little") + (2).to_bytes(4, "little")
           + "".join(sorted(["认识", "所以"])).encode("utf-16-le"))
    again = run("--add", gbk, cwd=scratch)
    expect("again", again.stderr, b"0 new word(s) added\n")

for failure in failures:
    print(failure, file=sys.stderr)
sys.exit(1 if failures else 0)
