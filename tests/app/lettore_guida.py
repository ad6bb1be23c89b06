#!/usr/bin/env python3
"""The help window as a screen reader meets it, through AT-SPI on a private X server and bus.

F1 on the home screen opens the help: a window named after the help's title holding the contents
list, the topic's text and its links; on the page of the body systems every hotspot of the
picture is a link named after where it leads, a Press on one follows it, and Tab brings the
keyboard to links that the reader names. Run by lettore_schermo.sh, which starts the buses.
"""

import sys

import pyatspi

from lettore_schermo import aspetta, avviato, fuoco, tasto, trova

APP = sys.argv[1]
TITOLO = "Atlas anatomii człowieka – pomoc"
UKLADY = ["Szkielet", "Mięśnie", "Trawienie", "Nerwy", "Krążenie", "Limfa", "Zmysły",
          "Oddychanie", "Wydalanie", "Rozród", "Hormony"]


def testo_di(finestra):
    t = trova(finestra, lambda o: o.name == "Tekst tematu")
    return t.queryText().getText(0, -1) if t is not None else ""


def link(finestra, nome):
    return trova(finestra, lambda o: o.getRole() == pyatspi.ROLE_LINK and o.name == nome)


def main():
    with avviato(APP) as app:
        aspetta(lambda: trova(app, lambda o: o.name == "Szkielet"), "the home screen")
        tasto("F1")
        ruoli = (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_WINDOW)
        try:
            finestra = aspetta(lambda: trova(app, lambda o: o.name == TITOLO and
                                             o.getRole() in ruoli), "a window named " + TITOLO)
        except AssertionError:
            finestre = [(c.name, c.getRoleName()) for c in app if c is not None]
            raise AssertionError("no help window; the program's windows: %s" % finestre)
        albero = aspetta(lambda: trova(finestra, lambda o: o.name == "Spis treści" and o.getRole()
                                       in (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE)),
                         "the contents list")
        assert albero.childCount > 0, "the contents list is empty"
        aspetta(lambda: "Ekran główny" in testo_di(finestra), "the contents topic's text")
        assert link(finestra, "Ekran główny") is not None, "the contents topic's links"

        # Along the browse sequence to the page of the body systems.
        avanti = trova(finestra, lambda o: o.name == "Następny temat")
        assert avanti is not None, "the » button by its name"
        for _ in range(30):
            if "Tak wygląda ekran główny" in testo_di(finestra):
                break
            prima = testo_di(finestra)
            avanti.queryAction().doAction(0)
            aspetta(lambda: testo_di(finestra) != prima, "the next topic after »")
        try:
            aspetta(lambda: all(link(finestra, n) for n in UKLADY),
                    "every hotspot of the picture as a named link")
        except AssertionError:
            nomi = []
            trova(finestra, lambda o: o.getRole() == pyatspi.ROLE_LINK and nomi.append(
                (o.name, o.getState().contains(pyatspi.STATE_SHOWING))), False)
            raise AssertionError("links seen: %s; text: %s" % (nomi, testo_di(finestra)[:80]))

        # The keyboard reaches links, and the reader is told which.
        def fuoco_su_link():
            tasto("Tab")
            f = trova(finestra, fuoco)
            return f if f is not None and f.getRole() == pyatspi.ROLE_LINK and f.name else None
        raggiunto = aspetta(fuoco_su_link, "Tab on a named link", 30)
        print("Tab reached the link", raggiunto.name)

        link(finestra, "Szkielet").queryAction().doAction(0)
        aspetta(lambda: "Układ kostny" in testo_di(finestra), "the skeleton's topic after a Press")
    print("help read through AT-SPI: window, contents, text, links and hotspots")
    return 0


if __name__ == "__main__":
    sys.exit(main())
