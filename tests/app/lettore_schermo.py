#!/usr/bin/env python3
"""The program as a screen reader meets it, through AT-SPI on a private X server and session bus.

The home screen and the plate viewer must be windows named as the program names them, each
holding its own controls and only while shown. Opens the thigh bone's caption on the skeleton
plate once by the structure's accessibility action and once by Enter; each time the caption must
be a dialog named after the structure, with its text readable and the keyboard in it, and Esc or
Tab must give the keyboard back to the structure. The print and copy dialogs must be dialogs named
"Drukuj" and "Kopiuj" with the keyboard in them, gone after Esc. Run by lettore_schermo.sh, which
starts the buses; exit 77 means no bus could start.
"""

import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

APP = sys.argv[1]
STRUTTURA = "Kość udowa"
OPIS = "najdłuższa i najmocniejsza kość człowieka"
# The window text of both full-screen forms.
FINESTRA = "Velto 2002"


def aspetta(condizione, cosa, secondi=20.0):
    fine = time.monotonic() + secondi
    while time.monotonic() < fine:
        try:
            valore = condizione()
        except AssertionError:
            raise
        except Exception:  # an object gone while it was read: ask again
            valore = None
        if valore:
            return valore
        time.sleep(0.2)
    raise AssertionError("not seen within %.0f s: %s" % (secondi, cosa))


def programma():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "hnemar":
            return app
    return None


@contextlib.contextmanager
def avviato(eseguibile):
    """The program started with a home of its own and accessibility on, as it appears on the
    accessibility bus; checked still running at the end, then ended and its home removed."""
    casa = tempfile.mkdtemp()
    ambiente = dict(os.environ, HOME=casa, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                    QT_QPA_PLATFORM="xcb", HNEMAR_SCALE="native")
    # The registry up before the program starts, so the program's announcement reaches it.
    aspetta(lambda: pyatspi.Registry.getDesktop(0) is not None, "the accessibility registry")
    processo = subprocess.Popen([eseguibile], env=ambiente)
    try:
        def arrivato():
            assert processo.poll() is None, "the program ended with %d" % processo.returncode
            return programma()
        yield aspetta(arrivato, "the program on the accessibility bus")
        assert processo.poll() is None, "the program ended"
    finally:
        processo.terminate()
        try:
            processo.wait(10)
        except subprocess.TimeoutExpired:
            processo.kill()
        shutil.rmtree(casa, ignore_errors=True)


def trova(radice, prova, solo_visibili=True):
    """The first object under radice (depth first) that passes prova."""
    pila = [radice]
    while pila:
        o = pila.pop()
        if o is None:
            continue
        try:
            stato = o.getState()
            if solo_visibili and not stato.contains(pyatspi.STATE_SHOWING) and o is not radice:
                continue
            if o is not radice and prova(o):
                return o
            pila.extend(reversed([o.getChildAtIndex(i) for i in range(o.childCount)]))
        except Exception:
            continue
    return None


def nominato(nome, ruolo=None):
    return lambda o: o.name == nome and (ruolo is None or o.getRole() == ruolo)


def fuoco(o):
    return o.getState().contains(pyatspi.STATE_FOCUSED)


def tasto(nome):
    subprocess.run(["xdotool", "key", nome], check=True)


def didascalia_letta(app):
    dialogo = aspetta(lambda: trova(app, nominato(STRUTTURA, pyatspi.ROLE_DIALOG)),
                      "the caption as a dialog named " + STRUTTURA)
    testo = aspetta(lambda: trova(dialogo, fuoco), "the keyboard inside the caption")
    contenuto = testo.queryText().getText(0, -1)
    assert OPIS in contenuto, contenuto
    return dialogo


def struttura_col_fuoco(app):
    def prova():
        s = trova(app, nominato(STRUTTURA, pyatspi.ROLE_PUSH_BUTTON))
        return s if s is not None and fuoco(s) else None
    return aspetta(prova, "the keyboard back on " + STRUTTURA)


def chiusa(app):
    return trova(app, nominato(STRUTTURA, pyatspi.ROLE_DIALOG)) is None


def antenati(o):
    """Roles and names from o up to the application, for a failure's message."""
    catena = []
    while o is not None:
        try:
            catena.append("%s '%s'" % (o.getRoleName(), o.name))
            o = o.parent
        except Exception:
            break
    return " < ".join(catena)


