#!/usr/bin/env python3
"""Fails when code of the editor's windows sets an unsaved flag.

MapModified and AttributesModified are set by the core operations that change the map or the
records; the windows only read them.
"""
import pathlib
import re
import sys

FLAG_SET = re.compile(r"\b(MapModified|AttributesModified)\s*(=(?!=)|\|=|&=)")


def offences(text):
    return [n for n, line in enumerate(text.splitlines(), 1)
            if FLAG_SET.search(line.split("//")[0])]


def self_test():
    assert offences("data.MapModified = true;") == [1]
    assert offences("m_data->AttributesModified=false;") == [1]
    assert offences("if (data.MapModified == x) {}") == []
    assert offences("return data.MapModified || data.AttributesModified;") == []
    assert offences("// MapModified = true is the core's") == []
    print("ok")


def main(argv):
    if argv[1:] == ["--self-test"]:
        self_test()
        return 0
    ui = pathlib.Path(argv[1])
    found = []
    for path in sorted(ui.rglob("*")):
        if path.suffix in {".cpp", ".h"}:
            for line in offences(path.read_text(encoding="utf-8")):
                found.append(f"{path}:{line}: a window sets an unsaved flag; call the core "
                             "operation that changes the map or the record instead")
    print("\n".join(found) if found else "no window sets an unsaved flag")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
