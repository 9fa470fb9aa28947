#!/usr/bin/env python3
"""Fails when an #include runs the wrong way between the rooms of the source tree.

Rooms are listed from the bottom up: a file may include its own room and the rooms below it,
never one above, so no two rooms can include each other. The core rooms include no Qt header,
and each library outside the standard one is included only by the rooms that link it. A core
room that includes another core room links its library, directly or through a room it links, so
that every executable's link line resolves whatever the linker's order.
"""
import pathlib
import re
import sys

# The one place that says which room stands on which.
ROOMS = [
    "store",           # the project file, working folders, records, image codecs
    "web",             # HTML, URL and script escaping, CR LF web text
    "canvas/map",      # the area map, rasterisers, outlines, the census of areas
    "canvas/history",  # the drawing history
    "canvas/view",     # composing the view at any zoom
    "canvas/tools",    # area tools, selections, the grid of areas
    "shapes",          # shape files in and out
    "export",          # the page, its data script, merging
    "audio",           # sound output for the editor
    "cli",             # velmora-cli
    "ui",              # the editor's windows
    "app",             # the editor's main()
]
CORE = {"store", "web", "canvas/map", "canvas/history", "canvas/view", "canvas/tools", "shapes",
        "export"}

# Libraries outside the standard one, by the first part of their include path, and the rooms
# that may include them.
LIBRARIES = {
    "SQLiteCpp/": {"store"},
    "sqlite3.h": {"store"},
    "png.h": {"store"},
    "jpeglib.h": {"store"},
    "jerror.h": {"store"},
    "gif_lib.h": {"store"},
    "webp/": {"store"},
    "zlib.h": {"store", "canvas/history"},
    "opencv2/": {"canvas/tools"},
    "libxml/": {"shapes"},
    "nlohmann/": {"shapes", "export", "cli"},
    "CLI/": {"cli"},
    "SDL": {"audio"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def room_of(relative):
    """The longest room name that is a folder prefix of a path below src/."""
    best = None
    for room in ROOMS:
        if relative == room or relative.startswith(room + "/"):
            if best is None or len(room) > len(best):
                best = room
    return best


def linked_rooms(src):
    """For each core room with a CMakeLists.txt, the core rooms its library reaches by linking."""
    target_of, links = {}, {}
    for room in CORE:
        lists = src / room / "CMakeLists.txt"
        if not lists.is_file():
            continue
        text = lists.read_text(encoding="utf-8")
        made = re.search(r"velmora_room\(\s*(\w+)", text)
        if made:
            target_of[made.group(1)] = room
            links[room] = set(re.findall(r"\b(velmora_\w+)", " ".join(
                re.findall(r"target_link_libraries\(([^)]*)\)", text))))
    reach = {}
    for room in links:
        seen, todo = set(), [room]
        while todo:
            for target in links.get(todo.pop(), ()):
                other = target_of.get(target)
                if other and other not in seen:
                    seen.add(other)
                    todo.append(other)
        reach[room] = seen
    return reach


def check(src):
    problems = []
    rank = {room: i for i, room in enumerate(ROOMS)}
    reach = linked_rooms(src)
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        relative = path.relative_to(src).as_posix()
        room = room_of(relative)
        if room is None:
            problems.append(f"{relative}: lies in no room")
            continue
        for kind, target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if kind == '"':
                other = room_of(target)
                if other is None:
                    # Beside the file, or the header Qt generates from a form of its folder.
                    form = path.parent / (target.removeprefix("ui_").removesuffix(".h") + ".ui")
                    if not (path.parent / target).exists() and not form.exists():
                        problems.append(f"{relative}: includes \"{target}\", which is in no room")
                elif rank[other] > rank[room]:
                    problems.append(f"{relative}: room {room} includes {target} of {other}, "
                                    f"which stands above it")
                elif other != room and room in reach and other in CORE and other not in reach[room]:
                    problems.append(f"{relative}: room {room} includes {target} of {other}, "
                                    f"but its library does not link {other}'s")
                continue
            if room in CORE and re.match(r"Q[A-Za-z]*$|Qt", target):
                problems.append(f"{relative}: the core room {room} includes Qt's <{target}>")
            for prefix, allowed in LIBRARIES.items():
                if target.startswith(prefix) and room not in allowed:
                    problems.append(f"{relative}: room {room} includes <{target}>, which only "
                                    f"{', '.join(sorted(allowed))} may use")
    return problems


def self_test():
    """The checker itself finds an upward include, Qt in the core and a stray library."""
    import tempfile
    cases = {
        "canvas/map/a.h": '#include "canvas/tools/b.h"\n',
        "canvas/tools/b.h": '#include "canvas/map/a.h"\n',
        "store/c.cpp": "#include <QString>\n",
        "export/d.cpp": "#include <opencv2/imgproc.hpp>\n",
        "export/e.cpp": '#include "nowhere/e.h"\n',
        "shapes/CMakeLists.txt": "velmora_room(velmora_shapes)\n"
                                 "target_link_libraries(velmora_shapes PUBLIC velmora_map)\n",
        "canvas/map/CMakeLists.txt": "velmora_room(velmora_map)\n",
        "shapes/f.cpp": '#include "canvas/map/a.h"\n#include "canvas/history/h.h"\n',
    }
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text in cases.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text, encoding="utf-8")
        found = check(root)
    expected = ["canvas/map/a.h:", "store/c.cpp:", "export/d.cpp:", "export/e.cpp:",
                "shapes/f.cpp: room shapes includes canvas/history"]
    missed = [e for e in expected if not any(p.startswith(e) for p in found)]
    wrong = [p for p in found if p.startswith("canvas/tools/b.h")]
    if missed or wrong or len(found) != len(expected):
        print("the checker missed", missed, "or flagged", wrong, "; it found:", found)
        return 1
    print("the checker finds every planted fault")
    return 0


def main():
    if sys.argv[1:2] == ["--self-test"]:
        return self_test()
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src").resolve()
    problems = check(src)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) break the layering; the order is in {__file__}")
        return 1
    print(f"layering holds: {len(ROOMS)} rooms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
