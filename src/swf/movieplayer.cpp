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
    movie_ = std::move(movie);
    error_.clear();
    live_.clear();
    tick_ = 0;
    playing_ = true;
    frame_ = 0;
    scripts_.reset();
    if (!movie_)
        return;
    scripts_ = std::make_unique<ScriptRuntime>(*this);
    scripts_->onTrace = traceSink_;
    enterFrame(1);
    scripts_->runFrame();
}

int MoviePlayer::totalFrames() const { return movie_ ? movie_->timeline().frameCount() : 0; }

void MoviePlayer::enterFrame(int n)
{
    const auto target = movie_->timeline().displayListAt(n);
    std::map<int, LiveObject> next;
    for (const auto &[depth, placement] : *target) {
        LiveObject object{placement, tick_ - qMax(0, n - placement.placedFrame)};
        const auto kept = live_.find(depth);
        if (kept != live_.end() && kept->second.placement.characterId == placement.characterId
            && kept->second.placement.placedFrame == placement.placedFrame)
            object.placedTick = kept->second.placedTick;
        next.emplace(depth, object);
    }
    live_ = std::move(next);
    frame_ = n;
}

void MoviePlayer::tick()
{
    if (!movie_)
        return;
    ++tick_;
    if (!playing_ || totalFrames() <= 1)
        return;
    enterFrame(frame_ % totalFrames() + 1);
    scripts_->runFrame();
}

void MoviePlayer::gotoFrame(int n)
{
    if (!movie_)
        return;
    n = qBound(1, n, totalFrames());
    live_.clear();
    tick_ = n - 1;
    enterFrame(n);
}

void MoviePlayer::back()
{
    stop();
    if (frame_ > 1)
        gotoFrame(frame_ - 1);
}

void MoviePlayer::forward()
{
    stop();
    if (frame_ < totalFrames())
        gotoFrame(frame_ + 1);
}

void MoviePlayer::draw(QPainter &painter, const QRectF &target, const RenderOptions &options) const
{
    if (movie_)
        drawStage(painter, *movie_, stageObjects(), target, options);
}

std::vector<StageObject> MoviePlayer::stageObjects() const
{
    std::vector<StageObject> objects;
    objects.reserve(live_.size());
    for (const auto &[depth, object] : live_)
        objects.push_back({depth, object.placement, tick_ - object.placedTick});
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
