"""Writes the atlas's generated artwork into data/demo (run after changing the drawings):
    python3 tools/demo/artwork/build.py"""

import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import home  # noqa: E402
import viewer  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'data', 'demo')


def write(rel, content):
    path = os.path.normpath(os.path.join(ROOT, rel))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8') as f:
        f.write(content)


if __name__ == '__main__':
    write('prefix/drive_d/SFONDI/sistemi.bmp.svg', home.build())
    write('prefix/drive_d/SFONDI/schelet.bmp.svg', viewer.build())
