#include "Installazione.h"

#include "Cp1250.h"
#include "FileMessaggi.h"

namespace hn::prova {

QList<int> numeriMessaggiUsati() {
    QList<int> n = {20, 23, 146, 251, 290, 450, 451, 463, 483, 484, 485, 486, 487, 488};
    for (int k = 63; k <= 73; ++k)
        n.append(k);
    return n;
}

Installazione::Installazione(HostDiProva& host)
    : host_(host) {
    sezioni_ = {
        {QStringLiteral("GENERAL"),
         {{QStringLiteral("ExeVeltoLab"), QStringLiteral("C:\\VELTO\\VeltoLab.exe")},
          {QStringLiteral("ExeVelto"), QStringLiteral("C:\\VELTO\\Tomvo98.exe")}}},
        {QStringLiteral("Directory2"),
         {{QStringLiteral("PathCd"), QStringLiteral("D:\\")},
          {QStringLiteral("Foto"), QStringLiteral("D:\\DATI\\")},
          {QStringLiteral("Video"), QStringLiteral("D:\\VIDEO\\")},
          {QStringLiteral("Audio"), QStringLiteral("D:\\AUDIO\\")},
          {QStringLiteral("Animazioni"), QStringLiteral("D:\\ANIMAZ\\")},
          {QStringLiteral("Tabelle"), QStringLiteral("D:\\TABELLE\\")},
          {QStringLiteral("Sfondi"), QStringLiteral("D:\\SFONDI\\")},
          {QStringLiteral("SfondiCredits"), QStringLiteral("D:\\CREDITS\\")}}},
        {QStringLiteral("Opzioni"),
         {{QStringLiteral("Volume"), QStringLiteral("80")},
          {QStringLiteral("UltimoLemma"), QStringLiteral("Serce")},
          {QStringLiteral("FilePerCopia"), QStringLiteral("C:\\VELTO\\NOTATKI")},
          {QStringLiteral("Tema"), QStringLiteral("0")},
          {QStringLiteral("History"), QStringLiteral("20")},
          {QStringLiteral("Sigla"), QStringLiteral("0")}}},
        {QStringLiteral("OnLine"),
         {{QStringLiteral("PercorsoFileScaricati"), QStringLiteral("C:\\VELTO\\POBRANE")},
          {QStringLiteral("AnniMesi"), QStringLiteral("2002")}}},
    };
    for (int n : numeriMessaggiUsati())
        messaggi[n] = {QStringLiteral("Titolo %1").arg(n), QStringLiteral("Messaggio %1 &").arg(n)};
    messaggi[487] = {QStringLiteral("Plik"), QStringLiteral("Kopia")};
}

void Installazione::imposta(const QString& sezione, const QString& chiave, const QString& valore) {
    for (auto& [nome, voci] : sezioni_) {
        if (nome != sezione)
            continue;
        for (auto& [k, v] : voci)
            if (k == chiave) {
                v = valore;
                return;
            }
        voci.append({chiave, valore});
        return;
    }
    sezioni_.append({sezione, {{chiave, valore}}});
}

void Installazione::rimuovi(const QString& sezione, const QString& chiave) {
    for (auto& [nome, voci] : sezioni_)
        if (nome == sezione)
            voci.removeIf([&](const auto& v) { return v.first == chiave; });
}

void Installazione::scrivi() {
    if (scriviKormm)
        host_.scriviFile(windows + QStringLiteral("KORMM.INI"),
                         encodeCp1250(QStringLiteral("[VELTO01G]\r\nPATH=%1\r\n").arg(iniModulo)));
    if (scriviModulo) {
        QString ini;
        for (const auto& [nome, voci] : sezioni_) {
            ini += u'[' + nome + QStringLiteral("]\r\n");
            for (const auto& [k, v] : voci)
                ini += k + u'=' + v + QStringLiteral("\r\n");
        }
        host_.scriviFile(iniModulo, encodeCp1250(ini));
    }
    if (!marcatore.isNull())
        host_.scriviFile(QStringLiteral("D:\\VeltoMM.txt"), marcatore);
    if (scriviMessaggi)
        host_.scriviFile(cartellaProgramma + QStringLiteral("help.bin"),
                         atlante::componiFileMessaggi(messaggi));
}

} // namespace hn::prova
