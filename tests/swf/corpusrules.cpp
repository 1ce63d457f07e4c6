#include "corpusrules.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdlib>

namespace {

// The strings of a value: "a" or ["a", "b"].
QStringList quoted(const QString &value)
{
    static const QRegularExpression stringRe(QStringLiteral(R"re("([^"]*)")re"));
    QStringList strings;
    for (auto it = stringRe.globalMatch(value); it.hasNext();)
        strings.push_back(it.next().captured(1));
    return strings;
}

// The image of that name, added when first named: its table may come
// after keys given to it in dotted form, or to other images in between.
ReferenceImage *imageNamed(std::vector<ReferenceImage> &images, const QString &name)
{
    for (ReferenceImage &image : images) {
        if (image.name == name)
            return &image;
    }
    images.push_back({name, -1, false, {}});
    return &images.back();
}

} // namespace

CorpusCase readCorpusToml(const QString &text)
{
    CorpusCase result;
    ReferenceImage *image = nullptr;
    bool inChecks = false;
    bool inPlayerOptions = false;
    bool inFont = false;
    bool inDefaultFonts = false;
    static const QRegularExpression tableRe(QStringLiteral(R"re(^\[(\[?)\s*image_comparisons\.(?:"([^"]+)"|([^.\]]+)))re"));
    static const QRegularExpression keyRe(QStringLiteral(R"re(^([A-Za-z_]+)\s*=\s*(.+)$)re"));
    static const QRegularExpression qualityRe(QStringLiteral(R"re(quality\s*=\s*"(\w+)")re"));
    static const QRegularExpression viewportRe(QStringLiteral(R"re(width\s*=\s*(\d+)\s*,\s*height\s*=\s*(\d+))re"));
    // image_comparisons."name".key = value, outside any table of its own.
    static const QRegularExpression dottedRe(QStringLiteral(R"re(^image_comparisons\.(?:"([^"]+)"|(\w+))\.(\w+)\s*=\s*(.+)$)re"));
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const auto m = tableRe.match(line);
            inPlayerOptions = line == u"[player_options]";
            inFont = line.startsWith(u"[fonts.");
            inDefaultFonts = line == u"[default_fonts]";
            if (!m.hasMatch()) {
                image = nullptr;
                continue;
            }
            const QString name = m.captured(2).isEmpty() ? m.captured(3) : m.captured(2);
            inChecks = !m.captured(1).isEmpty();
            image = imageNamed(result.images, name);
            if (inChecks)
                image->checks.push_back({});
            continue;
        }
        QString key;
        QString value;
        if (const auto dotted = dottedRe.match(line); dotted.hasMatch()) {
            image = imageNamed(result.images, dotted.captured(1).isEmpty() ? dotted.captured(2) : dotted.captured(1));
            key = dotted.captured(3);
            value = dotted.captured(4).trimmed();
        } else {
            const auto m = keyRe.match(line);
            if (!m.hasMatch())
                continue;
            key = m.captured(1);
            value = m.captured(2).trimmed();
        }
        if (inFont && key == u"path") {
            result.fontFiles.push_back(quoted(value).value(0));
        } else if (inDefaultFonts) {
            result.defaultFonts[key] = quoted(value);
        } else if (inPlayerOptions && key == u"with_renderer") {
            const auto q = qualityRe.match(value);
            result.lowQuality = q.hasMatch() && q.captured(1) == u"low";
        } else if (inPlayerOptions && key == u"with_default_font") {
            result.playerDefaultFont = value == u"true";
        } else if (inPlayerOptions && key == u"viewport_dimensions") {
            const auto v = viewportRe.match(value);
            if (v.hasMatch())
                result.viewport = QSize(v.captured(1).toInt(), v.captured(2).toInt());
        } else if (!image && key == u"num_frames") {
            result.ticks = value.toInt();
        } else if (image && key == u"trigger") {
            image->tick = value.toInt();
        } else if (image && key == u"known_failure") {
            image->knownFailure = value == u"true";
        } else if (image && (key == u"tolerance" || key == u"max_outliers")) {
            if (image->checks.empty())
                image->checks.push_back({});
            ImageCheck &check = image->checks.back();
            (key == u"tolerance" ? check.tolerance : check.maxOutliers) = value.toInt();
        }
    }
    for (ReferenceImage &ref : result.images) {
        if (ref.tick < 1)
            ref.tick = result.ticks;
        if (ref.checks.empty())
            ref.checks.push_back({});
    }
    return result;
}

qint64 countOutliers(const QImage &actual, const QImage &expected, int tolerance)
{
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    qint64 outliers = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *pe = reinterpret_cast<const QRgb *>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            outliers += std::abs(qRed(pa[x]) - qRed(pe[x])) > tolerance;
            outliers += std::abs(qGreen(pa[x]) - qGreen(pe[x])) > tolerance;
            outliers += std::abs(qBlue(pa[x]) - qBlue(pe[x])) > tolerance;
            outliers += std::abs(qAlpha(pa[x]) - qAlpha(pe[x])) > tolerance;
        }
    }
    return outliers;
}

bool imageMatches(const QImage &actual, const QImage &expected, const std::vector<ImageCheck> &checks)
{
    if (actual.size() != expected.size())
        return false;
    for (const ImageCheck &check : checks)
        if (countOutliers(actual, expected, check.tolerance) > check.maxOutliers)
            return false;
    return true;
}
