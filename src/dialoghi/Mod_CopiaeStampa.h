#pragma once

// Routines shared by the print and copy dialogs: their layout on screens of any resolution and
// the credit line that heads what they print and copy.

#include <QByteArray>
#include <QString>

namespace hn {

class DialogoComune;

// A control as the layout pass sees it. Every member raises run-time error 438 unless the
// control's kind has it (a timer has no geometry, a shape no border style), so a form's controls
// only override what they really offer.
class ControlloDelDialogo {
public:
    virtual ~ControlloDelDialogo() = default;
    virtual bool isLabel() const { return false; }
    // 1 is three-dimensional.
    virtual int Appearance() const;
    virtual double LeftTw() const;
    virtual double TopTw() const;
    virtual double WidthTw() const;
    virtual double HeightTw() const;
    virtual void MoveTw(double left, double top, double width, double height);
    virtual void ImpostaBorderStyle(int stile);
};

// A form's Controls collection, in its order. An element may be null (error 91 when used).
class ControlliDelDialogo {
public:
    virtual ~ControlliDelDialogo() = default;
    virtual int Count() const = 0;
    virtual ControlloDelDialogo* Item(int indice) const = 0;
};

namespace Mod_CopiaeStampa {

// The dialogs' bitmaps are drawn pixel for pixel for 15 twips per pixel. On any other screen
// each control's twips are rescaled so it stays over its drawing; on every screen controls lose
// their three-dimensional border. With tutti false only labels are treated. Errors 438, 382 and
// 91 skip the one operation; any other ends the pass where it stands. Nothing is reported.
void AdattaControlli(const ControlliDelDialogo& controlli, bool tutti);

// The line that names the product and its publisher, at the head of printed text, of the
// printed illustration and of every text appended to the copy file.
QString RigaDiCredito();

// Replaces the file at a Windows path with these bytes so that a failure at any point leaves the
// earlier file whole: the bytes go to a new file beside it, which takes its place only once it is
// complete and on the disk. A folder, FIFO or device in the file's place is refused, never
// replaced. Errors: 61 the disk is full, 57 input/output error, 75 the path or the file cannot
// be written.
void ScriviFileIntero(const QString& percorso, const QByteArray& dati);

// Lets the user pick the copy file through the save-as chooser. nome is a Windows path without
// extension: in, where the chooser opens and the name it offers; out, the file chosen, with its
// extension cut off. Cancel, or any failure of the chooser, leaves nome as it was, silently.
void ScegliFile(DialogoComune& dialogo, QString& nome, const QString& filtro);

// The part after the last backslash, trimmed; "" when there is no backslash.
QString EstraiNomeFileDaPathNameCompleto(const QString& s);

// The folder with its trailing backslash: s without as many characters at its end as the
// file-name part has; "" when there is no file-name part.
QString EstraiPathDaNomeFileCompleto(const QString& s);

} // namespace Mod_CopiaeStampa

} // namespace hn
