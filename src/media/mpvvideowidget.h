#pragma once

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

namespace sky {

// Draws the player's video through libmpv's OpenGL render API, scaled to fit
// the widget. Create it only where a real display exists: Qt cannot create
// OpenGL widgets on the offscreen platform.
//
// libmpv can only show video while a render context exists, which is from
// the widget's first showing on; Qt may also throw the widget's GL context
// away (when the window around it is recreated), and the render context
// goes with it until the new GL context is there. renderContextChanged()
// tells the owner, who keeps libmpv from opening video meanwhile.
class MpvVideoWidget : public QOpenGLWidget
{
    Q_OBJECT

public:
    explicit MpvVideoWidget(mpv_handle *mpv, QWidget *parent = nullptr);
    ~MpvVideoWidget() override;

Q_SIGNALS:
    void renderContextChanged(bool available);

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void *procAddress(void *context, const char *name);
    static void frameReady(void *self);
    void freeRenderContext();

    // Where the view's first video frame is; it is logged once on screen.
    enum class FirstFrame { Awaited, Drawn, Shown };

    mpv_handle *m_mpv;
    mpv_render_context *m_render = nullptr;
    FirstFrame m_firstFrame = FirstFrame::Awaited;
};

} // namespace sky
