#include "FileMessaggi.h"

#include "Cp1250.h"

namespace hn::atlante {

namespace {

// Columns of a line, 1-based as the file's layout gives them.
constexpr int ColonnaNumero = 0, LarghezzaNumero = 6;
constexpr int ColonnaTitolo = 73, LarghezzaTitolo = 30;
constexpr int ColonnaTesto = 103, LarghezzaTesto = 350;

QString campo(const QByteArray& riga, int colonna, int larghezza) {
    if (riga.size() <= colonna)
        return {};
    return decodeCp1250(QByteArrayView(riga).sliced(
                            colonna, qMin<qsizetype>(larghezza, riga.size() - colonna)))
        .trimmed();
}

} // namespace

const QString& marcatoreACapo() {
    static const QString m = QStringLiteral("\" & vbCrLf & \"");
    return m;
}

QByteArray componiRecordMessaggio(int numero, const QString& titolo, const QString& testo) {
    QByteArray riga(LunghezzaRecordMessaggio - 2, ' ');
    auto metti = [&riga](int colonna, int larghezza, const QString& valore) {
        const QByteArray b = encodeCp1250(valore).left(larghezza);
        riga.replace(colonna, b.size(), b);
    };
    metti(ColonnaNumero, LarghezzaNumero, QString::number(numero).rightJustified(LarghezzaNumero));
    metti(ColonnaTitolo, LarghezzaTitolo, titolo);
    metti(ColonnaTesto, LarghezzaTesto, testo);
    return riga + "\r\n";
}

QByteArray componiFileMessaggi(const QMap<int, std::pair<QString, QString>>& messaggi) {
    QByteArray file;
    const int ultimo = messaggi.isEmpty() ? 0 : qMin(messaggi.lastKey(), 999);
    for (int k = 1; k <= ultimo; ++k) {
        const auto it = messaggi.find(k);
        file += it == messaggi.end() ? componiRecordMessaggio(k, {}, {})
                                     : componiRecordMessaggio(k, it->first, it->second);
    }
    for (auto it = messaggi.lowerBound(1000); it != messaggi.end(); ++it)
        file += componiRecordMessaggio(it.key(), it->first, it->second);
    return file;
}

QString leggiRecordMessaggio(QIODevice& file, int numero, QString& titolo) {
    titolo.clear();
    QByteArray riga;
    if (numero < 1000) {
        if (numero < 1)
            return {};
        const qint64 inizio = qint64(numero - 1) * LunghezzaRecordMessaggio;
        if (!file.seek(inizio))
            return {};
        riga = file.read(LunghezzaRecordMessaggio);
    } else {
        // Read in large blocks, keeping only the first record's worth of each line: a file of
        // bare line feeds or of one huge line costs what a normal file of its size does.
        bool trovato = false;
        auto corrisponde = [&] {
            while (riga.endsWith('\r'))
                riga.chop(1);
            bool numerico = false;
            const int k = campo(riga, ColonnaNumero, LarghezzaNumero).toInt(&numerico);
            return numerico && k == numero;
        };
        QByteArray blocco;
        while (!trovato) {
            blocco = file.read(64 * 1024);
            if (blocco.isEmpty()) {
                trovato = !riga.isEmpty() && corrisponde(); // a last line without its end
                break;
            }
            qsizetype pos = 0;
            while (pos < blocco.size()) {
                if (riga.isEmpty()) { // empty lines: nothing to look at
                    const char* d = blocco.constData();
                    while (pos < blocco.size() && d[pos] == '\n')
                        ++pos;
                    if (pos == blocco.size())
                        break;
                }
                const qsizetype fine = blocco.indexOf('\n', pos);
                const qsizetype fineTratto = fine < 0 ? blocco.size() : fine;
                if (riga.size() < LunghezzaRecordMessaggio)
                    riga.append(blocco.constData() + pos,
                                qMin(fineTratto - pos, LunghezzaRecordMessaggio - riga.size()));
                if (fine < 0)
                    break;
                pos = fine + 1;
                if (!riga.isEmpty() && corrisponde()) {
                    trovato = true;
                    break;
                }
                riga.resize(0); // keeps its room for the next line
            }
        }
        if (!trovato)
            return {};
    }
    titolo = campo(riga, ColonnaTitolo, LarghezzaTitolo);
    return campo(riga, ColonnaTesto, LarghezzaTesto);
}

} // namespace hn::atlante
