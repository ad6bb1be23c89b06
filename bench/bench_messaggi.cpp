// bench_messaggi [MiB]: a lookup of a number from 1000 up in a hostile message file of bare line
// feeds, against the same lookup in a normal file of the same size. Prints both median times;
// the hostile one should cost about what the normal one does.

#include "FileMessaggi.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using namespace hn::atlante;

namespace {

double mediana(const QByteArray& file) {
    QList<double> tempi;
    for (int giro = 0; giro < 5; ++giro) {
        QBuffer b;
        b.setData(file);
        b.open(QIODevice::ReadOnly);
        QString titolo;
        QElapsedTimer t;
        t.start();
        leggiRecordMessaggio(b, 1500, titolo);
        tempi.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(tempi.begin(), tempi.end());
    return tempi[tempi.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const qsizetype mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 4;
    const QByteArray ostile(mib * 1024 * 1024, '\n');
    QByteArray normale;
    const QByteArray riga = componiRecordMessaggio(1200, QStringLiteral("T"), QStringLiteral("x"));
    while (normale.size() < ostile.size())
        normale += riga;
    std::printf("bare line feeds: %.1f ms, normal lines: %.1f ms (%lld MiB, number not found)\n",
                mediana(ostile), mediana(normale), static_cast<long long>(mib));
    return 0;
}
