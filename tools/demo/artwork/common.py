"""Shared pieces of the atlas artwork: the anatomograms, the palette and placing a drawing."""

import anatomogram as A
import body

MALE = A.Anatomogram('male')
FEMALE = A.Anatomogram('female')
BRAIN = A.Anatomogram('brain')

SANS = 'DejaVu Sans'
SERIF = 'DejaVu Serif'
NARROW = 'Liberation Sans Narrow'

# One colour per body system, used on the home screen and on the plates alike.
COLOUR = {
    'SCHEL1': '#e9dfc4', 'muscava': '#c4554d', 'DIGER1': '#d98c3f', 'NERVOS': '#e0b42f',
    'CIRCOL': '#c8323c', 'LINFAT': '#4da36b', 'SENSO': '#3f8fc4', 'RESPIR': '#e38aa0',
    'urinari': '#c9a227', 'RIPROGEN': '#b0579c', 'ENDOC1': '#6a62c9', 'orecch': '#3f8fc4',
}

SKIN = 'fill:#f6efe8;stroke:none'
OUTLINE = 'fill:#b7aea5;stroke:none'


def organ(anat, ident, fill, stroke='#5a3a2a', w=0.12, opacity=1.0, extra=''):
    return anat.shape(ident, f'fill:{fill};stroke:{stroke};stroke-width:{w};opacity:{opacity}{extra}')


def figure(anat, inner, skin=SKIN, outline=OUTLINE):
    """A body: filled silhouette, what lies inside, then the outline drawn over it."""
    return A.silhouette(anat, skin) + inner + anat.outline(outline)


def fit(content, src, dst, ident=None):
    """Places content drawn in the box src = (x, y, w, h) centred in dst, keeping its proportions."""
    sx, sy, sw, sh = src
    dx, dy, dw, dh = dst
    k = min(dw / sw, dh / sh)
    tx = dx + (dw - sw * k) / 2 - sx * k
    ty = dy + (dh - sh * k) / 2 - sy * k
    i = f' id="{ident}"' if ident else ''
    return f'<g{i} transform="translate({tx:.3f},{ty:.3f}) scale({k:.5f})">{content}</g>'


def svg(width, height, content, defs=''):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">\n'
            f'<defs>{defs}</defs>\n{content}\n</svg>\n')


def text(x, y, s, size, fill='#1f2d3a', family=SANS, weight='normal', anchor='start', style='', ident=None):
    i = f' id="{ident}"' if ident else ''
    s = s.replace('&', '&amp;').replace('<', '&lt;')
    return (f'<text{i} x="{x:.1f}" y="{y:.1f}" font-family="{family}" font-size="{size}" font-weight="{weight}" '
            f'text-anchor="{anchor}" fill="{fill}"{" style=" + chr(34) + style + chr(34) if style else ""}>{s}</text>')


# Systems as small figures, each (drawing in anatomogram coordinates, its box there).
def system_figure(code):
    m, fm = MALE, FEMALE
    c = COLOUR[code]
    if code == 'SCHEL1':
        return figure(m, body.skeleton(w=0.3), skin='fill:#eef1f4;stroke:none'), (0, 0, 106, 195.4)
    if code == 'muscava':
        return figure(m, body.muscles(w=0.25)), (0, 0, 106, 195.4)
    if code == 'DIGER1':
        ids = ['UBERON_0001043', 'UBERON_0002107', 'UBERON_0000945', 'UBERON_0002110', 'UBERON_0001264',
               'UBERON_0002114', 'UBERON_0002108', 'UBERON_0001155', 'UBERON_0001153', 'UBERON_0001154',
               'UBERON_0001052', 'UBERON_0001044', 'UBERON_0001723']
        fills = {'UBERON_0002107': '#9c4a2f', 'UBERON_0002110': '#5f9e4a', 'UBERON_0001264': '#e8b64c',
                 'UBERON_0002108': '#e9a877', 'UBERON_0001155': '#c8743a'}
        return figure(m, ''.join(organ(m, i, fills.get(i, c)) for i in ids)), (0, 0, 106, 195.4)
    if code == 'NERVOS':
        inner = (organ(m, 'UBERON_0001021', c, stroke='none', w=0) + organ(m, 'UBERON_0000955', '#f0c66b')
                 + organ(m, 'UBERON_0002037', '#d9a23a') + organ(m, 'UBERON_0002240', '#e0a82a'))
        return figure(m, inner), (0, 0, 106, 195.4)
    if code == 'CIRCOL':
        veins = f'<g transform="translate(1.2,0.4)">{organ(m, "UBERON_0001981", "#3d5fa8", stroke="none", w=0)}</g>'
        inner = veins + organ(m, 'UBERON_0000178', c, stroke='none', w=0) + organ(m, 'UBERON_0000948', '#b3202c')
        return figure(m, inner), (0, 0, 106, 195.4)
    if code == 'LINFAT':
        vessels = f'<g transform="translate(-1,0.6)">{organ(m, "UBERON_0001981", "#8fcf9f", stroke="none", w=0, opacity=0.9)}</g>'
        inner = (vessels + organ(m, 'UBERON_0000029', c, stroke='#2c6b40', w=0.2) + organ(m, 'UBERON_0002106', '#6d4aa0')
                 + organ(m, 'UBERON_0002372', c))
        return figure(m, inner), (0, 0, 106, 195.4)
    if code == 'SENSO':
        inner = (organ(m, 'UBERON_0000970', '#3f8fc4') + organ(m, 'UBERON_0000004', '#e59a7e')
                 + organ(m, 'UBERON_0001723', '#d0606a') + ear_icon(61.6, 11, 0.75) + ear_icon(44.4, 11, -0.75))
        return figure(m, inner), (38, 0, 30, 27)
    if code == 'RESPIR':
        ids = ['UBERON_0002048', 'UBERON_0001103', 'UBERON_0003126', 'UBERON_0002185', 'UBERON_0000004',
               'UBERON_0001728', 'UBERON_0000341']
        fills = {'UBERON_0001103': '#b06070', 'UBERON_0003126': '#f2c2cd', 'UBERON_0002185': '#f2c2cd'}
        return figure(m, ''.join(organ(m, i, fills.get(i, c)) for i in ids)), (26, 0, 54, 72)
    if code == 'urinari':
        ureters = ('<path d="M45.5,77 C47,86 48,94 50.5,101 M60.5,77 C59,86 58,94 55.5,101" '
                   'style="fill:none;stroke:#a5811a;stroke-width:0.8"/>')
        inner = organ(m, 'UBERON_0002113', '#b5532f') + ureters + organ(m, 'UBERON_0001255', c)
        return figure(m, inner), (32, 62, 42, 46)
    if code == 'ENDOC1':
        ids = ['UBERON_0000007', 'UBERON_0002046', 'UBERON_0002369', 'UBERON_0001264', 'UBERON_0000992']
        return figure(fm, ''.join(organ(fm, i, c, stroke='#352d80', w=0.6) for i in ids)), (0, 0, 105.4, 194.7)
    raise KeyError(code)


