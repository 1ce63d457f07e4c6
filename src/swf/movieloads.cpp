// What loading a file into a clip does to the stage: a picture shows in it,
// or a SWF movie plays in it, in place of what it showed.

#include "bitmapsurface.h"
#include "movieplayer.h"
#include "scriptruntime.h"

namespace sky::swf {
namespace {

// How many movies loaded into clips may hold one another: a movie that
// loads itself into a clip of its own stops there.
constexpr int maxLoadedNesting = 8;

} // namespace

StageClip *ScriptRuntime::emptyClip(int handle)
{
    StageClip *c = clip(handle);
    if (!c || !isMovieClip(*c))
        return nullptr;
    std::vector<int> children;
    for (const auto &[depth, child] : c->children)
        children.push_back(child->handle);
    for (const int child : children)
        if (StageClip *gone = clip(child))
            stage_.remove(*gone);
    if (ScriptDrawing *drawing = clipDrawing(handle))
        drawing->clear();
    c = clip(handle);
    if (c && c->loaded) {
        // Back to its own character's frames, holding nothing.
        c->loaded.reset();
        c->loadedFrom.clear();
        const auto *sprite = std::get_if<SpriteCharacter>(c->library->character(c->placement.characterId));
        c->timeline = sprite ? &sprite->timeline : nullptr;
        c->frame = 1;
        c->playing = false;
    }
    return c;
}

bool ScriptRuntime::showImage(int handle, const QImage &image)
{
    const StageClip *c = clip(handle);
    if (!c || !isMovieClip(*c))
        return false;
    std::shared_ptr<BitmapSurface> picture;
    if (!image.isNull() && !(picture = BitmapSurface::fromImage(image, image.hasAlphaChannel())))
        return false;
    if (StageClip *shown = emptyClip(handle)) {
        shown->playing = false;
        shown->bitmap = std::move(picture);
    }
    return true;
}

bool ScriptRuntime::showMovie(int handle, const QByteArray &bytes, const QString &url,
                              const std::function<void()> &loaded)
{
    // The main movie's place is its own: its stage, frame rate and sound.
    const StageClip *c = clip(handle);
    if (!c || !c->parent || !isMovieClip(*c))
        return false;
    int nesting = 0;
    for (const StageClip *above = c->parent; above; above = above->parent)
        nesting += above->loaded ? 1 : 0;
    if (nesting >= maxLoadedNesting)
        return false;
    std::shared_ptr<const Movie> movie = Movie::fromData(bytes);
    if (!movie || movie->timeline().frameCount() == 0)
        return false;
    if (loaded)
        loaded();
    StageClip *shown = emptyClip(handle);
    if (!shown)
        return true;
    // The clip is a new movie to scripts: what they set on it goes.
    if (const auto found = objects_.find(handle); found != objects_.end()) {
        found->second->clearProperties();
        found->second->watches.clear();
        found->second->proto = vm_.clipProto;
    }
    shown->bitmap.reset();
    forgetLoadedInits(handle);
    stage_.showMovie(*shown, std::move(movie), url);
    settle();
    return true;
}

} // namespace sky::swf
