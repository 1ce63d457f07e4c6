#include "devicefonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>

#include <set>

namespace sky::swf {

namespace {

bool hasFontDatabase() { return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr; }

QRawFont &carriedFont()
{
    static QRawFont font;
    return font;
}

// The system's font that stands for a device font's name.
QRawFont systemFont(const QString &name, bool bold, bool italic)
{
    // Names may carry the NUL that ends them in the file.
    const QString family = name.section(QChar(0), 0, 0);
    QFont wanted;
    if (family == u"_sans") {
        wanted.setFamily(QStringLiteral("Sans Serif"));
        wanted.setStyleHint(QFont::SansSerif);
    } else if (family == u"_serif") {
        wanted.setFamily(QStringLiteral("Serif"));
        wanted.setStyleHint(QFont::Serif);
    } else if (family == u"_typewriter") {
        wanted.setFamily(QStringLiteral("Monospace"));
        wanted.setStyleHint(QFont::TypeWriter);
    } else if (family == u"Times New Roman") {
        // The player's own default face: the system's serif font where
        // the system lacks it.
        wanted.setFamilies({family, QStringLiteral("Serif")});
        wanted.setStyleHint(QFont::Serif);
    } else {
        // A family the system lacks falls back to its sans-serif font.
        wanted.setFamilies({family, QStringLiteral("Sans Serif")});
        wanted.setStyleHint(QFont::SansSerif);
    }
    wanted.setBold(bold);
    wanted.setItalic(italic);
    return QRawFont::fromFont(wanted);
}

} // namespace

QStringList deviceFontFamilies() { return hasFontDatabase() ? QFontDatabase::families() : QStringList(); }

FontCharacter deviceFont(const QString &name, bool bold, bool italic, const QString &characters)
{
    FontCharacter font;
    font.name = name;
    font.bold = bold;
    font.italic = italic;
    if (!hasFontDatabase())
        return font;
    const bool carried = carriedFont().isValid();
    QRawFont raw = carried ? carriedFont() : systemFont(name, bold, italic);
    font.wholePixelHeights = !carried;
    if (!raw.isValid())
        return font;
    raw.setPixelSize(font.emSize);
    font.ascent = raw.ascent();
    font.descent = raw.descent();
    std::set<char16_t> seen;
    for (const QChar c : characters) {
        if (c.isSurrogate() || !seen.insert(c.unicode()).second)
            continue;
        const QList<quint32> indexes = raw.glyphIndexesForString(QString(c));
        if (indexes.size() != 1 || indexes.front() == 0)
            continue;
        font.codes.push_back(c.unicode());
        font.glyphs.push_back(raw.pathForGlyph(indexes.front()));
        font.advances.push_back(raw.advancesForGlyphIndexes(indexes).front().x());
    }
    return font;
}

void setCarriedDeviceFont(const QString &file)
{
    carriedFont() = file.isEmpty() || !hasFontDatabase() ? QRawFont() : QRawFont(file, 1024);
}

} // namespace sky::swf
