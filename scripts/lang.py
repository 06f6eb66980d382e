#!/usr/bin/env python3
"""Edit the shipped language files (code page 932, CR LF, keys 0 to 999).

  scripts/lang.py set KEY --en TEXT --ja TEXT   set one key in both files
  scripts/lang.py get KEY [KEY ...]             show keys of both files
  scripts/lang.py load FILE                     set many keys from a UTF-8 file of
                                                lines "KEY<TAB>english<TAB>japanese"
  scripts/lang.py check                         check both files' shape

Developers' tool: the program itself never writes a language file.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LANG = os.path.join(HERE, "..", "lang")
FILES = {"en": "English.txt", "ja": "Japanese.txt"}
HEADS = {"en": ("English", "1"), "ja": ("日本語", "81")}
COUNT = 1000


def path(lang):
    return os.path.join(LANG, FILES[lang])


def read(lang):
    p = path(lang)
    if not os.path.exists(p):
        lines = [""] * COUNT
        lines[0], lines[1] = HEADS[lang]
        return lines
    with open(p, "rb") as f:
        data = f.read().decode("cp932")
    lines = data.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    lines += [""] * (COUNT - len(lines))
    return lines[:COUNT]


def write(lang, lines):
    assert len(lines) == COUNT
    for i, t in enumerate(lines):
        if "\r" in t or "\n" in t:
            raise SystemExit(f"{FILES[lang]} key {i}: line breaks are not allowed")
    data = "".join(t + "\r\n" for t in lines).encode("cp932")
    tmp = path(lang) + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path(lang))


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 1
    cmd = argv[1]
    if cmd == "get":
        en, ja = read("en"), read("ja")
        for k in argv[2:]:
            k = int(k)
            print(f"{k}\t{en[k]}\t{ja[k]}")
        return 0
    if cmd == "set":
        key = int(argv[2])
        args = argv[3:]
        vals = {}
        while args:
            flag, text = args[0], args[1]
            args = args[2:]
            vals[flag.lstrip("-")] = text
        for lang, text in vals.items():
            lines = read(lang)
            lines[key] = text
            write(lang, lines)
        return 0
    if cmd == "load":
        en, ja = read("en"), read("ja")
        with open(argv[2], encoding="utf-8") as f:
            for raw in f:
                raw = raw.rstrip("\n")
                if not raw.strip() or raw.startswith("#"):
                    continue
                parts = raw.split("\t")
                if len(parts) != 3:
                    raise SystemExit(f"bad line: {raw!r}")
                k = int(parts[0])
                en[k], ja[k] = parts[1], parts[2]
        write("en", en)
        write("ja", ja)
        return 0
    if cmd == "check":
        for lang in FILES:
            lines = read(lang)
            write(lang, lines)
            print(FILES[lang], "ok:", sum(1 for t in lines if t), "keys with text")
        return 0
    print(__doc__)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
