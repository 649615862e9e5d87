"""The window and notification-area icon: a blue-rimmed clock at 10:10.

The dial is drawn once per size with strokes tuned to that size, then reduced
to a 16-entry palette of blues and blue-greys, so the anti-aliased steps inside
the dial survive the 4-bit format. The dark rim keeps the silhouette visible on
light task bars, the white face on dark ones.
"""

from raster import Layer, arc, around, arrow_head, circle, hand, render, solid, vertical

PALETTE = [
    (0x00, 0x00, 0x00),  # transparent pixels' XOR colour
    (0x0B, 0x24, 0x66),  # rim and hands
    (0x14, 0x34, 0x8F),
    (0x1F, 0x55, 0xC8),
    (0x2A, 0x6B, 0xE0),
    (0x3E, 0x86, 0xF0),
    (0x5C, 0x9B, 0xF5),
    (0x7F, 0xAE, 0xF0),
    (0xBC, 0xD4, 0xF7),
    (0xE8, 0xF0, 0xFC),
    (0xFF, 0xFF, 0xFF),  # face
    (0x4E, 0x5F, 0x8C),  # hand edges on the face
    (0x8D, 0x98, 0xB8),
    (0xC4, 0xCA, 0xDB),
    (0xF0, 0x5A, 0x28),  # the sync arrow's accent
    (0xF7, 0xB4, 0x9A),
]

NAVY = "#0B2466"


def dial(c, rim, bezel, face, ticks, hands):
    """Layers of one dial centred at (c, c); sizes in pixels of that icon."""
    tick_in, tick_w = ticks
    hour_len, minute_len, hand_w = hands
    layers = [
        Layer(circle(c, c, rim), solid(NAVY), around(c, c, rim)),
        Layer(circle(c, c, bezel), vertical("#4A90F5", c - bezel, "#1246C2", c + bezel),
              around(c, c, bezel)),
        Layer(circle(c, c, face + 0.6), solid("#143A9E"), around(c, c, face + 0.6)),
        Layer(circle(c, c, face), solid("#FFFFFF"), around(c, c, face)),
    ]
    for angle in (0, 90, 180, 270):
        layers.append(Layer(hand(c, c, angle, face - 0.4, tick_w, -tick_in), solid(NAVY),
                            around(c, c, face)))
    layers += [
        Layer(hand(c, c, 302, hour_len, hand_w * 1.45, 0.0), solid(NAVY), around(c, c, face)),
        Layer(hand(c, c, 60, minute_len, hand_w, 0.0), solid(NAVY), around(c, c, face)),
        Layer(circle(c, c, hand_w * 0.95), solid(NAVY), around(c, c, 3)),
    ]
    return layers


def sync_badge(c, r):
    """A white circular arrow on an orange disc: the accent that says 'sync'."""
    return [
        Layer(circle(c, c, r + 1.0), solid("#FFFFFF"), around(c, c, r + 1.0)),
        Layer(circle(c, c, r), solid("#F05A28"), around(c, c, r)),
        Layer(arc(c, c, r * 0.5, 1.5, 90, 330), solid("#FFFFFF"), around(c, c, r)),
        Layer(arrow_head(c, c, r * 0.5, 330, 3.4), solid("#FFFFFF"), around(c, c, r)),
    ]


def icon_32():
    layers = dial(16, 15.4, 14.4, 11.2, (7.6, 2.0), (5.8, 9.2, 2.2)) + sync_badge(24.8, 6.4)
    return render(32, 32, layers, 8)


# At 16 pixels a rendered dial turns to mush, so this size is drawn by hand:
# a 15-pixel disc centred on pixel (7, 7) whose hands keep to the pixel
# grid (ten o'clock), and no badge (the notification area shows only this one).
ICON_16 = [
    ".....NNNNN......",
    "...NNcccccNN....",
    "..NcccccccccN...",
    ".NcbbWWhWWbbbN..",
    ".NbbWWWnWWWbbN..",
    "NbbWWnhnWWWWbbN.",
    "NbbWWhnnWWWWbbN.",
    "NaanWWWnWWWnaaN.",
    "NaaWWWWWWWWWaaN.",
    "NaaWWWWWWWWWaaN.",
    ".NddWWWWWWWddN..",
    ".NdddWWnWWdddN..",
    "..NdddddddddN...",
    "...NNdddddNN....",
    ".....NNNNN......",
    "................",
]

LETTERS = {"N": 1, "n": 1, "d": 3, "a": 4, "b": 5, "c": 6, "W": 10, "g": 12, "h": 13}


def icon_16():
    """Rows of (r, g, b, a) like `render` gives, from the hand-drawn grid."""
    rows = []
    for line in ICON_16:
        row = []
        for letter in line:
            if letter == ".":
                row.append((0.0, 0.0, 0.0, 0.0))
            else:
                r, g, b = PALETTE[LETTERS[letter]]
                row.append((r / 255, g / 255, b / 255, 1.0))
        rows.append(row)
    return rows
