#pragma once

#include "drawitems.h"
#include "movie.h"
#include "pixelcache.h"
#include "pixelwriter.h"
#include "raster.h"

#include <QPainter>
#include <QTransform>

#include <functional>

namespace sky::swf {

// Draws display lists and the characters on them onto a painter, in
// device pixels, `samples` of them to one pixel of the picture.
class Renderer {
public:
    // Work done for one frame, shared by the renderers of its layers, so
    // that a hostile movie cannot make a frame take unbounded time.
    struct Budget {
        static constexpr int maxObjects = 200'000;
        static constexpr int maxLayers = 64; // full-size images for masks and blend modes
        static constexpr qint64 maxShadedPixels = 64LL * 1024 * 1024;
        static constexpr qint64 maxFilteredPixels = 32LL * 1024 * 1024;

        int objects = 0;
        int layers = 0;
        qint64 shadedPixels = 0;
        qint64 filteredPixels = 0; // pixels of the layers filtered times their filters' passes
    };

    // Draws without Qt's antialiasing unless the painter has it on, when
    // the painter smooths edges itself; with `samples` above one the caller
    // averages the device pixels down for smooth edges. Drawn pixels are
    // kept in `cache`, when given, to be put down again in later frames.
    Renderer(QPainter &painter, const Movie &movie, int samples, bool smoothBitmaps, double stageScale, Budget &budget,
             PixelCache *cache);

    // Where the stage's twips go on the device: a mask set by a script is
    // drawn where it stands on the stage, wherever the clip it masks is.
    void setStageWorld(const QTransform &world) { stageWorld_ = world; }

    void drawList(const DrawItems &list, const QTransform &world, const ColorTransform &color, int level);
    void drawObject(const DrawItem &item, const QTransform &parentWorld, const ColorTransform &parentColor, int level);
    void drawCharacter(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level);
    // What a clip's drawing methods drew (shapedrawing.cpp).
    void drawScripted(const ScriptDrawing &drawing, const QTransform &world, const ColorTransform &color);
    // A script's bitmap a clip shows (shapedrawing.cpp).
    void drawScriptBitmap(const StageClip &clip, const QTransform &world, const ColorTransform &color);

private:
    // Display lists, masks and layers (objectrenderer.cpp).
    void drawMasked(const DrawItem &mask, const DrawItems &content, const QTransform &world,
                    const ColorTransform &color, int level);
    void drawScriptMasked(const DrawItem &item, const QTransform &parentWorld, const ColorTransform &parentColor,
                          int level);
    void drawScrolled(const DrawItem &item, const QRectF &scroll, const QTransform &world, const ColorTransform &color,
                      int level);
    // Draws what `content` draws into a layer and keeps the part the fills
    // `mask` draws cover.
    void drawThroughMask(const std::function<void(Renderer &)> &mask, const std::function<void(Renderer &)> &content);
    void fillMaskRect(const QRectF &rect, const QTransform &world);
    void drawChildren(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level);
    QImage drawnAlone(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level);
    QPainterPath outline(const DrawItem &item, const QTransform &parentWorld, int level);
    bool withinFilterBudget(qint64 layerPixels, const std::vector<Filter> &filters);
    Renderer onto(QPainter &painter) const;
    Renderer withLibrary(const Movie &library) const;
    Renderer like(QPainter &painter, const Movie &movie, PixelCache *cache) const;
    QTransform placed(const Placement &placement, const QTransform &parentWorld) const;
    QRectF declaredArea(const DrawItem &item, const QTransform &world, int level) const;
    QRect device() const;

    // Pixels kept between frames (cacheddrawing.cpp).
    bool drawnFromCache(quint16 id, int ratio, const QTransform &world, const ColorTransform &color);
    void drawAsBitmap(const DrawItem &item, const QTransform &world, const ColorTransform &color, int level,
                      bool ownLayer, bool filtered);
    DrawStep settingsStep() const;
    DrawStep characterStep(quint16 id, int ratio, const QTransform &world, const ColorTransform &color,
                           const QPointF &origin) const;
    void record(DrawStep step, const QRectF &area = {});

    // Shapes, text and bitmaps (shapedrawing.cpp).
    void drawDrawn(const Character &character, quint16 id, int ratio, const QTransform &world,
                   const ColorTransform &color);
    void drawShape(const CompiledShape &shape, const QTransform &world, const ColorTransform &color);
    QPainterPath pixelArea(const QPainterPath &outline) const;
    int subsamples() const;
    void fillOutline(const QPainterPath &outline, const QBrush &brush);
    void fillOutline(const QPainterPath &outline, const std::function<void(QPainter &, const QRect &)> &paint);
    void fillPath(const QPainterPath &path, const FillStyle &style, const QTransform &world, const ColorTransform &color);
    QBrush brushFor(const FillStyle &style, const ColorTransform &color, const QTransform &world, const QRectF &bounds);
    void strokePath(const StrokedPath &stroke, const QTransform &world, const ColorTransform &color);
    void fillInDevice(const QPainterPath &outline, QBrush brush, const QTransform &world);
    void drawText(const TextCharacter &text, const QTransform &world, const ColorTransform &color);
    void drawFrame(const TextCharacter &text, const QTransform &world, const ColorTransform &color);
    void drawGlyphs(const TextCharacter &text, const QTransform &world, const ColorTransform &color);

    QPainter &painter_;
    const Movie &movie_;
    int samples_;
    bool smoothBitmaps_;
    double stageScale_;
    Budget &budget_;
    PixelCache *cache_;
    bool smoothEdges_; // the painter antialiases; else pixels are taken in by their centres
    std::optional<PixelWriter> writer_; // fills straight into the painter's image
    bool outlinesOnly_ = false;
    bool inLayer_ = false; // drawing into the layer of a blended or filtered parent
    QTransform stageWorld_;
    const StageClip *unmasked_ = nullptr; // drawn inside its mask's layer
    // While only recording what a drawing would do: the steps, their
    // device area, and the device point they are taken relative to.
    DrawSteps *steps_ = nullptr;
    QRectF *stepsArea_ = nullptr;
    QPointF stepsOrigin_;
};

} // namespace sky::swf
