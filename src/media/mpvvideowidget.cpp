#include "media/mpvvideowidget.h"

#include "media/mpvcore.h"

#include <QMetaObject>
#include <QOpenGLContext>
#include <QtDebug>
#include <mpv/render_gl.h>

namespace sky {

MpvVideoWidget::MpvVideoWidget(mpv_handle *mpv, QWidget *parent) : QOpenGLWidget(parent), m_mpv(mpv)
{
    setMinimumSize(16, 16);
    // Lets libmpv time its frames to the display.
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (m_render)
            mpv_render_context_report_swap(m_render);
        if (m_firstFrame == FirstFrame::Drawn) {
            m_firstFrame = FirstFrame::Shown;
            const qreal ratio = devicePixelRatioF();
            qCInfo(lcMedia, "first frame shown, %dx%d", int(width() * ratio), int(height() * ratio));
        }
    });
}

MpvVideoWidget::~MpvVideoWidget()
{
    // libmpv must free its GL objects in their own context, before the
    // player itself is destroyed.
    freeRenderContext();
}

void MpvVideoWidget::initializeGL()
{
    connect(
        context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvVideoWidget::freeRenderContext, Qt::DirectConnection);
    if (!m_mpv || m_render)
        return;

    mpv_opengl_init_params gl { &MpvVideoWidget::procAddress, nullptr };
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, apiType },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
        qWarning("media: the video renderer could not be created");
        m_render = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_render, &MpvVideoWidget::frameReady, this);
    Q_EMIT renderContextChanged(true);
}

void MpvVideoWidget::paintGL()
{
    if (!m_render)
        return;
    // Also takes the news the update callback announced.
    const bool newFrame = (mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) != 0;
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo { int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio), 0 };
    // The framebuffer has its origin at the bottom, as OpenGL counts.
    int flipY = 1;
    // Painting runs on the user-interface thread, which must not wait for
    // a frame's display time.
    int block = 0;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_OPENGL_FBO, &fbo },
        { MPV_RENDER_PARAM_FLIP_Y, &flipY },
        { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context_render(m_render, params);
    if (newFrame && m_firstFrame == FirstFrame::Awaited)
        m_firstFrame = FirstFrame::Drawn;
}

void *MpvVideoWidget::procAddress(void *, const char *name)
{
    QOpenGLContext *current = QOpenGLContext::currentContext();
    return current ? reinterpret_cast<void *>(current->getProcAddress(name)) : nullptr;
}

void MpvVideoWidget::frameReady(void *self)
{
    // Called on a libmpv thread; the widget repaints on its own thread.
    auto *widget = static_cast<MpvVideoWidget *>(self);
    QMetaObject::invokeMethod(widget, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void MpvVideoWidget::freeRenderContext()
{
    if (!m_render)
        return;
    makeCurrent();
    mpv_render_context_free(m_render);
    m_render = nullptr;
    doneCurrent();
    Q_EMIT renderContextChanged(false);
}

} // namespace sky
