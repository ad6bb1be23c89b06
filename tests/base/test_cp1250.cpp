#include "Cp1250.h"

#include <QTest>
#include <iconv.h>

using namespace hn;

class TestCp1250 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void letterePolaccheHannoILoroByte() {
        const QString lettere = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
        const QByteArray attesi = QByteArrayLiteral(
            "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
        QCOMPARE(encodeCp1250(lettere), attesi);
        QCOMPARE(decodeCp1250(attesi), lettere);
    }

    // Every position against glibc's own table: one wrong entry anywhere garbles that character
    // in every file the atlas reads. The five bytes glibc leaves undefined are ours to map, to
    // the C1 control of the same value as Windows does.
    void ogniByteConcordaConIconv() {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1250");
        if (cd == reinterpret_cast<iconv_t>(-1))
            QSKIP("glibc's WINDOWS-1250 converter is not installed");
        QList<int> indefiniti;
        for (int b = 0; b < 256; ++b) {
            char ingresso = static_cast<char>(b);
            char16_t uscita[2] = {};
            char* in = &ingresso;
            char* out = reinterpret_cast<char*>(uscita);
            size_t restaIn = 1, restaOut = sizeof uscita;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &in, &restaIn, &out, &restaOut) == size_t(-1)) {
                indefiniti.append(b);
                QCOMPARE(cp1250ToUnicode(uchar(b)), QChar(char16_t(b)));
                continue;
            }
            QCOMPARE(sizeof uscita - restaOut, sizeof(char16_t));
            QVERIFY2(
                cp1250ToUnicode(uchar(b)) == QChar(uscita[0]),
                qPrintable(QStringLiteral("byte 0x%1: ours U+%2, iconv U+%3")
                               .arg(b, 2, 16, QLatin1Char('0'))
                               .arg(cp1250ToUnicode(uchar(b)).unicode(), 4, 16, QLatin1Char('0'))
                               .arg(int(uscita[0]), 4, 16, QLatin1Char('0'))));
            QCOMPARE(unicodeToCp1250(uscita[0]), uchar(b));
        }
        iconv_close(cd);
        QCOMPARE(indefiniti, (QList<int>{0x81, 0x83, 0x88, 0x90, 0x98}));
    }

    void ogniByteAndataERitorno() {
        QByteArray tutti;
        for (int b = 0; b < 256; ++b)
            tutti.append(static_cast<char>(b));
        const QString testo = decodeCp1250(tutti);
        QCOMPARE(testo.size(), 256);
        QCOMPARE(encodeCp1250(testo), tutti);
        QCOMPARE(testo[0x80], QChar(0x20AC)); // euro sign
        QCOMPARE(testo[0x96], QChar(0x2013)); // en dash
    }

    void caratteriNonCodificabiliDiventanoIlRipiego() {
        QCOMPARE(encodeCp1250(QStringLiteral("a\u4E2Db\u00E5")), QByteArray("a?b?"));
        QCOMPARE(encodeCp1250(QStringLiteral("\u4E2D"), '_'), QByteArray("_"));
        QCOMPARE(unicodeToCp1250(u'\u4E2D'), 0);
    }
};

QTEST_APPLESS_MAIN(TestCp1250)
#include "test_cp1250.moc"
