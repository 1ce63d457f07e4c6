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
// new one, and renderContextRecreated() asks the owner to bring the video
// back, since libmpv drops the video output when its render context goes.
class MpvVideoWidget : public QOpenGLWidget
{
    Q_OBJECT

public:
    explicit MpvVideoWidget(mpv_handle *mpv, QWidget *parent = nullptr);
    ~MpvVideoWidget() override;

Q_SIGNALS:
    void renderContextRecreated();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void *procAddress(void *context, const char *name);
    static void frameReady(void *self);
    void freeRenderContext();

    mpv_handle *m_mpv;
    mpv_render_context *m_render = nullptr;
    int m_contextsCreated = 0;
};

} // namespace sky
