#pragma once

#include <QWindow>
#include <atomic>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
struct mpv_render_context;

namespace sky {

class MpvCore;

// Draws the player's video through libmpv's OpenGL render API into a native
// window of its own, embedded in the player's view. Being a window of its
// own, each video frame goes straight to the screen: the widgets around it
// are not composed again for every frame. Create it only where a real
// display exists.
//
// The window lets mouse input through to the widget that holds it, so
// clicks and double-clicks reach the view as on any widget, and it never
// takes the keyboard focus.
//
// The OpenGL context belongs to the window object, not to its native
// window: when the top-level window around it is recreated, the native
// window goes and comes back, and drawing goes on in the same context.
// libmpv can only show video while its render context exists;
// renderContextChanged() tells the owner, who keeps libmpv from opening
// video until then. The render context is made when the window is first on
// screen, or earlier by prepare(), so that libmpv can decode the first
// frame while the window is still being shown; either waits until the
// player has started.
class MpvVideoWindow : public QWindow
{
    Q_OBJECT

public:
    explicit MpvVideoWindow(MpvCore &player);
    ~MpvVideoWindow() override;

    // Makes the render context now if there is none yet, or as soon as the
    // player has started.
    void prepare();
    // Whether the item has video; without, the window is black.
    void setShowsVideo(bool shows);
    // Video frames put on screen so far, each counted once.
    int framesShown() const { return m_framesShown; }

Q_SIGNALS:
    void renderContextChanged(bool available);

protected:
    void exposeEvent(QExposeEvent *event) override;
    bool event(QEvent *event) override;

private:
    static void *procAddress(void *context, const char *name);
    static void frameReady(void *self);
    void requestRender();
    bool createRenderContext();
    // Makes the context current on this window, or else on `spare`.
    bool makeCurrent(QOffscreenSurface &spare, bool onWindow);
    void freeRenderContext();
    void render();

    // Where the view's first video frame is; it is logged once on screen.
    enum class FirstFrame { Awaited, Drawn, Shown };

    void playerStarted(bool ok);

    MpvCore &m_player;
    bool m_prepareWanted = false;
    std::unique_ptr<QOpenGLContext> m_gl;
    mpv_render_context *m_render = nullptr;
    std::atomic_bool m_renderQueued = false;
    bool m_showsVideo = false;
    FirstFrame m_firstFrame = FirstFrame::Awaited;
    int m_framesShown = 0;
};

} // namespace sky
