#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz harnesses: user sessions, in the harnesses' encoding.

Run from the repository root; the fuzzer grows its own corpus from these.
"""
import os

KINDS = {"reshape": 0, "press": 1, "release": 2, "motion": 3, "key": 4, "menu": 5, "display": 6}


def head(kind, button=0, alt=0, entry=0):
    for h in range(256):
        if h % 7 != KINDS[kind]:
            continue
        if kind in ("press", "release") and ((h >> 3) % 3 != button or (h >> 5) & 1 != alt):
            continue
        if kind == "menu" and (h >> 3) & 1 != entry:
            continue
        return bytes([h])
    raise ValueError(kind)


def word(v):
    return bytes([(v >> 8) & 255, v & 255])


def coordinate(v):
    assert 0 <= v < 1024
    return bytes([0]) + word(v)


def press(x, y, button=0, alt=0):
    return head("press", button, alt) + coordinate(x) + coordinate(y)


def release(x, y, button=0, alt=0):
    return head("release", button, alt) + coordinate(x) + coordinate(y)


def click(x, y, button=0, alt=0):
    return press(x, y, button, alt) + release(x, y, button, alt)


def motion(x, y):
    return head("motion") + coordinate(x) + coordinate(y)


def menu(value):
    return head("menu", entry=1) + bytes([value])


def reshape(w, h):
    return head("reshape") + bytes([2]) + word(w) + bytes([2]) + word(h)


def key(k):
    return head("key") + bytes([k])


DISPLAY = head("display")


def square(cx, cy, r):
    return b"".join(click(x, y) for x, y in ((cx - r, cy - r), (cx + r, cy - r), (cx + r, cy + r), (cx - r, cy + r)))


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


two = "fuzz/corpus/gaugeplot2d"
write(two, "seed-square-drag-print",
      menu(1) + square(320, 240, 100) + menu(1) + DISPLAY + menu(2) + press(420, 140) + motion(450, 120)
      + DISPLAY + release(450, 120) + menu(5) + DISPLAY)
write(two, "seed-two-polygons-resize",
      menu(1) + square(320, 240, 100) + menu(1) + click(320, 100) + click(480, 240) + click(320, 380)
      + click(160, 240) + menu(1) + DISPLAY + reshape(1, 1) + DISPLAY + reshape(2000, 1500) + DISPLAY
      + key(ord("a")) + menu(3) + menu(4) + DISPLAY)
write(two, "seed-degenerate", menu(1) + menu(1) + click(320, 240) + click(420, 240) + menu(1) + DISPLAY + menu(5))

three = "fuzz/corpus/gaugeplot3d"
write(three, "seed-square-drag-rotate",
      menu(1) + square(320, 320, 120) + press(5, 5, button=2) + DISPLAY + menu(2) + press(440, 200)
      + motion(470, 180) + DISPLAY + release(470, 180) + press(5, 5, button=2) + press(100, 100, alt=1)
      + motion(130, 110) + DISPLAY + release(130, 110, alt=1) + menu(4) + DISPLAY + menu(4) + DISPLAY)
write(three, "seed-two-polygons-function",
      menu(1) + square(320, 320, 120) + press(5, 5, button=2) + menu(1) + square(330, 300, 60)
      + press(5, 5, button=2) + menu(3) + DISPLAY + reshape(800, 600) + DISPLAY + reshape(1, 1) + DISPLAY)
write(three, "seed-degenerate",
      menu(3) + menu(1) + press(5, 5, button=2) + menu(1) + click(320, 320) + press(5, 5, button=2)
      + DISPLAY + menu(1) + square(320, 320, 120) + press(5, 5, button=2) + DISPLAY)
