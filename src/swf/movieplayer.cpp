#include "movieplayer.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace sky::swf {

bool MoviePlayer::load(const QString &path)
{
    QString error;
    auto movie = Movie::fromFile(path, &error);
    if (!movie) {
        error_ = error;
        return false;
    }
    setMovie(std::move(movie));
    return true;
}

bool MoviePlayer::loadData(const QByteArray &data)
{
    QString error;
    auto movie = Movie::fromData(data, &error);
    if (!movie) {
        error_ = error;
        return false;
    }
    setMovie(std::move(movie));
    return true;
}

void MoviePlayer::setMovie(std::shared_ptr<const Movie> movie)
{
    scripts_.reset();
    stage_.reset();
    movie_ = std::move(movie);
    error_.clear();
    if (!movie_)
        return;
    stage_ = std::make_unique<ClipStage>(*movie_, nullptr);
    scripts_ = std::make_unique<ScriptRuntime>(*this, *stage_);
    stage_->setListener(scripts_.get());
    scripts_->onTrace = traceSink_;
    scripts_->start();
}

int MoviePlayer::totalFrames() const { return movie_ ? movie_->timeline().frameCount() : 0; }

void MoviePlayer::setPlaying(bool playing)
{
    if (stage_)
        stage_->root().playing = playing;
}

void MoviePlayer::tick()
{
    if (scripts_)
        scripts_->tick();
}

void MoviePlayer::gotoFrame(int n)
{
    if (stage_)
        stage_->reset(qBound(1, n, totalFrames()));
}

void MoviePlayer::back()
{
    stop();
    if (currentFrame() > 1)
        gotoFrame(currentFrame() - 1);
}

void MoviePlayer::forward()
{
    stop();
    if (currentFrame() < totalFrames())
        gotoFrame(currentFrame() + 1);
}

void MoviePlayer::draw(QPainter &painter, const QRectF &target, const RenderOptions &options) const
{
    if (movie_)
        drawStage(painter, *movie_, stageObjects(), target, options);
}

std::vector<StageObject> MoviePlayer::stageObjects() const
{
    std::vector<StageObject> objects;
    if (!stage_)
        return objects;
    objects.reserve(stage_->root().children.size());
    for (const auto &[depth, clip] : stage_->root().children)
        objects.push_back({depth, clip->placement, stage_->tick - clip->placedTick});
    return objects;
}

QSize boundedFrameSize(const QSize &stage)
{
    const double area = double(stage.width()) * stage.height();
    const double scale = std::min({1.0, std::sqrt(double(maxFramePixels) / area),
                                   double(maxFrameSide) / qMax(stage.width(), stage.height())});
    // Whole pixels, forgiving the rounding of the square root.
    const auto side = [scale](int length) { return qMax(1, int(length * scale + 1e-6)); };
    return QSize(side(stage.width()), side(stage.height()));
}

QImage MoviePlayer::renderFrame(const RenderOptions &options) const
{
    if (!movie_)
        return {};
    const QSize size = boundedFrameSize(movie_->stageSize());
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), options);
    painter.end();
    return image;
}

} // namespace sky::swf
