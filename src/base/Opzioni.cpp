#include "Opzioni.h"

#include <cstdio>
#include <cstring>

namespace hn {

const char* versione() {
    return HNEMAR_VERSION;
}

std::optional<int> opzioniComuni(int argc, const char* const* argv, const Comando& comando) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(comando.uso, stdout);
            if (*comando.aiuto) {
                std::fputc('\n', stdout);
                std::fputs(comando.aiuto, stdout);
            }
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", comando.nome, versione());
            return 0;
        }
    }
    return std::nullopt;
}

int usoErrato(const Comando& comando, const QString& motivo) {
    std::fprintf(stderr, "%s: %s\n", comando.nome, qUtf8Printable(motivo));
    std::fputs(comando.uso, stderr);
    return UscitaUsoErrato;
}

} // namespace hn