def forma_con(app, controllo):
    """The form holding the push button named controllo: a window (a frame, as AT-SPI calls
    one) named FINESTRA inside the program's own window on the desktop."""
    def prova():
        for f in tutti(app, nominato(FINESTRA, pyatspi.ROLE_FRAME)):
            if f.parent == app:
                continue
            if trova(f, nominato(controllo, pyatspi.ROLE_PUSH_BUTTON)) is not None:
                return f
        return None
    try:
        return aspetta(prova, "a window named %s holding %s" % (FINESTRA, controllo))
    except AssertionError as e:
        pulsante = trova(app, nominato(controllo, pyatspi.ROLE_PUSH_BUTTON))
        raise AssertionError("%s; seen: %s" % (e, antenati(pulsante))) from None


def tutti(radice, prova):
    """Every shown object under radice that passes prova."""
    trovati, pila = [], [radice]
    while pila:
        o = pila.pop()
        try:
            if o is not radice and not o.getState().contains(pyatspi.STATE_SHOWING):
                continue
            if o is not radice and prova(o):
                trovati.append(o)
            pila.extend(o.getChildAtIndex(i) for i in range(o.childCount))
        except Exception:
            continue
    return trovati


def dialogo_col_tasto(app, combinazione, nome):
    """Opens a dialog by its key: a dialog named nome with the keyboard on it or on one of its
    options, the only dialog shown, gone after Esc."""
    tasto(combinazione)
    dialogo = aspetta(lambda: trova(app, nominato(nome, pyatspi.ROLE_DIALOG)),
                      "a dialog named " + nome)
    try:
        aspetta(lambda: fuoco(dialogo) or trova(dialogo, fuoco), "the keyboard in " + nome)
    except AssertionError as e:
        altrove = trova(app, fuoco)
        raise AssertionError("%s; focused: %s" % (e, antenati(altrove) if altrove else "nothing")) \
            from None
    assert len(tutti(app, lambda o: o.getRole() == pyatspi.ROLE_DIALOG)) == 1, \
        "more than one dialog shown with " + nome
    tasto("Escape")
    aspetta(lambda: trova(app, nominato(nome, pyatspi.ROLE_DIALOG)) is None,
            nome + " closed by Esc")


def main():
    with avviato(APP) as app:
        # One window on the desktop, a frame named as the program names it.
        palco = aspetta(lambda: [app.getChildAtIndex(i) for i in range(app.childCount)],
                        "the program's window")
        assert [(o.getRole(), o.name) for o in palco] == [(pyatspi.ROLE_FRAME, FINESTRA)], \
            [(o.getRoleName(), o.name) for o in palco]
        scheletro = aspetta(lambda: trova(app, nominato("Szkielet", pyatspi.ROLE_PUSH_BUTTON)),
                            "the body system Szkielet")
        casa = forma_con(app, "Szkielet")
        scheletro.queryAction().doAction(0)
        femore = aspetta(lambda: trova(app, nominato(STRUTTURA, pyatspi.ROLE_PUSH_BUTTON)),
                         "the thigh bone on the skeleton plate")
        # The viewer is a window of its own, and the home screen it replaced is gone from view.
        visore = forma_con(app, STRUTTURA)
        aspetta(lambda: not casa.getState().contains(pyatspi.STATE_SHOWING),
                "the home screen hidden behind the viewer")
        assert trova(visore, nominato("Szkielet", pyatspi.ROLE_PUSH_BUTTON)) is None

        # By the accessibility action; Esc returns.
        femore.queryAction().doAction(0)
        didascalia_letta(app)
        tasto("Escape")
        aspetta(lambda: chiusa(app), "the caption closed by Esc")
        struttura_col_fuoco(app)

        # By Enter on the structure the keyboard is on; Tab returns.
        tasto("Return")
        didascalia_letta(app)
        tasto("Tab")
        aspetta(lambda: chiusa(app), "the caption closed by Tab")
        struttura_col_fuoco(app)

        dialogo_col_tasto(app, "ctrl+p", "Drukuj")
        struttura_col_fuoco(app)
        dialogo_col_tasto(app, "ctrl+shift+c", "Kopiuj")
        struttura_col_fuoco(app)
    print("forms, caption and dialogs read through AT-SPI: roles, names, focus in and back")
    return 0


if __name__ == "__main__":
    sys.exit(main())
