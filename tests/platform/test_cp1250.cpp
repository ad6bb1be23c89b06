#include "Cp1250.h"

#include <QTest>

using namespace hn;

class TestCp1250 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void polishLettersHaveTheirBytes() {
        const QString lettere = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
        const QByteArray attesi = QByteArrayLiteral(
            "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
        QCOMPARE(encodeCp1250(lettere), attesi);
        QCOMPARE(decodeCp1250(attesi), lettere);
    }

    void everyByteRoundTrips() {
        QByteArray tutti;
        for (int b = 0; b < 256; ++b)
            tutti.append(static_cast<char>(b));
        const QString testo = decodeCp1250(tutti);
        QCOMPARE(testo.size(), 256);
        QCOMPARE(encodeCp1250(testo), tutti);
        QCOMPARE(testo[0x80], QChar(0x20AC)); // euro sign
        QCOMPARE(testo[0x96], QChar(0x2013)); // en dash
    }

    void unencodableCharactersBecomeTheFallback() {
        QCOMPARE(encodeCp1250(QStringLiteral("a\u4E2Db\u00E5")), QByteArray("a?b?"));
        QCOMPARE(encodeCp1250(QStringLiteral("\u4E2D"), '_'), QByteArray("_"));
        QCOMPARE(unicodeToCp1250(u'\u4E2D'), 0);
    }
};

QTEST_APPLESS_MAIN(TestCp1250)
#include "test_cp1250.moc"
