#!/usr/bin/env python3
"""Regenerates res/Chronalign.ico and res/picture.bmp from this folder's scenes.

The outputs are committed so the build needs no image tools; run this after
changing a scene. `--check` regenerates in memory and fails when a committed
file differs, which catches a hand-edited or stale image.
"""

import pathlib
import sys

# Keep the source folder free of caches that nobody commits.
sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import formats  # noqa: E402
import icon  # noqa: E402
import picture  # noqa: E402

RES = pathlib.Path(__file__).resolve().parent.parent


def build():
    images = [
        (32, 32, formats.icon_image_4bit(icon.icon_32(), icon.PALETTE)),
        (16, 16, formats.icon_image_4bit(icon.icon_16(), icon.PALETTE)),
    ]
    return {
        "Chronalign.ico": formats.ico(images),
        "picture.bmp": formats.bmp_24(picture.picture()),
    }


def main(argv):
    outputs = build()
    if "--check" in argv:
        stale = [name for name, data in outputs.items() if (RES / name).read_bytes() != data]
        for name in stale:
            print(f"res/{name} differs from what res/art generates", file=sys.stderr)
        return 1 if stale else 0
    for name, data in outputs.items():
        (RES / name).write_bytes(data)
        print(f"wrote res/{name} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
