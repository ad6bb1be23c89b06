// sonda_pixel QUIET_MS -- PROGRAM [ARGS...]: starts the program and samples the X screen every
// millisecond until it has not changed for QUIET_MS; prints the milliseconds from the start to
// the last change (the final pixels, as a user sees them) and the processor time the program had
// used by then (all its threads, in steps of the kernel's clock tick), and ends the program. A
// first paint event is not the end of a start-up: pictures, the pointer and late layouts may still
// come. Plain xcb, so that the probe itself costs little beside the program it watches.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Orologio = std::chrono::steady_clock;

long long ms(Orologio::time_point da, Orologio::time_point a) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(a - da).count();
}

// Where SONDA_SALVA names a folder, each screen that differs from the one before is written
// there as a PPM file named by its number, to see what a start-up draws after its first frame.
void salva(const unsigned char* p, int n, const xcb_screen_t* s, int numero) {
    const char* cartella = std::getenv("SONDA_SALVA");
    const int w = s->width_in_pixels, h = s->height_in_pixels;
    if (!cartella || n < w * h * 4)
        return;
    char nome[4096];
    std::snprintf(nome, sizeof nome, "%s/%03d.ppm", cartella, numero);
    FILE* f = std::fopen(nome, "wb");
    if (!f)
        return;
    std::fprintf(f, "P6 %d %d 255\n", w, h);
    for (int i = 0; i < w * h; ++i) {
        const unsigned char rgb[3] = {p[4 * i + 2], p[4 * i + 1], p[4 * i]}; // stored BGRX
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
}

// A hash of the whole screen's pixels; 0 when the screen could not be read. The screen is
// saved as numero when it is given and the hash differs from `prima`.
unsigned long long impronta(xcb_connection_t* c, const xcb_screen_t* s,
                            unsigned long long prima = 0, int numero = -1) {
    xcb_get_image_reply_t* r =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root, 0, 0,
                                          s->width_in_pixels, s->height_in_pixels, ~0u),
                            nullptr);
    if (!r)
        return 0;
    const unsigned char* p = xcb_get_image_data(r);
    const int n = xcb_get_image_data_length(r);
    unsigned long long h = 0xcbf29ce484222325ull;
    // Eight bytes at a time: a change anywhere changes the hash, at a fraction of the cost.
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        unsigned long long v;
        std::memcpy(&v, p + i, 8);
        h = (h ^ v) * 0x100000001b3ull;
    }
    for (; i < n; ++i)
        h = (h ^ p[i]) * 0x100000001b3ull;
    if (numero >= 0 && h != prima)
        salva(p, n, s, numero);
    std::free(r);
    return h;
}

// Milliseconds of processor time a process has used, user and system, its ended threads
// included; -1 when it cannot be read.
long long cpuMs(pid_t pid) {
    char nome[64];
    std::snprintf(nome, sizeof nome, "/proc/%d/stat", int(pid));
    FILE* f = std::fopen(nome, "r");
    if (!f)
        return -1;
    char riga[1024];
    const size_t n = std::fread(riga, 1, sizeof riga - 1, f);
    std::fclose(f);
    riga[n] = '\0';
    // The command name may hold blanks and parentheses: the fields follow the last ')'.
    const char* p = std::strrchr(riga, ')');
    unsigned long long utente = 0, sistema = 0;
    if (!p || std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utente,
                          &sistema) != 2)
        return -1;
    return static_cast<long long>(utente + sistema) * 1000 / ::sysconf(_SC_CLK_TCK);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[2], "--") != 0) {
        std::fprintf(stderr, "usage: sonda_pixel QUIET_MS -- PROGRAM [ARGS...]\n");
        return 2;
    }
    const long long quiete = std::atoll(argv[1]);
    // SONDA_ELENCA=1 lists every change, to see what a start-up still draws after its first
    // frame.
    const bool elenca = std::getenv("SONDA_ELENCA") != nullptr;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "sonda_pixel: no X display\n");
        return 2;
    }
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    unsigned long long ultima = impronta(c, s);

    const Orologio::time_point inizio = Orologio::now();
    const pid_t figlio = ::fork();
    if (figlio == 0) {
        ::execvp(argv[3], argv + 3);
        std::perror("sonda_pixel: exec");
        ::_exit(127);
    }
    Orologio::time_point cambio = inizio;
    long long cpu = -1;
    int cambi = 0;
    bool finito = false;
    for (;;) {
        const unsigned long long h = impronta(c, s, ultima, cambi + 1);
        const Orologio::time_point ora = Orologio::now();
        if (h != ultima) {
            ultima = h;
            cambio = ora;
            cpu = cpuMs(figlio);
            ++cambi;
            if (elenca)
                std::fprintf(stderr, "change %d at %lld ms\n", cambi, ms(inizio, ora));
        }
        if (cambi > 0 && ms(cambio, ora) >= quiete)
            break;
        if (ms(inizio, ora) > 60'000) {
            std::fprintf(stderr, "sonda_pixel: the screen never settled\n");
            break;
        }
        int stato = 0;
        if (!finito && ::waitpid(figlio, &stato, WNOHANG) == figlio)
            finito = true; // its last pixels may still be on the screen
        if (finito && cambi == 0) {
            std::fprintf(stderr, "sonda_pixel: the program ended without showing anything\n");
            return 1;
        }
        ::usleep(1000);
    }
    if (!finito) {
        ::kill(figlio, SIGTERM);
        ::waitpid(figlio, nullptr, 0);
    }
    xcb_disconnect(c);
    std::printf("%lld %lld\n", ms(inizio, cambio), cpu);
    return 0;
}
