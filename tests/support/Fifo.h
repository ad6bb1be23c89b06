#pragma once

// A FIFO where the installation has a file, and a deadline for the call that meets it.

#include <QFile>
#include <QString>
#include <sys/stat.h>
#include <unistd.h>

namespace hn::prova {

inline bool creaFifo(const QString& percorsoHost) {
    QFile::remove(percorsoHost);
    return ::mkfifo(QFile::encodeName(percorsoHost).constData(), 0644) == 0;
}

// A call still blocked after a second ends the test process (SIGALRM): a failure, not a hang.
struct EntroUnSecondo {
    EntroUnSecondo() { ::alarm(1); }
    ~EntroUnSecondo() { ::alarm(0); }
};

} // namespace hn::prova
