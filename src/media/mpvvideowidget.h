#pragma once

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

namespace sky {

// Draws the player's video through libmpv's OpenGL render API, scaled to fit
// the widget. Create it only where a real display exists: Qt cannot create
// OpenGL widgets on the offscreen platform.
//
// Qt may throw the widget's GL context away (when the window around it is
// recreated); the render context goes with it and is created again in the
// new one. libmpv cannot show video while no render context exists (before
// the widget is first shown, or between two contexts), so every new render
// context is announced by renderContextCreated() for the owner to bring the
// video of a playing item back.
class MpvVideoWidget : public QOpenGLWidget
{
    Q_OBJECT

public:
    explicit MpvVideoWidget(mpv_handle *mpv, QWidget *parent = nullptr);
    ~MpvVideoWidget() override;

Q_SIGNALS:
    void renderContextCreated();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void *procAddress(void *context, const char *name);
    static void frameReady(void *self);
    void freeRenderContext();

    mpv_handle *m_mpv;
    mpv_render_context *m_render = nullptr;
};

} // namespace sky
