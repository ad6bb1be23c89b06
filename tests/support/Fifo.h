#pragma once

// A FIFO where the installation has a file, and a deadline for the call that meets it: a call
// blocked on the FIFO ends the test process within a second instead of hanging the run.

#include <QFile>
#include <QString>
#include <sys/stat.h>
#include <unistd.h>

namespace hn::prova {

inline bool creaFifo(const QString& percorsoHost) {
    QFile::remove(percorsoHost);
    return ::mkfifo(QFile::encodeName(percorsoHost).constData(), 0644) == 0;
}

// SIGALRM's default action ends the process, which the test run reports as a failure.
struct EntroUnSecondo {
    EntroUnSecondo() { ::alarm(1); }
    ~EntroUnSecondo() { ::alarm(0); }
    EntroUnSecondo(const EntroUnSecondo&) = delete;
    EntroUnSecondo& operator=(const EntroUnSecondo&) = delete;
};

} // namespace hn::prova
