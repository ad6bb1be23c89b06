"""A magnifier mark: the spot on a plate that leads to a closer view."""


def lupa(ident, x, y, r=11, colour='#1f5a8c'):
    return (f'<g id="{ident}"><circle cx="{x}" cy="{y}" r="{r}" style="fill:#ffffff;fill-opacity:0.35;stroke:{colour};stroke-width:2.2"/>'
            f'<path d="M{x + r * 0.7:.1f},{y + r * 0.7:.1f} L{x + r * 1.45:.1f},{y + r * 1.45:.1f}" style="stroke:{colour};stroke-width:3.2;stroke-linecap:round"/>'
            f'<path d="M{x - r * 0.45:.1f},{y} H{x + r * 0.45:.1f} M{x},{y - r * 0.45:.1f} V{y + r * 0.45:.1f}" style="stroke:{colour};stroke-width:1.8"/></g>')
