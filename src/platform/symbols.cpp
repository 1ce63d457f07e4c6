#include "platform/symbols.h"

namespace sky {

QString symbolText(SymbolFont font, const QString &text)
{
    if (font == SymbolFont::None)
        return text;
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        // Drawn from the shapes that common fonts have, so that no symbol
        // font needs to be installed.
        const char16_t *symbol = nullptr;
        if (font == SymbolFont::Wingdings) {
            switch (c.unicode()) {
            case u'n': symbol = u"\u25A0"; break; // black square
            case u'l': symbol = u"\u25CF"; break; // black circle
            case u'u': symbol = u"\u25C6"; break; // black diamond
            case u'\u00AB': symbol = u"\u2605"; break; // star
            case u'J': symbol = u"\u263A"; break; // smiling face
            case u'\u00FC': symbol = u"\u2714"; break; // check mark
            default: break;
            }
        } else {
            switch (c.unicode()) {
            case u'3': symbol = u"\u25C0"; break; // play backwards
            case u'4': symbol = u"\u25B6"; break; // play
            case u'7': symbol = u"\u25C0\u25C0"; break; // step back
            case u'8': symbol = u"\u25B6\u25B6"; break; // step forward
            case u'9': symbol = u"\u25AE\u25C0"; break; // to the start
            case u':': symbol = u"\u25B6\u25AE"; break; // to the end
            case u';': symbol = u"\u25AE\u25AE"; break; // pause
            case u'<': symbol = u"\u25A0"; break; // stop
            case u'r': symbol = u"\u2715"; break; // close
            default: break;
            }
        }
        if (symbol)
            shown.append(QString::fromUtf16(symbol));
        else
            shown.append(c);
    }
    return shown;
}

} // namespace sky
