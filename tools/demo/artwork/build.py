"""Writes the atlas's generated artwork into data/demo (run after changing the drawings):
    python3 tools/demo/artwork/build.py
The backgrounds go under prefix/, the plates to atlante/tavole/ and their hotspots (one row per
labelled structure, the header row first) to atlante/hotspot.tsv."""

import importlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import home  # noqa: E402
import viewer  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'data', 'demo')
# Body systems in the order of the home screen's code table; the ear comes last.
MODULES = ['skeleton_plates', 'muscle_plates', 'digestive_plates', 'nervous_plates', 'circulatory_plates',
           'lymph_plates', 'senses_plates', 'organs_plates']


def write(rel, content):
    path = os.path.normpath(os.path.join(ROOT, rel))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8') as f:
        f.write(content)


if __name__ == '__main__':
    write('prefix/drive_d/SFONDI/sistemi.bmp.svg', home.build())
    write('prefix/drive_d/SFONDI/schelet.bmp.svg', viewer.build())
    seen = {}
    rows = ['# plate\tcode\tlink\tshapes\tlabel\ttext  (written by tools/demo/artwork/build.py)']
    for name in MODULES:
        for make in importlib.import_module(name).PLATES:
            plate = make()
            write(f'atlante/tavole/{plate.key}.svg', plate.svg())
            for r in plate.rows()[1:]:
                # A caption is named by its code alone: two spots with one code share a text.
                assert r[1] not in seen, f'{r[1]} used on {seen.get(r[1])} and {plate.key}'
                seen[r[1]] = plate.key
            rows.extend('\t'.join(r) for r in plate.rows())
    write('atlante/hotspot.tsv', '\n'.join(rows) + '\n')
