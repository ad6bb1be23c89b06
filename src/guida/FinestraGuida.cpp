#include "FinestraGuida.h"

#include "ErroreVB.h"
#include "FileSicuro.h"
#include "HostPaths.h"
#include "PannelloGuida.h"
#include "Scena.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>

namespace hn {

namespace {
QString avviso(const QString& testo) {
    return QStringLiteral("<h2>Pomoc</h2><p>%1</p>").arg(testo.toHtmlEscaped());
}

// A help file and what its pages name: a few pages and pictures, never this big.
constexpr qint64 DimensioneMassimaGuida = qint64(8) * 1024 * 1024;

// Pages and pictures come only from the help file's own folder and only from regular files of
// a sane size: a page naming /dev/zero, a FIFO or a file elsewhere gets nothing. A refusal is an
// empty, valid value: a null one would let the document open the file itself. A data: URL
// carries its bytes in the page and is left to the document.
QVariant risorsaDellaCartella(const QString& cartella, const QUrl& nome) {
    if (nome.scheme() == u"data")
        return {};
    const QVariant niente = QByteArray();
    if (cartella.isEmpty() || nome.isEmpty() || !nome.host().isEmpty() ||
        !(nome.scheme().isEmpty() || nome.scheme() == u"file"))
        return niente;
    const QString file =
        QFileInfo(QDir(cartella).absoluteFilePath(nome.path())).canonicalFilePath();
    if (file.isEmpty() || !file.startsWith(cartella + u'/'))
        return niente;
    try {
        return leggiFileRegolare(file, DimensioneMassimaGuida);
    } catch (const ErroreVB&) {
        return niente;
    }
}

// A WinHelp file's .cnt contents file: beside it, same name.
QString contenutiAccanto(const QString& helpFile, const winhelp::FileGuida& guida) {
    QString cnt = helpFile;
    const qsizetype punto = cnt.lastIndexOf(u'.');
    if (punto > cnt.lastIndexOf(u'\\'))
        cnt.truncate(punto);
    cnt += QStringLiteral(".cnt");
    const std::optional<QString> file = host().paths->toHost(cnt);
    if (!file)
        return {};
    try {
        return guida.testo(leggiFileRegolare(*file, DimensioneMassimaGuida));
    } catch (const ErroreVB&) {
        return {};
    }
}

} // namespace

QString contenutoGuida(const QByteArray& dati) {
    if (dati.isEmpty() || dati.contains('\0'))
        return avviso(QStringLiteral("Plik pomocy jest pusty albo uszkodzony."));
    return QString::fromUtf8(dati);
}

FinestraGuida::~FinestraGuida() {
    delete pannello_;
}

PannelloGuida* FinestraGuida::pannello() const {
    return static_cast<PannelloGuida*>(pannello_.data());
}

QTextBrowser* FinestraGuida::finestra() const {
    return pannello_ ? pannello()->testo() : nullptr;
}

void FinestraGuida::showContents(const QString& helpFile) {
    QByteArray dati;
    const std::optional<QString> file = host().paths->toHost(helpFile);
    bool troppoGrande = false;
    if (file) {
        try {
            dati = leggiFileRegolare(*file, DimensioneMassimaGuida);
        } catch (const ErroreVB& e) {
            troppoGrande = e.numero() == 7;
        }
    }
    const bool nuova = !pannello_;
    if (nuova) {
        pannello_ = new PannelloGuida;
        // A window of its own kept above the stage: a dialog-type one, which every window manager
        // keeps above its owner.
        if (QWidget* sopra = finestraPerDialoghi())
            pannello_->setParent(sopra, Qt::Dialog);
    }
    PannelloGuida* p = pannello();
    if (troppoGrande)
        p->mostraErrore(
            QStringLiteral("Plik pomocy %1 jest zbyt duży, by go wyświetlić.").arg(helpFile));
    else if (!file || dati.isEmpty())
        p->mostraErrore(QStringLiteral("Nie znaleziono pliku pomocy %1.").arg(helpFile));
    else if (dati.startsWith(QByteArray::fromHex("3f5f0300"))) {
        try {
            winhelp::FileGuida g = winhelp::FileGuida::apri(dati);
            const QString cnt = contenutiAccanto(helpFile, g);
            p->apri(std::move(g), cnt);
        } catch (const winhelp::ErroreGuida& e) {
            p->mostraErrore(e.messaggio());
        }
    } else {
        const QString cartella = QFileInfo(QFileInfo(*file).absolutePath()).canonicalFilePath();
        p->mostraHtml(contenutoGuida(dati), [cartella](int, const QUrl& nome) {
            return risorsaDellaCartella(cartella, nome);
        });
    }
    // Placed where the file's main window asks, inside the stage, when it comes up; once shown,
    // where the user put it.
    if (nuova || !pannello_->isVisible()) {
        QRect area;
        if (QWidget* sopra = finestraPerDialoghi())
            area = sopra->geometry();
        else if (QScreen* schermo = QGuiApplication::primaryScreen())
            area = schermo->availableGeometry();
        const winhelp::FinestraDefinita* f = p->guida() ? p->guida()->finestra(QString()) : nullptr;
        p->impostaArea(area);
        QRect dove = geometriaGuida(f, area, p->size());
        // At first, and where the file says nothing, a good part of the stage under its heading:
        // a smaller, centred window ended across the home screen's hint line and began across
        // its heading, and their cut letters read as stray lines along the window's edges.
        if (nuova && !area.isEmpty() && (!f || (!f->posizioneData && !f->massimizzata))) {
            dove = geometriaGuida(nullptr, area,
                                  QSize(area.width() * 25 / 32, area.height() * 25 / 32));
            dove.moveTop(area.top() + area.height() * 7 / 50);
        }
        p->setGeometry(dove);
    }
    pannello_->show();
    pannello_->raise();
    pannello_->activateWindow();
}

} // namespace hn
