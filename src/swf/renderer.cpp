#include "renderer.h"

#include "objectrenderer.h"
#include "raster.h"

#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <functional>

namespace sky::swf {
namespace {

constexpr qint64 maxSupersampledPixels = 64LL * 1024 * 1024;

// Qt hands parts of each large fill to the threads of the global pool,
// unless the painting itself runs on one of them. A frame is many small
// fills, for which the hand-offs cost more than they save: it is drawn on
// a pool thread while the caller waits, or right here when none is free.
void drawOnPoolThread(const std::function<void()> &draw)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    if (pool->contains(QThread::currentThread())) {
        draw();
        return;
    }
    QSemaphore done;
    if (!pool->tryStart([&] {
            draw();
            done.release();
        })) {
        draw();
        return;
    }
    done.acquire();
}

struct StageContent {
    const StageClip *root;
    const std::vector<StageObject> &objects;
    const std::vector<StageObject> &levels;
};

void drawObjects(QPainter &painter, const Movie &movie, const StageContent &content, const QRectF &target,
                 int samples, bool smoothBitmaps, bool shadeGradients = true)
{
    const StageClip *root = content.root;
    const std::vector<StageObject> &objects = content.objects;
    const QRectF stage = movie.stageRect();
    painter.fillRect(target, movie.backgroundColor());
    if (stage.width() <= 0 || stage.height() <= 0 || target.isEmpty())
        return;
    const QTransform world = stageTransform(movie, target);
    painter.setClipRect(target, Qt::IntersectClip);
    const QTransform base = world * painter.transform();
    DrawItems list;
    list.items.reserve(objects.size());
    for (const StageObject &object : objects)
        list.items.push_back({object.depth, &object.clip->placement, object.age, object.clip});
    Renderer::Budget budget;
    // Gradients shaded pixel by pixel match the player exactly; Qt's own are
    // far quicker, and what a frame falls back to once its budget is spent.
    if (!shadeGradients)
        budget.shadedPixels = Renderer::Budget::maxShadedPixels;
    movie.pixelCache().beginFrame();
    Renderer renderer(painter, movie, samples, smoothBitmaps, world.m11() * 20, budget, &movie.pixelCache());
    renderer.setStageWorld(base);
    const RootPlacement inRoot = rootPlacement(root, base);
    if (inRoot.visible) {
        if (root && root->drawing && !root->drawing->isEmpty())
            renderer.drawScripted(*root->drawing, inRoot.world, inRoot.color);
        renderer.drawList(list, inRoot.world, inRoot.color, 0);
    }
    for (const StageObject &level : content.levels)
        renderer.drawObject({level.depth, &level.clip->placement, level.age, level.clip}, base, ColorTransform(), 0);
}

void drawWholeFrame(QPainter &painter, const Movie &movie, const StageContent &stage, const QRectF &target,
                    const RenderOptions &options)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!options.antialias) {
        drawObjects(painter, movie, stage, target, 1, false);
        painter.restore();
        return;
    }
    if (!options.supersample) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        drawObjects(painter, movie, stage, target, 1, true, false);
        painter.restore();
        return;
    }
    // Smooth edges come from drawing at four times the size in each
    // direction and averaging, as the player's high quality does.
    constexpr int samples = 4;
    const QRect device = painter.transform().mapRect(target).toAlignedRect().intersected(
        QRect(0, 0, painter.device()->width(), painter.device()->height()));
    if (device.isEmpty() || qint64(device.width()) * device.height() * samples * samples > maxSupersampledPixels) {
        drawObjects(painter, movie, stage, target, 1, true);
        painter.restore();
        return;
    }
    QImage big(device.size() * samples, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter bigPainter(&big);
        bigPainter.setTransform(painter.transform() * QTransform::fromTranslate(-device.x(), -device.y())
                                * QTransform::fromScale(samples, samples));
        drawObjects(bigPainter, movie, stage, target, samples, true);
    }
    painter.resetTransform();
    painter.drawImage(device.topLeft(), downsample(big, samples));
    painter.restore();
}

} // namespace

void drawClipOnto(QImage &image, const Movie &movie, const StageClip &clip, const QTransform &matrix,
                  const ColorTransform &color, const QRect &area, bool smoothBitmaps)
{
    drawOnPoolThread([&] {
        QPainter painter(&image);
        painter.setClipRect(area);
        Placement placement = clip.placement;
        placement.matrix = Matrix();
        placement.color = ColorTransform();
        const QTransform world = QTransform::fromScale(0.05, 0.05) * matrix;
        Renderer::Budget budget;
        Renderer renderer(painter, movie, 1, smoothBitmaps, std::sqrt(std::abs(matrix.determinant())), budget, nullptr);
        renderer.setStageWorld(world);
        renderer.drawObject({clip.depth, &placement, 0, &clip}, world, color, 0);
    });
}

RootPlacement rootPlacement(const StageClip *root, const QTransform &stageWorld)
{
    if (!root)
        return {stageWorld, ColorTransform(), true};
    return {root->placement.matrix.toTransform() * stageWorld, root->placement.color, root->placement.visible};
}

QTransform stageTransform(const Movie &movie, const QRectF &target)
{
    // The stage is a whole number of pixels from its top left corner.
    const QRectF stage(movie.stageRect().topLeft(), QSizeF(movie.stageSize()) * 20);
    const double scale = qMin(target.width() / stage.width(), target.height() / stage.height());
    return QTransform::fromTranslate(-stage.center().x(), -stage.center().y()) * QTransform::fromScale(scale, scale)
         * QTransform::fromTranslate(target.center().x(), target.center().y());
}

void drawStage(QPainter &painter, const Movie &movie, const StageClip *root, const std::vector<StageObject> &objects,
               const QRectF &target, const RenderOptions &options, const std::vector<StageObject> &levels)
{
    const StageContent stage{root, objects, levels};
    // Supersampled frames are a few very large fills, which the painter's
    // threads speed up; other frames are many small ones.
    if (options.antialias && options.supersample)
        drawWholeFrame(painter, movie, stage, target, options);
    else
        drawOnPoolThread([&] { drawWholeFrame(painter, movie, stage, target, options); });
}

} // namespace sky::swf
