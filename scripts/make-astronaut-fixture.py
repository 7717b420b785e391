#!/usr/bin/python3
"""Writes the photograph fixture of the cross-build picture test once: the astronaut photograph of
Debian's python3-skimage data, cropped to 333 x 257 pixels at (50, 60), as a binary PPM.
Usage: make-astronaut-fixture.py [OUTPUT.ppm]   (default tests/generate/data/astronaut_333x257.ppm;
needs python3-skimage and python3-pil, which the tests themselves do not)"""
import os
import sys

from PIL import Image

SOURCE = '/usr/lib/python3/dist-packages/skimage/data/astronaut.png'
LEFT, TOP, WIDTH, HEIGHT = 50, 60, 333, 257

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), '..', 'tests', 'generate', 'data', 'astronaut_333x257.ppm')
image = Image.open(SOURCE).convert('RGB').crop((LEFT, TOP, LEFT + WIDTH, TOP + HEIGHT))
os.makedirs(os.path.dirname(out), exist_ok=True)
with open(out, 'wb') as f:
    f.write(b'P6\n%d %d\n255\n' % (WIDTH, HEIGHT))
    f.write(image.tobytes())
