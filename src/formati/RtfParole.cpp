#include "RtfLettore.h"

namespace hn::rtf {

const std::unordered_map<std::string_view, Cw>& paroleControllo() {
    // clang-format off
    static const std::unordered_map<std::string_view, Cw> mappa = {
        {"rtf", Cw::Rtf}, {"ansi", Cw::Ansi}, {"mac", Cw::Mac}, {"pc", Cw::Pc}, {"pca", Cw::Pca},
        {"ansicpg", Cw::Ansicpg}, {"deff", Cw::Deff}, {"uc", Cw::Uc}, {"u", Cw::U},
        {"fonttbl", Cw::Fonttbl}, {"colortbl", Cw::Colortbl}, {"red", Cw::Red},
        {"green", Cw::Green}, {"blue", Cw::Blue}, {"f", Cw::F}, {"fcharset", Cw::Fcharset},
        {"cpg", Cw::Cpg}, {"fnil", Cw::Fnil}, {"froman", Cw::Froman}, {"fswiss", Cw::Fswiss},
        {"fmodern", Cw::Fmodern}, {"fscript", Cw::Fscript}, {"fdecor", Cw::Fdecor},
        {"ftech", Cw::Ftech}, {"fbidi", Cw::Fbidi}, {"info", Cw::Info},
        {"stylesheet", Cw::Stylesheet}, {"header", Cw::Header}, {"headerl", Cw::Header},
        {"headerr", Cw::Header}, {"headerf", Cw::Header}, {"footer", Cw::Footer},
        {"footerl", Cw::Footer}, {"footerr", Cw::Footer}, {"footerf", Cw::Footer},
        {"footnote", Cw::Footnote}, {"listtable", Cw::Listtable},
        {"listoverridetable", Cw::Listoverridetable}, {"revtbl", Cw::Revtbl}, {"pict", Cw::Pict},
        {"shppict", Cw::Shppict}, {"nonshppict", Cw::Nonshppict}, {"field", Cw::Field},
        {"fldinst", Cw::Fldinst}, {"fldrslt", Cw::Fldrslt}, {"pntext", Cw::Pntext},
        {"listtext", Cw::Listtext}, {"pn", Cw::Pn}, {"pntxta", Cw::Pntxta}, {"pntxtb", Cw::Pntxtb},
        {"upr", Cw::Upr}, {"ud", Cw::Ud}, {"object", Cw::Object}, {"objdata", Cw::Objdata},
        {"objclass", Cw::Objdata}, {"objname", Cw::Objdata}, {"result", Cw::Result},
        {"bin", Cw::Bin}, {"rsidtbl", Cw::Skipall}, {"xmlnstbl", Cw::Skipall},
        {"pgdsctbl", Cw::Skipall}, {"filetbl", Cw::Skipall}, {"pnseclvl", Cw::Skipall},
        {"template", Cw::Skipall}, {"annotation", Cw::Skipall}, {"atnid", Cw::Skipall},
        {"atnauthor", Cw::Skipall}, {"xe", Cw::Skipall}, {"tc", Cw::Skipall}, {"txe", Cw::Skipall},
        {"ftnsep", Cw::Skipall}, {"ftnsepc", Cw::Skipall}, {"aftnsep", Cw::Skipall},
        {"aftnsepc", Cw::Skipall}, {"comment", Cw::Skipall}, {"author", Cw::Skipall},
        {"title", Cw::Skipall}, {"subject", Cw::Skipall}, {"doccomm", Cw::Skipall},
        {"operator", Cw::Skipall}, {"keywords", Cw::Skipall}, {"par", Cw::Par}, {"line", Cw::Line},
        {"tab", Cw::Tab}, {"page", Cw::Page}, {"sect", Cw::Sect}, {"cell", Cw::Cell},
        {"row", Cw::Row}, {"nestcell", Cw::Nestcell}, {"nestrow", Cw::Nestrow},
        {"lquote", Cw::Lquote}, {"rquote", Cw::Rquote}, {"ldblquote", Cw::Ldblquote},
        {"rdblquote", Cw::Rdblquote}, {"endash", Cw::Endash}, {"emdash", Cw::Emdash},
        {"bullet", Cw::Bullet}, {"emspace", Cw::Emspace}, {"enspace", Cw::Enspace},
        {"qmspace", Cw::Qmspace}, {"zwj", Cw::Zwj}, {"zwnj", Cw::Zwnj}, {"ltrmark", Cw::Ltrmark},
        {"rtlmark", Cw::Rtlmark}, {"chpgn", Cw::Chpgn}, {"plain", Cw::Plain}, {"b", Cw::B},
        {"i", Cw::I}, {"ul", Cw::Ul}, {"uld", Cw::Ul}, {"uldash", Cw::Ul}, {"uldb", Cw::Ul},
        {"ulw", Cw::Ul}, {"ulth", Cw::Ul}, {"ulwave", Cw::Ul}, {"ulnone", Cw::Ulnone},
        {"strike", Cw::Strike}, {"striked", Cw::Striked}, {"fs", Cw::Fs}, {"cf", Cw::Cf},
        {"cb", Cw::Cb}, {"highlight", Cw::Highlight}, {"chcbpat", Cw::Chcbpat},
        {"super", Cw::Super}, {"sub", Cw::Sub}, {"nosupersub", Cw::Nosupersub}, {"up", Cw::Up},
        {"dn", Cw::Dn}, {"caps", Cw::Caps}, {"scaps", Cw::Scaps}, {"v", Cw::V},
        {"protect", Cw::Protect}, {"pard", Cw::Pard}, {"ql", Cw::Ql}, {"qc", Cw::Qc},
        {"qr", Cw::Qr}, {"qj", Cw::Qj}, {"li", Cw::Li}, {"ri", Cw::Ri}, {"fi", Cw::Fi},
        {"sb", Cw::Sb}, {"sa", Cw::Sa}, {"sl", Cw::Sl}, {"slmult", Cw::Slmult}, {"tx", Cw::Tx},
        {"tqr", Cw::Tqr}, {"tqc", Cw::Tqc}, {"tqdec", Cw::Tqdec}, {"tb", Cw::Tb},
        {"intbl", Cw::Intbl}, {"rtlpar", Cw::Rtlpar}, {"ltrpar", Cw::Ltrpar}, {"ls", Cw::Ls}, {"ilvl", Cw::Ilvl}, {"trowd", Cw::Trowd},
        {"cellx", Cw::Cellx}, {"pnlvlblt", Cw::Pnlvlblt}, {"pnlvlbody", Cw::Pnlvlbody},
        {"pnlvlcont", Cw::Pnlvlcont}, {"pnlvl", Cw::Pnlvl}, {"pndec", Cw::Pndec},
        {"pnlcltr", Cw::Pnlcltr}, {"pnucltr", Cw::Pnucltr}, {"pnlcrm", Cw::Pnlcrm},
        {"pnucrm", Cw::Pnucrm}, {"pngblip", Cw::Pngblip}, {"jpegblip", Cw::Jpegblip},
        {"picw", Cw::Picw}, {"pich", Cw::Pich}, {"picwgoal", Cw::Picwgoal},
        {"pichgoal", Cw::Pichgoal}, {"picscalex", Cw::Picscalex}, {"picscaley", Cw::Picscaley},
        {"clbrdrt", Cw::Clbrdr}, {"clbrdrl", Cw::Clbrdr}, {"clbrdrb", Cw::Clbrdr},
        {"clbrdrr", Cw::Clbrdr}, {"trbrdrt", Cw::Clbrdr}, {"trbrdrl", Cw::Clbrdr},
        {"trbrdrb", Cw::Clbrdr}, {"trbrdrr", Cw::Clbrdr}, {"trbrdrh", Cw::Clbrdr},
        {"trbrdrv", Cw::Clbrdr}, {"brdrnone", Cw::Brdrnone}, {"brdrnil", Cw::Brdrnone},
        {"trgaph", Cw::Trgaph},
    };
    // clang-format on
    return mappa;
}

} // namespace hn::rtf
