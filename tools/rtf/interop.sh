#!/bin/sh
# interop.sh [FILE.rtf ...]: does LibreOffice read our rewrite of each file (hnemar-rtf --rewrite)
# as it reads the file itself? Both are converted to plain text by LibreOffice, which writes list
# markers and indents each list level, and compared line by line.
#
# Some files LibreOffice misreads itself; they are listed below with what it gets wrong, their
# differences are shown and do not fail the check (there our rewrite is the one read right).
#
# Needs soffice (Debian: libreoffice-writer-nogui; for this check only) and a built hnemar-rtf
# (HNEMAR_RTF, default build/tools/hnemar-rtf). Files: the test corpus unless given.
# Exit status: 0 every file read alike, 1 a difference, 2 a tool missing.
set -u
radice=$(cd "$(dirname "$0")/../.." && pwd) || exit 2
RTF=${HNEMAR_RTF:-$radice/build/tools/hnemar-rtf}
command -v soffice >/dev/null || { echo "interop.sh: soffice not installed" >&2; exit 2; }
[ -x "$RTF" ] || { echo "interop.sh: $RTF not built" >&2; exit 2; }
[ $# -gt 0 ] || set -- "$radice"/tests/formati/rtf-corpus/*.rtf

# What LibreOffice 7.4 gets wrong in the source itself.
noto() {
    case "$1" in
    libreoffice) m="drops the text in the Symbol font (αβ)" ;;
    obcieta) m="opens no truncated file" ;;
    obrazki) m="opens no file with binary picture data" ;;
    pola) m="shows its own page number and symbol, not the fields' results" ;;
    unicode-uc) m="loses the letter after a lone surrogate" ;;
    word-lista) m="drops the bullet of a list that starts at its second level" ;;
    *) return 1 ;;
    esac
    printf '%s\n' "$m"
}

lavoro=$(mktemp -d) || exit 2
trap 'rm -rf "$lavoro"' EXIT
mkdir "$lavoro/in" "$lavoro/out" "$lavoro/home"
for f in "$@"; do
    nome=$(basename "$f" .rtf)
    cp "$f" "$lavoro/in/sorgente-$nome.rtf"
    QT_QPA_PLATFORM=offscreen "$RTF" --rewrite "$f" >"$lavoro/in/riscritto-$nome.rtf" 2>/dev/null
done
# A private profile, so that a running LibreOffice or its first-start dialogs stay out of the way.
HOME="$lavoro/home" soffice --headless -env:UserInstallation="file://$lavoro/home" \
    --convert-to "txt:Text (encoded):UTF8" --outdir "$lavoro/out" "$lavoro"/in/*.rtf >/dev/null 2>&1

esito=0
for f in "$@"; do
    nome=$(basename "$f" .rtf)
    s="$lavoro/out/sorgente-$nome.txt"
    r="$lavoro/out/riscritto-$nome.txt"
    [ -f "$s" ] || : >"$s"
    if [ ! -f "$r" ]; then
        echo "FAIL  $nome: LibreOffice cannot open our rewrite"
        esito=1
    elif cmp -s "$s" "$r"; then
        echo "ok    $nome"
    elif motivo=$(noto "$nome"); then
        echo "known $nome: LibreOffice $motivo"
        diff "$s" "$r" | sed 's/^/      /'
    else
        echo "FAIL  $nome"
        diff "$s" "$r" | sed 's/^/      /'
        esito=1
    fi
done
exit $esito