def reproductive_figures():
    """Male and female pelvis side by side: (male, male box, female, female box)."""
    m, fm = MALE, FEMALE
    c = COLOUR['RIPROGEN']
    male = figure(m, ''.join(organ(m, i, c) for i in ['UBERON_0000998', 'UBERON_0002367', 'UBERON_0001000',
                                                      'UBERON_0000989', 'UBERON_0001301', 'UBERON_0000473']))
    female = figure(fm, ''.join(organ(fm, i, c) for i in ['UBERON_0000995', 'UBERON_0003889', 'UBERON_0000992',
                                                          'UBERON_0000002', 'UBERON_0000996']))
    return male, (33, 80, 40, 40), female, (33, 78, 40, 40)


def ear_icon(x, y, k, colour='#3f8fc4'):
    """An outer ear seen from the side, drawn for this atlas (the anatomograms have none)."""
    return (f'<g transform="translate({x},{y}) scale({k},{abs(k)})">'
            f'<path d="M0,-4 C2.6,-4.6 4,-2.4 3.6,0.2 C3.3,2.2 1.8,2.8 1.4,4.6 C1.1,5.8 -0.3,5.6 -0.4,4.4" '
            f'style="fill:{colour};stroke:#1f4d6e;stroke-width:0.35"/>'
            f'<path d="M0.6,-2.2 C2,-2.4 2.4,-0.6 1.4,0.6" style="fill:none;stroke:#1f4d6e;stroke-width:0.3"/></g>')


def crop(content, src, dst, frame=True):
    """Like fit, but cut to the box src: the drawing goes in as an embedded picture, since the
    renderer clips nothing else. It is drawn at its final pixel size, so it stays sharp. The frame
    is a thin rounded border around the box."""
    import base64
    sx, sy, sw, sh = src
    dx, dy, dw, dh = dst
    # The embedded picture is stretched to its box: widen the cut to the box's proportions.
    if sw / sh < dw / dh:
        nw = sh * dw / dh
        sx, sw = sx - (nw - sw) / 2, nw
    else:
        nh = sw * dh / dw
        sy, sh = sy - (nh - sh) / 2, nh
    inner = (f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
             f'width="{round(dw)}" height="{round(dh)}" viewBox="{sx} {sy} {sw} {sh}">{content}</svg>')
    data = base64.b64encode(inner.encode('utf-8')).decode('ascii')
    image = (f'<image x="{dx:.2f}" y="{dy:.2f}" width="{round(dw)}" height="{round(dh)}" '
             f'xlink:href="data:image/svg+xml;base64,{data}"/>')
    if not frame:
        return image
    return image + (f'<rect x="{dx:.2f}" y="{dy:.2f}" width="{round(dw)}" height="{round(dh)}" rx="3" '
                    f'style="fill:none;stroke:#d6cabb;stroke-width:1"/>')
