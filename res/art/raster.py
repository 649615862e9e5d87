"""A tiny anti-aliased rasteriser over signed distance functions.

Each shape is a signed distance (negative inside, in output pixels). A scene is
an ordered list of layers painted over a background; every output pixel is the
average of S x S sub-samples, and each sub-sample gets a coverage ramp one
sub-sample wide, so edges come out smooth at any size without an image library.
Only the standard library is used, and no randomness, so the output is the same
on every run and every machine with IEEE doubles.
"""

import math


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hex_rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


# --- shapes: functions (x, y) -> signed distance ---------------------------


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def segment(ax, ay, bx, by, width):
    """A stroke with round caps from (ax, ay) to (bx, by)."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-12

    def dist(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2

    return dist


def polar(cx, cy, r, angle):
    """The point at clock angle `angle` (degrees clockwise from 12 o'clock)."""
    a = math.radians(angle)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def hand(cx, cy, angle, length, width, tail=0.0):
    ax, ay = polar(cx, cy, -tail, angle)
    bx, by = polar(cx, cy, length, angle)
    return segment(ax, ay, bx, by, width)


def arc(cx, cy, r, width, start, end):
    """A round-capped stroke along the circle from clock angle start to end."""
    sx, sy = polar(cx, cy, r, start)
    ex, ey = polar(cx, cy, r, end)
    span = (end - start) % 360

    def dist(x, y):
        angle = math.degrees(math.atan2(x - cx, cy - y))
        if (angle - start) % 360 <= span:
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(math.hypot(x - sx, y - sy), math.hypot(x - ex, y - ey)) - width / 2

    return dist


def polygon(points):
    """A convex polygon given clockwise on screen (y down)."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        length = math.hypot(bx - ax, by - ay)
        edges.append((ax, ay, (by - ay) / length, -(bx - ax) / length))

    def dist(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)

    return dist


def arrow_head(cx, cy, r, angle, size, clockwise=True):
    """A triangle at clock angle `angle` on the circle, pointing along it."""
    step = 1 if clockwise else -1
    tip = polar(cx, cy, r, angle + step * size * 0.9 / r * 180 / math.pi)
    outer = polar(cx, cy, r + size * 0.75, angle)
    inner = polar(cx, cy, r - size * 0.75, angle)
    points = [tip, inner, outer] if clockwise else [tip, outer, inner]
    return polygon(points)


def ellipse_line(cx, cy, rx, ry, width):
    """The outline of an axis-aligned ellipse (first-order distance)."""

    def dist(x, y):
        u, v = (x - cx) / rx, (y - cy) / ry
        q = math.hypot(u, v) or 1e-12
        grad = math.hypot(u / rx, v / ry) / q or 1e-12
        return abs(q - 1) / grad - width / 2

    return dist


def inside(shape, clip):
    return lambda x, y: max(shape(x, y), clip(x, y))


def outside(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


# --- paints: functions (x, y) -> rgb -----------------------------------------


def solid(color):
    rgb = hex_rgb(color) if isinstance(color, str) else color
    return lambda x, y: rgb


def vertical(top, y0, bottom, y1):
    a, b = hex_rgb(top), hex_rgb(bottom)
    return lambda x, y: mix(a, b, clamp((y - y0) / (y1 - y0)))


def radial(inner, cx, cy, outer, r):
    a, b = hex_rgb(inner), hex_rgb(outer)
    return lambda x, y: mix(a, b, clamp(math.hypot(x - cx, y - cy) / r))


# --- layers and rendering ----------------------------------------------------


class Layer:
    """A shape painted with a paint at an opacity; `soft` widens its edge."""

    def __init__(self, shape, paint, bbox, opacity=1.0, soft=0.0):
        self.shape, self.paint, self.opacity, self.soft = shape, paint, opacity, soft
        self.bbox = bbox

    def covers(self, x, y):
        x0, y0, x1, y1 = self.bbox
        return x0 <= x <= x1 and y0 <= y <= y1


def around(cx, cy, r, margin=1.5):
    return (cx - r - margin, cy - r - margin, cx + r + margin, cy + r + margin)


def render(width, height, layers, samples, background=(1.0, 1.0, 1.0, 0.0)):
    """Rows of (r, g, b, a) in 0..1, top row first, colours not premultiplied."""
    edge = 1.0 / samples
    offsets = [(i + 0.5) / samples for i in range(samples)]
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for oy in offsets:
                for ox in offsets:
                    r, g, b, a = sample(layers, px + ox, py + oy, edge, background)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            row.append(unpremultiply(acc, samples * samples))
        rows.append(row)
    return rows


def sample(layers, x, y, edge, background):
    r, g, b, a = background
    for layer in layers:
        if not layer.covers(x, y):
            continue
        width = max(edge, layer.soft)
        cover = clamp(0.5 - layer.shape(x, y) / width) * layer.opacity
        if cover <= 0.0:
            continue
        lr, lg, lb = layer.paint(x, y)
        out_a = cover + a * (1 - cover)
        keep = a * (1 - cover) / out_a
        r, g, b = lr * (1 - keep) + r * keep, lg * (1 - keep) + g * keep, lb * (1 - keep) + b * keep
        a = out_a
    return r, g, b, a


def unpremultiply(acc, count):
    alpha = acc[3] / count
    if alpha <= 0.0:
        return (0.0, 0.0, 0.0, 0.0)
    return (acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], alpha)
