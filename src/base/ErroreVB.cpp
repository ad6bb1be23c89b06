#include "ErroreVB.h"

namespace hn {

ErroreVB::ErroreVB(int numero, QString descrizione)
    : numero_(numero)
    , descrizione_(descrizione.isEmpty() ? descrizioneStandard(numero) : std::move(descrizione)) {
    utf8_ = QStringLiteral("%1 (%2)").arg(descrizione_).arg(numero_).toStdString();
}

QString ErroreVB::descrizioneStandard(int numero) {
    switch (numero) {
    case 5:
        return QStringLiteral("Nieprawidłowe wywołanie procedury lub argument");
    case 6:
        return QStringLiteral("Przepełnienie");
    case 7:
        return QStringLiteral("Brak pamięci");
    case 9:
        return QStringLiteral("Indeks poza zakresem");
    case 13:
        return QStringLiteral("Niezgodność typów");
    case 14:
        return QStringLiteral("Brak miejsca na ciągi znaków");
    case 52:
        return QStringLiteral("Nieprawidłowa nazwa lub numer pliku");
    case 53:
        return QStringLiteral("Nie znaleziono pliku");
    case 55:
        return QStringLiteral("Plik jest już otwarty");
    case 57:
        return QStringLiteral("Błąd wejścia/wyjścia urządzenia");
    case 58:
        return QStringLiteral("Plik już istnieje");
    case 61:
        return QStringLiteral("Dysk pełny");
    case 62:
        return QStringLiteral("Próba odczytu poza końcem pliku");
    case 68:
        return QStringLiteral("Urządzenie niedostępne");
    case 70:
        return QStringLiteral("Odmowa dostępu");
    case 71:
        return QStringLiteral("Dysk nie jest gotowy");
    case 75:
        return QStringLiteral("Błąd dostępu do ścieżki lub pliku");
    case 76:
        return QStringLiteral("Nie znaleziono ścieżki");
    case 380:
        return QStringLiteral("Nieprawidłowa wartość właściwości");
    case 481:
        return QStringLiteral("Nieprawidłowy obraz");
    case 482:
        return QStringLiteral("Błąd drukarki");
    default:
        return {};
    }
}

} // namespace hn
