#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace hn {

namespace blob {
class Archivio;
}

// The blob reader control: writes one entry of an archive store to a file. The program sets the
// store path (property 1) before every extraction and then judges success only by whether the
// destination file exists afterwards. Both paths are Windows-form.
class QxBlob2 {
public:
    // Property 1: the store file to read.
    const QString& Proprieta1() const { return store_; }
    void setProprieta1(const QString& percorsoStore) { store_ = percorsoStore; }

    // Method 2: writes the entry (name without regard to case) to the destination file. An entry
    // the store does not hold, or a name that is not a plain file name, writes nothing and raises
    // nothing. A missing, unreadable or damaged store, or a destination that cannot be written,
    // raises the run-time error (53, 75, 76, 61, 321) and leaves no file behind; its description
    // is a Polish sentence naming the store or the destination.
    void Metodo2(const QString& voce, const QString& destinazione) const;
    // Method 3: the same, used by the program for the background store.
    void Metodo3(const QString& voce, const QString& destinazione) const;

    // The entry's bytes, read in memory: what the program loads pictures, descriptions and
    // captions from. nullopt where Method 2 would write nothing; the same errors otherwise (53,
    // 75, 321), with the same sentences.
    std::optional<QByteArray> Dati(const QString& voce) const;

    // The store of property 1, open, for finding what lies beside an entry (its renditions);
    // the same errors as Dati.
    std::shared_ptr<const blob::Archivio> archivioAperto() const {
        QString percorso;
        return archivio(percorso);
    }

private:
    // The store of property 1, opened once and kept (53, 75, 321 with a sentence naming it).
    std::shared_ptr<const blob::Archivio> archivio(QString& percorsoHost) const;

    QString store_;
};

} // namespace hn
