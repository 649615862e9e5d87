"""The 187 x 88 picture at the top right of the window.

A clock face in front of a wire-frame globe with a few network nodes, circled
by two sync arrows, in soft blues on white. It is drawn with 4 x 4 sub-samples
because the window stretches it, and more so at high DPI.
"""

import math

from raster import (Layer, arc, around, arrow_head, circle, ellipse_line, hand, inside, radial,
                    render, ring, segment, solid, union, vertical)

WIDTH, HEIGHT = 187, 88
GLOBE = (56.0, 46.0, 31.0)
CLOCK = (122.0, 44.0, 32.0)
ARROW_R = 39.0

NAVY = "#14286B"
LINE = "#9EC0F2"
ARROW = "#5C9DF5"


def shadow():
    cx, cy, r = CLOCK

    def ellipse(x, y):
        return (math.hypot((x - cx) / 30.0, (y - 82.0) / 2.4) - 1) * 2.4

    return [Layer(ellipse, solid("#C9D6EA"), (cx - 40, 76, cx + 40, 88), 0.55, soft=2.5)]


def globe():
    cx, cy, r = GLOBE
    body = circle(cx, cy, r)
    grid = union(
        segment(cx, cy - r, cx, cy + r, 1.1),
        ellipse_line(cx, cy, r * 0.5, r, 1.1),
        ellipse_line(cx, cy, r * 0.87, r, 1.1),
        segment(cx - r, cy, cx + r, cy, 1.1),
        ellipse_line(cx, cy - r * 0.95, r * 0.86, r * 0.32, 1.1),
        ellipse_line(cx, cy + r * 0.95, r * 0.86, r * 0.32, 1.1),
    )
    box = around(cx, cy, r)
    layers = [
        Layer(body, radial("#F2F7FF", cx - 12, cy - 14, "#C7DBF8", r * 1.6), box),
        Layer(inside(grid, circle(cx, cy, r - 0.8)), solid(LINE), box),
        Layer(ring(cx, cy, r - 0.5, 1.4), solid("#86ACEA"), box),
    ]
    return layers + network(cx, cy, r)


def network(cx, cy, r):
    nodes = [(cx - r * 0.5, cy - r * 0.45), (cx - r * 0.15, cy + r * 0.5),
             (cx + r * 0.55, cy - r * 0.1)]
    layers = []
    for (ax, ay), (bx, by) in zip(nodes, nodes[1:] + nodes[:1]):
        link = segment(ax, ay, bx, by, 1.0)
        layers.append(Layer(link, solid("#6C9BE6"), (min(ax, bx) - 2, min(ay, by) - 2,
                                                      max(ax, bx) + 2, max(ay, by) + 2), 0.8))
    for x, y in nodes:
        layers.append(Layer(circle(x, y, 3.2), solid("#FFFFFF"), around(x, y, 3.2)))
        layers.append(Layer(circle(x, y, 2.2), solid("#2F6FDB"), around(x, y, 2.2)))
    return layers


def arrows():
    cx, cy, _ = CLOCK
    box = around(cx, cy, ARROW_R + 4)
    layers = []
    for start, end in ((28, 150), (208, 330)):
        layers.append(Layer(arc(cx, cy, ARROW_R, 7.0, start - 4, end + 8), solid("#FFFFFF"), box))
    for start, end in ((28, 150), (208, 330)):
        layers.append(Layer(arc(cx, cy, ARROW_R, 2.6, start, end), solid(ARROW), box))
        layers.append(Layer(arrow_head(cx, cy, ARROW_R, end, 4.6), solid(ARROW), box))
    return layers


def clock():
    cx, cy, r = CLOCK
    box = around(cx, cy, r + 4)
    face = r - 5
    layers = [
        Layer(circle(cx, cy, r + 3), solid("#FFFFFF"), box),
        Layer(circle(cx, cy, r), vertical("#4C92F4", cy - r, "#1446C4", cy + r), box),
        Layer(ring(cx, cy, r - 0.9, 1.0), solid("#7FB2FA"), box, 0.6),
        Layer(circle(cx, cy, face + 0.8), solid("#1A3F9E"), box),
        Layer(circle(cx, cy, face), vertical("#FFFFFF", cy - face, "#EEF4FE", cy + face), box),
    ]
    return layers + ticks(cx, cy, face) + hands(cx, cy)


def ticks(cx, cy, face):
    layers = []
    for hour in range(12):
        major = hour % 3 == 0
        length, width, colour = (5.0, 2.2, "#1D3F8F") if major else (3.0, 1.3, "#6F93D6")
        layers.append(Layer(hand(cx, cy, hour * 30, face - 1.8, width, -(face - 1.8 - length)),
                            solid(colour), around(cx, cy, face)))
    return layers


def hands(cx, cy):
    box = around(cx, cy, CLOCK[2])
    return [
        Layer(hand(cx, cy, 305, 14.5, 3.6, 2.5), solid(NAVY), box),
        Layer(hand(cx, cy, 60, 21.0, 2.6, 2.5), solid(NAVY), box),
        Layer(hand(cx, cy, 196, 22.0, 1.1, 6.0), solid("#3A86FF"), box),
        Layer(circle(cx, cy, 3.0), solid(NAVY), box),
        Layer(circle(cx, cy, 1.3), solid("#3A86FF"), box),
    ]


def picture():
    layers = shadow() + globe() + arrows() + clock()
    return render(WIDTH, HEIGHT, layers, 4, background=(1.0, 1.0, 1.0, 1.0))
