#!/usr/bin/env python3
"""The reference host's rooms and which includes which.

Each folder of host/ is a room (host/main.cpp is the room "main"). The rooms are ordered from
the bottom up (ORDER); a room may include rooms below it, never one above it, and only the
rooms above the scenario runner include it. Prints the room include graph, every upward
include with its file and line, and the count; the exit status is 1 when there are upward
includes (or the runner is included below it) and --check is given.

    python3 tools/host_rooms.py [--check] [--order a,b,c] [TREE]

TREE is the root of a source tree (default: this one), so the same report can be made for
any checkout. --order replaces the room order (for trees whose rooms differ)."""

import argparse
import os
import re
import sys

# Bottom to top. state: the event port every room reports through and the store of the
# rooms' state, one part per room; drawing: the drawing lists, tables and the record layouts; geometry: what is computed from records; io: file
# formats of drawings (JSON, DXF, SVG); platform: the emulated system (clock, files, hooks,
# registry); fonts; display: the emulated screen, previews, painters and their SVG; ui:
# dialogs, menus, message boxes; protocol: the plug-in's loading, command and prompt protocol;
# runtime: the host object, its one reset of every room; api: the exported C
# functions; commands: the host's own commands; script: the scenario runner; serve: the
# browser front end; win: the Windows build's pieces; main: the command line.
ORDER = ["state", "drawing", "geometry", "io", "platform", "fonts", "display", "ui", "protocol",
         "runtime", "api", "commands", "script", "serve", "win", "main"]
RUNNER = "script"
INCLUDE = re.compile(r'^\s*#\s*include\s+"host/([A-Za-z0-9_]+)/([^"]+)"')


def room_of(tree, path):
    rel = os.path.relpath(path, os.path.join(tree, "host"))
    first = rel.split(os.sep)[0]
    return "main" if first == "main.cpp" else first


def scan(tree):
    """Yields (room, included room, file, line number) for every include of a host header."""
    host = os.path.join(tree, "host")
    for folder, _, files in sorted(os.walk(host)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            room = room_of(tree, path)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if m:
                        yield room, m.group(1), os.path.relpath(path, tree), number


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tree", nargs="?", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser.add_argument("--check", action="store_true", help="exit 1 on any upward include")
    parser.add_argument("--order", help="rooms bottom to top, separated by commas")
    args = parser.parse_args()
    order = args.order.split(",") if args.order else ORDER
    rank = {room: i for i, room in enumerate(order)}

    graph = {}
    upward = []
    for room, target, path, number in scan(args.tree):
        if room == target:
            continue
        graph.setdefault(room, {}).setdefault(target, 0)
        graph[room][target] += 1
        if room not in rank or target not in rank:
            upward.append((path, number, room, target, "room not in the order"))
        elif rank[target] > rank[room]:
            why = "includes the scenario runner" if target == RUNNER else "upward"
            upward.append((path, number, room, target, why))

    rooms = sorted(set(graph) | {t for deps in graph.values() for t in deps},
                   key=lambda r: (rank.get(r, len(order)), r))
    print("room include graph (bottom to top: %s)" % " < ".join(order))
    for room in rooms:
        deps = sorted(graph.get(room, {}), key=lambda r: (rank.get(r, len(order)), r))
        marked = ["%s%s(%d)" % ("^" if rank.get(d, len(order)) > rank.get(room, -1) else "", d, graph[room][d])
                  for d in deps]
        print("  %-9s -> %s" % (room, " ".join(marked) if marked else "-"))
    print("upward includes (^ above; file:line room -> room):")
    for path, number, room, target, why in upward:
        print("  %s:%d %s -> %s (%s)" % (path, number, room, target, why))
    pairs = len({(room, target) for _, _, room, target, _ in upward})
    print("upward includes: %d (in %d room pairs)" % (len(upward), pairs))
    return 1 if args.check and upward else 0


if __name__ == "__main__":
    sys.exit(main())
