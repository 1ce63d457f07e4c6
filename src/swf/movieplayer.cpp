#include "movieplayer.h"

#include "fieldediting.h"
#include "hittest.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
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
    path_ = QFileInfo(path).absoluteFilePath();
    folder_ = QFileInfo(path).absolutePath();
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
    path_.clear();
    folder_.clear();
    setMovie(std::move(movie));
    return true;
}

void MoviePlayer::setMovie(std::shared_ptr<const Movie> movie)
{
    scripts_.reset();
    sounds_.reset();
    stage_.reset();
    movie_ = std::move(movie);
    error_.clear();
    if (!movie_)
        return;
    stage_ = std::make_unique<ClipStage>(*movie_, nullptr);
    sounds_ = std::make_unique<StageSounds>(*movie_, *stage_, soundRate_, folder_, soundLatency_);
    scripts_ = std::make_unique<ScriptRuntime>(*this, *stage_);
    stage_->setListener(scripts_.get());
    scripts_->onTrace = traceSink_;
    scripts_->start();
    scripts_->soundsFinished(); // files the first frame loaded
    scripts_->filesLoaded();
    followSound();
}

int MoviePlayer::totalFrames() const
{
    const Timeline *timeline = stage_ ? stage_->root().timeline : nullptr;
    return timeline ? timeline->frameCount() : 0;
}

double MoviePlayer::frameRate() const { return stage_ ? stage_->root().childLibrary().frameRate() : 0; }

void MoviePlayer::setPlaying(bool playing)
{
    if (stage_)
        stage_->root().playing = playing;
    if (MovieSound *sound = sounds_ ? sounds_->root() : nullptr; sound && !playing)
        sound->mixer().silenceStream();
}

void MoviePlayer::setViewSize(const QSize &size)
{
    if (size == viewSize_)
        return;
    viewSize_ = size;
    if (scripts_)
        scripts_->viewResized();
}

void MoviePlayer::tick()
{
    // A tick passes over at most this many frames to catch up with the
    // stream sound, and none while the sound lags a frame behind.
    constexpr int maxFramesPerTick = 8;
    if (!scripts_)
        return;
    scripts_->soundsFinished();
    const int shown = currentFrame();
    MovieSound *sound = sounds_->root();
    const int steps = sound && isPlaying() && totalFrames() > 1
                          ? std::clamp(sound->mixer().frameDue(shown) - shown, 0, maxFramesPerTick)
                          : 1;
    for (int i = 0; i < steps; ++i) {
        scripts_->tick();
        followSound();
    }
    // Files are read at once: what the frames loaded comes in before the
    // next tick.
    scripts_->soundsFinished();
    scripts_->filesLoaded();
    followSound();
}

void MoviePlayer::followSound() { sounds_->follow(); }

MovieSound *MoviePlayer::soundOf(const StageClip &clip) const { return sounds_ ? sounds_->of(clip) : nullptr; }

void MoviePlayer::mixSound(float *stereo, qsizetype frames)
{
    if (sounds_)
        sounds_->mix(stereo, frames);
}

void MoviePlayer::setSoundLatency(qsizetype frames)
{
    soundLatency_ = frames;
    if (sounds_)
        sounds_->setLatency(frames);
}

void MoviePlayer::gotoFrame(int n)
{
    if (!stage_)
        return;
    stage_->reset(qBound(1, n, totalFrames()));
    followSound();
}

void MoviePlayer::seek(int n)
{
    if (!scripts_)
        return;
    scripts_->gotoMainFrame(qBound(1, n, totalFrames()), isPlaying());
    followSound();
}

void MoviePlayer::back()
{
    stop();
    if (currentFrame() > 1)
        seek(currentFrame() - 1);
}

void MoviePlayer::forward()
{
    stop();
    if (currentFrame() < totalFrames())
        seek(currentFrame() + 1);
}

void MoviePlayer::draw(QPainter &painter, const QRectF &target, const RenderOptions &options) const
{
    if (!movie_)
        return;
    std::vector<StageObject> levels;
    for (const auto &[n, level] : stage_->levels())
        levels.push_back({n, level.get(), stage_->tick - level->placedTick});
    drawStage(painter, *movie_, stageRoot(), stageObjects(), target, options, levels);
}

void MoviePlayer::drawEditing(QPainter &painter, const QRectF &target, bool caretShown) const
{
    if (!scripts_)
        return;
    drawFocusFrame(painter, target);
    const int focus = scripts_->focusedField();
    const StageClip *field = focus ? scripts_->stageClip(focus) : nullptr;
    const TextCharacter *layout = field ? shownLayout(*field) : nullptr;
    if (!layout)
        return;
    const QTransform world = clipWorld(*field) * stageTransform(*movie_, target);
    const TextField &f = *field->field;
    const auto [anchor, caret] = scripts_->fieldSelection();
    const qsizetype size = f.text.size();
    const qsizetype to = std::clamp<qsizetype>(caret, 0, size);
    const std::size_t like = std::size_t(to > 0 ? to - 1 : 0);
    const QRgb color = like < f.formats.size() ? f.formats[like].color : f.newFormat.color;
    const std::optional<QColor> shown = caretShown && f.editable ? std::optional(QColor::fromRgb(color)) : std::nullopt;
    drawFieldEditing(painter, *field->library, *layout, world, std::clamp<qsizetype>(anchor, 0, size), to, shown);
}

void MoviePlayer::drawFocusFrame(QPainter &painter, const QRectF &target) const
{
    const std::optional<QRectF> focus = scripts_ ? scripts_->focusRectangle() : std::nullopt;
    if (!focus)
        return;
    // Yellow, three pixels wide, inside the whole pixels the object's
    // bounds touch.
    const QRectF r = stageTransform(*movie_, target).mapRect(*focus).toAlignedRect();
    QPainterPath frame;
    frame.addRect(r);
    frame.addRect(r.adjusted(3, 3, -3, -3));
    painter.fillPath(frame, QColor(255, 255, 0));
}

QPointF MoviePlayer::stagePoint(const QRectF &target, const QPointF &point) const
{
    return movie_ ? stageTransform(*movie_, target).inverted().map(point) / 20 : point;
}

std::vector<StageObject> MoviePlayer::stageObjects() const
{
    std::vector<StageObject> objects;
    if (!stage_)
        return objects;
    objects.reserve(stage_->root().children.size());
    for (const auto &[depth, clip] : stage_->root().children)
        objects.push_back({depth, clip.get(), stage_->tick - clip->placedTick});
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
    drawFocusFrame(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

} // namespace sky::swf
