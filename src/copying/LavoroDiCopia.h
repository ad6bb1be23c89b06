#pragma once

// The copy job the copy dialog runs when confirmed: the chosen content to the clipboard, or
// appended to the copy file (FilePerCopia + ".rtf", a picture as FilePerCopia + ".bmp").

#include "KorAtx.h"

#include <QPointer>
#include <QString>

namespace hn {

class ControlloConPicture;
class RichTextBox;
class Riquadro;

// What the job reads from the dialog: the texts it took from its sources when it opened, the
// sources themselves, and its three work controls.
struct StatoDiCopia {
    bool TestoPresente = false;   // a text was offered when the dialog opened
    bool SelezioneScelta = false; // the selected part, rather than the whole text, goes to the file
    QString TestoDaCopiare;
    QString SelezioneDaCopiare;
    QString DidascaliaDaCopiare;
    QPointer<KorAtx> sorgenteTesto;
    QPointer<KorAtx> sorgenteDidascalia;
    ControlloConPicture* fotoDaCopiare = nullptr;
    KorAtx* TESTOATX = nullptr;      // puts rich text on the clipboard
    RichTextBox* testortf = nullptr; // holds the copy file's text
    Riquadro* foto = nullptr;        // holds the picture on its way to the file
};

// What is copied, as the dialog's marks choose it.
enum class CosaCopiare { Niente, Selezione, Testo, Didascalia, Immagine };

class LavoroDiCopia {
public:
    // The copy file's names are taken now, from FilePerCopia.
    explicit LavoroDiCopia(StatoDiCopia stato);

    // The file destination's preparation, before the marks are read: the new text, the copy file
    // read into testortf (or started afresh) and, when a text came with the dialog, an empty
    // line, the credit line and the new text after it. Errors here are ignored; pending events
    // run at the end.
    void PreparaFile();
    // Writes the choice to the copy file (a caption also goes through the clipboard); the
    // selected part is not a choice here: SelezioneScelta picked the text already.
    void CopiaNelFile(CosaCopiare cosa);
    void CopiaNegliAppunti(CosaCopiare cosa);

    // The whole text, or the caption, on the clipboard through TESTOATX.
    void CopiaTestoInAppunti();
    void CopiaDidascaliaInAppunti();

    // The copy file this job wrote (Windows form), empty when it wrote none.
    const QString& fileScritto() const { return scritto_; }

private:
    // TESTOATX takes the text and selects from inizio, lunghezza characters (the whole text
    // when lunghezza is negative), with the clipboard cleared on the way.
    void selezionaInTestoatx(const QString& testo, int inizio = 0, int lunghezza = -1);
    // The text for the file and the copy file's earlier content in testortf; false when that
    // content exists but could not be read, so that saving now would lose it.
    bool leggiFile();
    void salvaTestortf();
    void salvaFoto();
    void incollaDidascalia();

    StatoDiCopia s_;
    QString fileTesto_;
    QString fileFoto_;
    QString nuovo_;
    bool fileLetto_ = false;
    QString fileRiavviato_;
    QString scritto_;
};

} // namespace hn
