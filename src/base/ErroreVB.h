#pragma once

#include <QString>
#include <exception>
#include <string>

namespace hn {

// A run-time failure as the program's handlers see it: a numbered error with its description.
// Handlers branch on the number (53 file not found, 61 disk full, 482 printer …).
class ErroreVB : public std::exception {
public:
    explicit ErroreVB(int numero, QString descrizione = {});

    int numero() const { return numero_; }
    const QString& descrizione() const { return descrizione_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

    // The stock Polish description of a run-time error number, empty when there is none.
    static QString descrizioneStandard(int numero);

private:
    int numero_;
    QString descrizione_;
    std::string utf8_;
};

// Error numbers the handlers test for.
namespace Errore {
inline constexpr int ChiamataNonValida = 5;
inline constexpr int Overflow = 6;
inline constexpr int IndiceFuoriIntervallo = 9;
inline constexpr int SpazioStringheEsaurito = 14;
inline constexpr int FileNonTrovato = 53;
inline constexpr int ErroreIO = 57;
inline constexpr int FileEsistente = 58;
inline constexpr int DiscoPieno = 61;
inline constexpr int FineFile = 62;
inline constexpr int PermessoNegato = 70;
inline constexpr int AccessoPercorso = 75;
inline constexpr int PercorsoNonTrovato = 76;
inline constexpr int ImmagineNonValida = 481;
inline constexpr int Stampante = 482;
} // namespace Errore

} // namespace hn
