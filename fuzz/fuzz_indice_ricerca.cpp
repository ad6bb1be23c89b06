// Feeds arbitrary bytes as the text store "hsmed.dat" of a small atlas and runs the work that
// reads every text of it: the search index and its queries, a body system's questions and the
// checker. Any crash, hang, leak or undefined behaviour is a finding; so is a read that does not
// stop within its budget.

#include "ControlloAtlante.h"
#include "Domande.h"
#include "IndiceRicerca.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

using namespace hn::atlante;

namespace {

bool scrivi(const QString& percorso, const QByteArray& dati) {
    QFile f(percorso);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(dati) == dati.size();
}

// The skeleton's plate with a description, three captions and a link to a second plate whose
// caption shares a code with the first.
QList<Record> tabella() {
    const QString intestazione = QString::fromLatin1(CodiceIntestazione);
    return {
        {QStringLiteral("SCHEL1"), intestazione, {}, 0, 0, 0, 0, QStringLiteral("D")},
        {QStringLiteral("SCHEL1"), QStringLiteral("A"), {}, 10, 10, 50, 50, {}},
        {QStringLiteral("SCHEL1"), QStringLiteral("B"), {}, 60, 10, 90, 50, {}},
        {QStringLiteral("SCHEL1"), QStringLiteral("L"), QStringLiteral("T2"), 10, 60, 50, 90, {}},
        {QStringLiteral("T2"), intestazione, {}, 0, 0, 0, 0, QStringLiteral("E")},
        {QStringLiteral("T2"), QStringLiteral("A"), {}, 10, 10, 50, 50, {}},
        {QStringLiteral("T2"), QStringLiteral("C"), {}, 60, 10, 90, 50, {}},
    };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    static int argc = 1;
    static char nome[] = "fuzz_indice_ricerca";
    static char* argv[] = {nome, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir cartella;
    static const FileAtlante file{cartella.filePath(QStringLiteral("hsmed.bin")),
                                  cartella.filePath(QStringLiteral("hsmed.dat")),
                                  {},
                                  {}};
    static const bool tabellaScritta = scrivi(file.tabella, scriviTabella(tabella()));
    if (!tabellaScritta || !scrivi(file.testi, QByteArray(reinterpret_cast<const char*>(dati),
                                                          static_cast<qsizetype>(dimensione))))
        return 0;

    const auto atlante = DatiAtlante::leggi(file);
    Budget budget;
    budget.tempo = std::chrono::seconds(2);
    const IndiceRicerca indice(*atlante, budget);
    for (const QString& domanda :
         {QStringLiteral("a"), QStringLiteral("kość"), QStringLiteral("z")})
        for (const Risultato& r : indice.cerca(domanda))
            if (r.percorso.isEmpty() || !codiciSistemi().contains(r.percorso.first()))
                __builtin_trap(); // every result is reached from a body system's first plate
    LetturaLimitata lettura(atlante->testi, budget);
    (void)domandeTavola(*atlante, QStringLiteral("SCHEL1"), lettura);
    (void)domandeTavola(*atlante, QStringLiteral("T2"), lettura);
    (void)controllaAtlante(*atlante);
    return 0;
}
