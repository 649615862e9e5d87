"""Writers for the two Windows image formats the resource script embeds.

Both are produced byte by byte with `struct`, little-endian, bottom-up rows
padded to four bytes, exactly as the resource compiler copies them.
"""

import struct


def to_byte(v):
    return max(0, min(255, int(round(v * 255))))


def bmp_24(rows):
    """A 24-bit BMP file from rows of (r, g, b, a) drawn over white."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            # Flatten onto white: the picture sits on the white window.
            line += bytes(to_byte(c * a + (1 - a)) for c in (b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def nearest(palette, rgb):
    """The palette index closest to rgb, weighting green as the eye does."""
    best, best_d = 0, None
    for i, (pr, pg, pb) in enumerate(palette):
        d = 3 * (pr - rgb[0]) ** 2 + 4 * (pg - rgb[1]) ** 2 + 2 * (pb - rgb[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def icon_image_4bit(rows, palette):
    """One 4-bit icon image (header, palette, XOR and AND bitmaps).

    A pixel at least half covered is opaque and takes the nearest palette
    colour of its own (unblended) colour; the rest are transparent, with index
    0 (black) in the XOR bitmap so the AND mask alone shows the background.
    """
    assert len(palette) == 16 and palette[0] == (0, 0, 0)
    height, width = len(rows), len(rows[0])
    xor_stride, and_stride = ((width + 1) // 2 + 3) & ~3, ((width + 7) // 8 + 3) & ~3
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):
        indices, bits = [], []
        for r, g, b, a in row:
            opaque = a >= 0.5
            rgb = (to_byte(r), to_byte(g), to_byte(b))
            indices.append(nearest(palette, rgb) if opaque else 0)
            bits.append(0 if opaque else 1)
        xor += pack_nibbles(indices, xor_stride)
        mask += pack_bits(bits, and_stride)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(xor) + len(mask),
                       0, 0, 16, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return info + colours + bytes(xor) + bytes(mask)


def pack_nibbles(indices, stride):
    out = bytearray()
    for i in range(0, len(indices), 2):
        low = indices[i + 1] if i + 1 < len(indices) else 0
        out.append((indices[i] << 4) | low)
    return out + bytes(stride - len(out))


def pack_bits(bits, stride):
    out = bytearray()
    for i in range(0, len(bits), 8):
        byte = 0
        for j, bit in enumerate(bits[i:i + 8]):
            byte |= bit << (7 - j)
        out.append(byte)
    return out + bytes(stride - len(out))


def ico(images):
    """An .ico file from (width, height, image bytes) entries, 16 colours each."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for width, height, image in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(image),
                               offset + len(data))
        data += image
    return directory + entries + data
