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
    // Unloading a level's movie takes the level away.
    if (!c->parent && image.isNull()) {
        unloadLevel(c->depth);
        return true;
    }
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
    const StageClip *c = clip(handle);
    if (!c || !isMovieClip(*c))
        return false;
    if (!c->parent) {
        // A level's root: the movie takes the level.
        if (!showLevel(c->depth, bytes, url))
            return false;
        if (loaded)
            loaded();
        return true;
    }
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
    if (StageClip *shown = emptyClip(handle))
        playIn(*shown, std::move(movie), url);
    return true;
}

void ScriptRuntime::playIn(StageClip &shown, std::shared_ptr<const Movie> movie, const QString &url)
{
    // The clip is a new movie to scripts: what they set on it goes.
    if (const auto found = objects_.find(shown.handle); found != objects_.end()) {
        found->second->clearProperties();
        found->second->watches.clear();
        found->second->proto = vm_.clipProto;
    }
    shown.bitmap.reset();
    forgetLoadedInits(shown.handle);
    stage_.showMovie(shown, std::move(movie), url);
    settle();
}

bool ScriptRuntime::showLevel(int level, const QByteArray &bytes, const QString &url)
{
    std::shared_ptr<const Movie> movie = Movie::fromData(bytes);
    if (level < 0 || !movie || movie->timeline().frameCount() == 0)
        return false;
    if (level > 0) {
        stage_.unloadLevel(level);
        stage_.loadLevel(level, std::move(movie), url);
        settle();
        return true;
    }
    // The main movie goes, and every level with it; the stage keeps its
    // size, the new movie's frame rate applies.
    unloadLevel(0);
    StageClip &root = stage_.root();
    root.playing = true;
    playIn(root, std::move(movie), url);
    return true;
}

void ScriptRuntime::unloadLevel(int level)
{
    if (level > 0) {
        stage_.unloadLevel(level);
        return;
    }
    while (!stage_.levels().empty())
        stage_.unloadLevel(stage_.levels().begin()->first);
    if (StageClip *root = emptyClip(stage_.root().handle)) {
        root->timeline = nullptr;
        root->playing = false;
    }
}

} // namespace sky::swf
