#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <map>

#include <vector>

// The reference images of one corpus movie and how they are compared.
struct ImageCheck {
    int tolerance = 0;
    int maxOutliers = 0;
};

struct ReferenceImage {
    QString name; // file is <name>.expected.png
    int tick = 1;
    bool knownFailure = false;
    std::vector<ImageCheck> checks;
};

struct CorpusCase {
    int ticks = 1;
    bool lowQuality = false;
    QSize viewport; // the window the movie is shown in, when not the stage's size
    std::vector<ReferenceImage> images;
    // Font files shipped beside the movie, and the families that stand for
    // the player's "sans", "serif" and "typewriter" fonts in its test.
    QStringList fontFiles;
    std::map<QString, QStringList> defaultFonts;
    // The reference player drew device text in its own built-in font.
    bool playerDefaultFont = false;
};

// Reads the parts of a test.toml the comparison needs.
CorpusCase readCorpusToml(const QString &text);

// Channels (R, G, B, A) that differ by more than the tolerance.
qint64 countOutliers(const QImage &actual, const QImage &expected, int tolerance);

// True when the sizes agree and every check is met.
bool imageMatches(const QImage &actual, const QImage &expected, const std::vector<ImageCheck> &checks);
