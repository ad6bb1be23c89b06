#include "Contenuti.h"

#include <QHash>

namespace hn::winhelp {

namespace {
constexpr int ProfonditaMassima = 9;
}

Contenuti leggiContenuti(const QString& testo) {
    Contenuti c;
    QList<QList<VoceContenuti>*> pila{&c.voci};
    const QStringList righe = testo.split(u'\n');
    for (QString riga : righe) {
        riga = riga.trimmed();
        if (riga.isEmpty() || riga.startsWith(u';'))
            continue;
        if (riga.startsWith(u':')) {
            const qsizetype spazio = riga.indexOf(u' ');
            const QString comando = riga.left(spazio).toLower();
            const QString valore = spazio > 0 ? riga.mid(spazio + 1).trimmed() : QString();
            if (comando == u":base")
                c.base = valore;
            else if (comando == u":title")
                c.titolo = valore;
            continue;
        }
        qsizetype i = 0;
        while (i < riga.size() && riga[i].isDigit())
            ++i;
        if (i == 0)
            continue;
        VoceContenuti v;
        v.livello = std::clamp(riga.left(std::min<qsizetype>(i, 3)).toInt(), 1, ProfonditaMassima);
        const QString resto = riga.mid(i).trimmed();
        const qsizetype uguale = resto.indexOf(u'=');
        if (uguale < 0) {
            v.testo = resto;
        } else {
            v.testo = resto.left(uguale).trimmed();
            QString bersaglio = resto.mid(uguale + 1).trimmed();
            const qsizetype maggiore = bersaglio.indexOf(u'>');
            if (maggiore >= 0) {
                v.finestra = bersaglio.mid(maggiore + 1);
                bersaglio.truncate(maggiore);
            }
            const qsizetype chiocciola = bersaglio.indexOf(u'@');
            if (chiocciola >= 0) {
                v.file = bersaglio.mid(chiocciola + 1);
                bersaglio.truncate(chiocciola);
            }
            v.contesto = bersaglio.trimmed();
        }
        // A level deeper than the open headings hangs under the last one there is.
        while (pila.size() > v.livello)
            pila.removeLast();
        while (pila.size() < v.livello && !pila.last()->isEmpty())
            pila.append(&pila.last()->last().figli);
        pila.last()->append(v);
    }
    return c;
}

QList<ChiamataMacro> leggiMacro(const QString& testo) {
    QList<ChiamataMacro> chiamate;
    qsizetype i = 0;
    const qsizetype n = testo.size();
    auto spazi = [&] {
        while (i < n && testo[i].isSpace())
            ++i;
    };
    while (true) {
        spazi();
        if (i >= n)
            break;
        ChiamataMacro c;
        while (i < n && (testo[i].isLetterOrNumber() || testo[i] == u'_'))
            c.nome += testo[i++];
        spazi();
        if (c.nome.isEmpty())
            break;
        if (i < n && testo[i] == u'(') {
            ++i;
            while (true) {
                spazi();
                if (i >= n)
                    return chiamate;
                if (testo[i] == u')') {
                    ++i;
                    break;
                }
                QString arg;
                if (testo[i] == u'"' || testo[i] == u'`') {
                    const QChar chiusura = testo[i] == u'"' ? u'"' : u'\'';
                    ++i;
                    int profondita = 0;
                    while (i < n && !(testo[i] == chiusura && profondita == 0)) {
                        if (chiusura == u'\'' && testo[i] == u'`')
                            ++profondita;
                        else if (chiusura == u'\'' && testo[i] == u'\'')
                            --profondita;
                        arg += testo[i++];
                    }
                    if (i >= n)
                        return chiamate;
                    ++i;
                } else {
                    int parentesi = 0;
                    while (i < n && !((testo[i] == u',' || testo[i] == u')') && parentesi == 0)) {
                        if (testo[i] == u'(')
                            ++parentesi;
                        else if (testo[i] == u')')
                            --parentesi;
                        arg += testo[i++];
                    }
                    arg = arg.trimmed();
                }
                c.argomenti.append(arg);
                spazi();
                if (i < n && testo[i] == u',')
                    ++i;
            }
        }
        chiamate.append(c);
        spazi();
        if (i < n && (testo[i] == u';' || testo[i] == u':'))
            ++i;
        else if (i < n)
            break;
    }
    return chiamate;
}

QString nomeMacro(const QString& nome) {
    static const QHash<QString, QString> nomi = [] {
        QHash<QString, QString> h;
        const char* coppie[][2] = {{"ji", "JumpId"},
                                   {"jumpid", "JumpId"},
                                   {"jc", "JumpContext"},
                                   {"jumpcontext", "JumpContext"},
                                   {"jk", "JumpKeyword"},
                                   {"jumpkeyword", "JumpKeyword"},
                                   {"jh", "JumpHash"},
                                   {"jumphash", "JumpHash"},
                                   {"jumpcontents", "JumpContents"},
                                   {"pi", "PopupId"},
                                   {"popupid", "PopupId"},
                                   {"pc", "PopupContext"},
                                   {"popupcontext", "PopupContext"},
                                   {"popuphash", "PopupHash"},
                                   {"contents", "Contents"},
                                   {"back", "Back"},
                                   {"history", "History"},
                                   {"search", "Search"},
                                   {"find", "Find"},
                                   {"print", "Print"},
                                   {"copytopic", "CopyTopic"},
                                   {"exit", "Exit"},
                                   {"prev", "Prev"},
                                   {"next", "Next"},
                                   {"browsebuttons", "BrowseButtons"},
                                   {"cb", "CreateButton"},
                                   {"createbutton", "CreateButton"},
                                   {"db", "DisableButton"},
                                   {"disablebutton", "DisableButton"},
                                   {"eb", "EnableButton"},
                                   {"enablebutton", "EnableButton"},
                                   {"cbb", "ChangeButtonBinding"},
                                   {"changebuttonbinding", "ChangeButtonBinding"},
                                   {"destroybutton", "DestroyButton"},
                                   {"ep", "ExecProgram"},
                                   {"execprogram", "ExecProgram"},
                                   {"ef", "ExecFile"},
                                   {"execfile", "ExecFile"},
                                   {"rr", "RegisterRoutine"},
                                   {"registerroutine", "RegisterRoutine"},
                                   {"shellexecute", "ShellExecute"},
                                   {"se", "ShellExecute"},
                                   {"ali", "ALink"},
                                   {"alink", "ALink"},
                                   {"kl", "KLink"},
                                   {"klink", "KLink"}};
        for (const auto& c : coppie)
            h.insert(QString::fromLatin1(c[0]), QString::fromLatin1(c[1]));
        return h;
    }();
    return nomi.value(nome.toLower(), nome);
}

} // namespace hn::winhelp
