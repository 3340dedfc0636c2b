#!/usr/bin/env python3
"""Prints where sway shows the visible windows of one app id:
"x,y,width,height fullscreen=N" per window (swaymsg -t get_tree); with
"--titles" after the app id, each window's title instead."""
import json
import subprocess
import sys

app_id = sys.argv[1]
titles = sys.argv[2:] == ["--titles"]
tree = json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, text=True, check=True).stdout)


def walk(node):
    if node.get("app_id") == app_id and node.get("visible"):
        r = node["rect"]
        if titles:
            print(node.get("name"))
        else:
            print(f"{r['x']},{r['y']},{r['width']},{r['height']} fullscreen={node.get('fullscreen_mode')}")
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)


walk(tree)
