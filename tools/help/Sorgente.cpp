#include "Sorgente.h"

#include "ErroreVB.h"
#include "FileSicuro.h"

#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

namespace hn::help {

namespace {

using winhelp::ArgomentoNuovo;
using winhelp::ParagrafoNuovo;
using winhelp::PezzoNuovo;

enum Font { Normale, Corsivo, Grassetto, Titolo, GrassettoCorsivo, Sottotitolo };

constexpr qint64 SorgenteMassima = 16 * 1024 * 1024;

QString entita(const QString& s) {
    static const QRegularExpression re(QStringLiteral("&(#x?[0-9a-fA-F]+|[a-z]+);"));
    QString out;
    qsizetype da = 0;
    for (auto it = re.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        out += s.mid(da, m.capturedStart() - da);
        const QString e = m.captured(1);
        if (e.startsWith(u"#x"))
            out += QChar(e.mid(2).toUInt(nullptr, 16));
        else if (e.startsWith(u'#'))
            out += QChar(e.mid(1).toUInt());
        else if (e == u"amp")
            out += u'&';
        else if (e == u"lt")
            out += u'<';
        else if (e == u"gt")
            out += u'>';
        else if (e == u"quot")
            out += u'"';
        else if (e == u"nbsp")
            out += QChar(0xA0);
        else
            out += m.captured(0);
        da = m.capturedEnd();
    }
    return out + s.mid(da);
}

QString attributo(const QString& tag, const QString& nome) {
    const QRegularExpression re(
        QStringLiteral("\\b%1\\s*=\\s*(\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(nome),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(tag);
    if (!m.hasMatch())
        return {};
    for (int i = 2; i <= 4; ++i)
        if (m.capturedStart(i) >= 0)
            return entita(m.captured(i));
    return {};
}

// One page of the subset read into topics.
class Pagina {
public:
    Pagina(Progetto& p, const QString& cartella)
        : p_(p)
        , cartella_(cartella) {}

    bool leggi(const QString& html, QString& problema) {
        static const QRegularExpression token(QStringLiteral("<[^>]*>|[^<]+"));
        for (auto it = token.globalMatch(html); it.hasNext();) {
            const QString t = it.next().captured(0);
            if (!t.startsWith(u'<')) {
                testo(entita(t));
                continue;
            }
            if (t.startsWith(u"<!"))
                continue;
            const bool chiude = t.startsWith(u"</");
            static const QRegularExpression nomeTag(QStringLiteral("^</?\\s*([a-zA-Z0-9]+)"));
            const QString nome = nomeTag.match(t).captured(1).toLower();
            if (!tag(nome, t, chiude, problema))
                return false;
        }
        chiudiParagrafo();
        return true;
    }

private:
    ArgomentoNuovo* argomento() {
        return p_.guida.argomenti.isEmpty() ? nullptr : &p_.guida.argomenti.last();
    }

    void testo(const QString& t) {
        if (inTitolo_) {
            titolo_ += t;
            return;
        }
        if (inMappa_ || !argomento() || saltaTesto_)
            return;
        QString s = t;
        s.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
        if (!aperto_) {
            s = s.trimmed().isEmpty() ? QString() : s;
            while (s.startsWith(u' '))
                s.remove(0, 1);
            if (s.isEmpty())
                return;
            apriParagrafo();
        }
        PezzoNuovo pz;
        pz.testo = s;
        pz.font = corsivo_ && grassetto_ ? GrassettoCorsivo
                  : corsivo_             ? Corsivo
                  : grassetto_           ? Grassetto
                                         : Normale;
        pz.salto = salto_;
        corrente_.pezzi.append(pz);
    }

    void apriParagrafo() {
        aperto_ = true;
        corrente_ = ParagrafoNuovo();
        if (!liste_.isEmpty()) {
            corrente_.rientro = 20 * int(liste_.size());
            PezzoNuovo segno;
            segno.testo = liste_.last() > 0 ? QStringLiteral("%1. ").arg(liste_.last()++)
                                            : QStringLiteral("• ");
            corrente_.pezzi.append(segno);
        }
    }

    void chiudiParagrafo() {
        if (!aperto_)
            return;
        aperto_ = false;
        while (!corrente_.pezzi.isEmpty() && corrente_.pezzi.last().tipo == PezzoNuovo::Testo &&
               corrente_.pezzi.last().testo.trimmed().isEmpty())
            corrente_.pezzi.removeLast();
        if (!corrente_.pezzi.isEmpty() && corrente_.pezzi.last().tipo == PezzoNuovo::Testo)
            corrente_.pezzi.last().testo = corrente_.pezzi.last().testo.trimmed();
        if (!corrente_.pezzi.isEmpty() && argomento())
            argomento()->paragrafi.append(corrente_);
    }

    void nuovoArgomento(const QString& contesto, int livello) {
        chiudiParagrafo();
        ArgomentoNuovo a;
        a.contesto = contesto;
        p_.guida.argomenti.append(a);
        livelli_.append(livello);
        inTitolo_ = true;
        titolo_.clear();
    }

    bool tag(const QString& nome, const QString& t, bool chiude, QString& problema) {
        if (nome == u"title" || nome == u"head" || nome == u"style" || nome == u"script") {
            saltaTesto_ = !chiude;
            return true;
        }
        if (nome == u"h1" || nome == u"h2" || nome == u"h3") {
            if (!chiude) {
                QString id = attributo(t, QStringLiteral("id"));
                if (nome == u"h1")
                    id = QStringLiteral("spis");
                if (id.isEmpty()) {
                    // A heading without id stays inside its topic, in bold.
                    chiudiParagrafo();
                    apriParagrafo();
                    grassetto_ = true;
                    return true;
                }
                nuovoArgomento(id, nome == u"h3" ? 2 : 1);
            } else if (inTitolo_) {
                inTitolo_ = false;
                ArgomentoNuovo* a = argomento();
                a->titolo = titolo_.simplified();
                ParagrafoNuovo intestazione;
                intestazione.nonScorrevole = true;
                PezzoNuovo pz;
                pz.testo = a->titolo;
                pz.font = Titolo;
                intestazione.pezzi.append(pz);
                a->paragrafi.append(intestazione);
            } else {
                grassetto_ = false;
                chiudiParagrafo();
            }
            return true;
        }
        if (nome == u"p" || nome == u"div") {
            chiudiParagrafo();
            return true;
        }
        if (nome == u"ol" || nome == u"ul") {
            chiudiParagrafo();
            if (chiude) {
                if (!liste_.isEmpty())
                    liste_.removeLast();
            } else {
                liste_.append(nome == u"ol" ? 1 : 0);
            }
            return true;
        }
        if (nome == u"li") {
            chiudiParagrafo();
            if (!chiude && argomento())
                apriParagrafo();
            return true;
        }
        if (nome == u"br") {
            if (aperto_) {
                PezzoNuovo a;
                a.tipo = PezzoNuovo::ACapo;
                corrente_.pezzi.append(a);
            }
            return true;
        }
        if (nome == u"i" || nome == u"em") {
            corsivo_ = !chiude;
            return true;
        }
        if (nome == u"b" || nome == u"strong") {
            grassetto_ = !chiude;
            return true;
        }
        if (nome == u"a") {
            salto_.clear();
            if (!chiude) {
                const QString href = attributo(t, QStringLiteral("href"));
                if (href.startsWith(u'#'))
                    salto_ = href.mid(1);
            }
            return true;
        }
        if (nome == u"map") {
            inMappa_ = !chiude;
            if (!chiude)
                mappa_ = attributo(t, QStringLiteral("name"));
            return true;
        }
        if (nome == u"area") {
            const QStringList c = attributo(t, QStringLiteral("coords")).split(u',');
            const QString href = attributo(t, QStringLiteral("href"));
            if (c.size() != 4 || !href.startsWith(u'#')) {
                problema =
                    QStringLiteral("an <area> needs coords=\"x1,y1,x2,y2\" and href=\"#context\"");
                return false;
            }
            winhelp::ZonaNuova z;
            z.rettangolo = QRect(QPoint(c[0].toInt(), c[1].toInt()),
                                 QPoint(c[2].toInt() - 1, c[3].toInt() - 1));
            z.contesto = href.mid(1);
            const int i = immaginiPerMappa_.value(mappa_, -1);
            if (i < 0) {
                problema =
                    QStringLiteral("<map name=\"%1\"> follows no picture that uses it").arg(mappa_);
                return false;
            }
            p_.guida.immagini[i].zone.append(z);
            return true;
        }
        if (nome == u"img" && !chiude) {
            const QString file = QFileInfo(cartella_ + u'/' + attributo(t, QStringLiteral("src")))
                                     .absoluteFilePath();
            const int w = attributo(t, QStringLiteral("width")).toInt();
            const int h = attributo(t, QStringLiteral("height")).toInt();
            QByteArray dati;
            try {
                dati = leggiFileRegolare(file, SorgenteMassima);
            } catch (const ErroreVB& e) {
                problema = file + QStringLiteral(": cannot read");
                return false;
            }
            QImage img;
            if (file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
                QSvgRenderer svg(dati);
                const QSize dim = w > 0 && h > 0 ? QSize(w, h) : svg.defaultSize();
                img = QImage(dim, QImage::Format_RGB32);
                img.fill(Qt::white);
                QPainter pittore(&img);
                svg.render(&pittore);
            } else {
                img.loadFromData(dati);
                if (w > 0 && h > 0)
                    img = img.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
            if (img.isNull()) {
                problema = file + QStringLiteral(": not a picture");
                return false;
            }
            winhelp::ImmagineNuova im;
            im.immagine = img;
            p_.guida.immagini.append(im);
            const int indice = int(p_.guida.immagini.size() - 1);
            const QString mappa = attributo(t, QStringLiteral("usemap"));
            if (mappa.startsWith(u'#'))
                immaginiPerMappa_.insert(mappa.mid(1), indice);
            if (!aperto_)
                apriParagrafo();
            PezzoNuovo pz;
            pz.tipo = PezzoNuovo::Immagine;
            pz.immagine = indice;
            corrente_.pezzi.append(pz);
            return true;
        }
        return true; // html, body, meta and the like carry nothing for help
    }

    Progetto& p_;
    QString cartella_;
    ParagrafoNuovo corrente_;
    bool aperto_ = false, inTitolo_ = false, inMappa_ = false, saltaTesto_ = false;
    bool corsivo_ = false, grassetto_ = false;
    QString titolo_, salto_, mappa_;
    QList<int> liste_;
    QMap<QString, int> immaginiPerMappa_;

public:
    QList<int> livelli_;
};

QString leggiTesto(const QString& file, QString& problema) {
    try {
        return QString::fromUtf8(leggiFileRegolare(file, SorgenteMassima));
    } catch (const ErroreVB&) {
        problema = file + QStringLiteral(": cannot read");
        return {};
    }
}

} // namespace

bool leggiProgettoDaTesti(const QString& progetto, const QMap<QString, QString>& pagine,
                          const QString& cartella, Progetto& p, QString& problema) {
    auto& g = p.guida;
    g.font = {
        {QStringLiteral("Arial"), 20, false, false, false, Qt::black},
        {QStringLiteral("Arial"), 20, false, true, false, Qt::black},
        {QStringLiteral("Arial"), 20, true, false, false, Qt::black},
        {QStringLiteral("Arial"), 28, true, false, false, QColor(0, 0, 128)},
        {QStringLiteral("Arial"), 20, true, true, false, Qt::black},
    };
    g.contenuti = QStringLiteral("spis");
    QString sezione;
    QStringList file;
    QMap<QString, QStringList> parole;
    for (QString riga : progetto.split(u'\n')) {
        riga = riga.trimmed();
        if (riga.isEmpty() || riga.startsWith(u';'))
            continue;
        if (riga.startsWith(u'[') && riga.endsWith(u']')) {
            sezione = riga.mid(1, riga.size() - 2).toUpper();
            continue;
        }
        const qsizetype uguale = riga.indexOf(u'=');
        const QString chiave = riga.left(uguale).trimmed(), valore = riga.mid(uguale + 1).trimmed();
        if (sezione == u"FILES") {
            file.append(riga);
        } else if (sezione == u"CONFIG") {
            g.macro.append(riga);
        } else if (sezione == u"OPTIONS" && uguale > 0) {
            if (chiave.toUpper() == u"TITLE")
                g.titolo = valore;
            else if (chiave.toUpper() == u"COPYRIGHT")
                g.copyright = valore;
            else if (chiave.toUpper() == u"CNT")
                p.nomeCnt = g.nomeContenuti = valore;
        } else if (sezione == u"KEYWORDS" && uguale > 0) {
            for (const QString& k : valore.split(u';', Qt::SkipEmptyParts))
                parole[chiave].append(k.trimmed());
        }
    }
    QList<int> livelli;
    for (const QString& f : file) {
        if (!pagine.contains(f)) {
            problema = f + QStringLiteral(": cannot read");
            return false;
        }
        Pagina pagina(p, cartella);
        if (!pagina.leggi(pagine.value(f), problema)) {
            problema = f + QStringLiteral(": ") + problema;
            return false;
        }
        livelli.append(pagina.livelli_);
    }
    if (g.argomenti.isEmpty()) {
        problema = QStringLiteral("the pages hold no topic");
        return false;
    }
    for (ArgomentoNuovo& a : g.argomenti) {
        a.parole = parole.value(a.contesto);
        QString t = a.titolo;
        t.remove(QRegularExpression(QStringLiteral("^[0-9.]+\\s*")));
        if (!t.isEmpty() && !a.parole.contains(t))
            a.parole.prepend(t);
    }
    QString cnt = QStringLiteral(":Base %1\n:Title %2\n")
                      .arg(p.nomeCnt.isEmpty()
                               ? QStringLiteral("halvo.hlp")
                               : QFileInfo(p.nomeCnt).completeBaseName() + QStringLiteral(".hlp"),
                           g.titolo);
    for (qsizetype i = 0; i < g.argomenti.size(); ++i) {
        const int livello = livelli.value(i, 1);
        const bool capitolo =
            livello == 1 && i + 1 < g.argomenti.size() && livelli.value(i + 1) == 2;
        if (capitolo)
            cnt += QStringLiteral("1 %1\n2 %1=%2\n")
                       .arg(g.argomenti[i].titolo, g.argomenti[i].contesto);
        else
            cnt += QStringLiteral("%1 %2=%3\n")
                       .arg(livello)
                       .arg(g.argomenti[i].titolo, g.argomenti[i].contesto);
    }
    p.contenuti = cnt;
    return true;
}

bool leggiProgetto(const QString& fileProgetto, Progetto& p, QString& problema) {
    const QString progetto = leggiTesto(fileProgetto, problema);
    if (!problema.isEmpty())
        return false;
    const QString cartella = QFileInfo(fileProgetto).absolutePath();
    QMap<QString, QString> pagine;
    bool inFile = false;
    for (QString riga : progetto.split(u'\n')) {
        riga = riga.trimmed();
        if (riga.startsWith(u'['))
            inFile = riga.toUpper() == u"[FILES]";
        else if (inFile && !riga.isEmpty() && !riga.startsWith(u';')) {
            pagine.insert(riga, leggiTesto(cartella + u'/' + riga, problema));
            if (!problema.isEmpty())
                return false;
        }
    }
    return leggiProgettoDaTesti(progetto, pagine, cartella, p, problema);
}

} // namespace hn::help
