#include "media/mpvvideowindow.h"

#include "media/libmpv.h"
#include "media/mpvcore.h"

#include <QEvent>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPlatformSurfaceEvent>
#include <QtDebug>

namespace sky {

MpvVideoWindow::MpvVideoWindow(MpvCore &player) : m_player(player)
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFlags(Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    connect(&player, &MpvCore::started, this, &MpvVideoWindow::playerStarted);
}

MpvVideoWindow::~MpvVideoWindow()
{
    // libmpv must free its GL objects in their own context, before the
    // player itself is destroyed.
    freeRenderContext();
}

void MpvVideoWindow::exposeEvent(QExposeEvent *)
{
    if (!isExposed())
        return;
    if (!m_render && !createRenderContext())
        return;
    render();
}

bool MpvVideoWindow::event(QEvent *event)
{
    if (event->type() == QEvent::PlatformSurface
        && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
            == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed
        && m_gl && QOpenGLContext::currentContext() == m_gl.get()) {
        // The context outlives this native window; it just may not stay
        // bound to it.
        m_gl->doneCurrent();
    }
    return QWindow::event(event);
}

void MpvVideoWindow::prepare()
{
    m_prepareWanted = !m_render && !createRenderContext();
}

void MpvVideoWindow::playerStarted(bool ok)
{
    if (!ok || !(m_prepareWanted || isExposed()))
        return;
    m_prepareWanted = false;
    if (createRenderContext())
        requestRender();
}

bool MpvVideoWindow::createRenderContext()
{
    if (!m_player.handle())
        return false;
    if (!m_gl) {
        m_gl = std::make_unique<QOpenGLContext>();
        m_gl->setFormat(requestedFormat());
        if (!m_gl->create()) {
            qWarning("media: no OpenGL context for the video");
            return false;
        }
    }
    QOffscreenSurface spare;
    const bool onScreen = isExposed();
    if (!makeCurrent(spare, onScreen))
        return false;

    mpv_opengl_init_params gl { &MpvVideoWindow::procAddress, nullptr };
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, apiType },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (libMpv()->render_context_create(&m_render, m_player.handle(), params) < 0) {
        qWarning("media: the video renderer could not be created");
        m_render = nullptr;
        return false;
    }
    libMpv()->render_context_set_update_callback(m_render, &MpvVideoWindow::frameReady, this);
    if (!onScreen)
        m_gl->doneCurrent();
    Q_EMIT renderContextChanged(true);
    return true;
}

bool MpvVideoWindow::makeCurrent(QOffscreenSurface &spare, bool onWindow)
{
    // GL objects can be made and freed on any surface of the same kind.
    if (!onWindow) {
        spare.setFormat(m_gl->format());
        spare.create();
    }
    return m_gl->makeCurrent(onWindow ? static_cast<QSurface *>(this) : &spare);
}

void MpvVideoWindow::render()
{
    m_renderQueued = false;
    if (!m_render || !isExposed() || !m_gl->makeCurrent(this))
        return;
    // Also takes the news the update callback announced.
    const bool newFrame = (libMpv()->render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) != 0;
    const qreal ratio = devicePixelRatio();
    mpv_opengl_fbo fbo { int(m_gl->defaultFramebufferObject()), int(width() * ratio), int(height() * ratio), 0 };
    // The framebuffer has its origin at the bottom, as OpenGL counts.
    int flipY = 1;
    // Drawing runs on the user-interface thread, which must not wait for
    // a frame's display time.
    int block = 0;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_OPENGL_FBO, &fbo },
        { MPV_RENDER_PARAM_FLIP_Y, &flipY },
        { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (m_showsVideo) {
        libMpv()->render_context_render(m_render, params);
    } else {
        // libmpv would go on showing the last frame of the item before.
        QOpenGLFunctions *gl = m_gl->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    m_gl->swapBuffers(this);
    // Lets libmpv time its frames to the display.
    libMpv()->render_context_report_swap(m_render);
    if (newFrame && m_showsVideo)
        ++m_framesShown;
    if (newFrame && m_showsVideo && m_firstFrame == FirstFrame::Awaited) {
        m_firstFrame = FirstFrame::Shown;
        qCInfo(lcMedia, "first frame shown, %dx%d", fbo.w, fbo.h);
    }
}

void *MpvVideoWindow::procAddress(void *, const char *name)
{
    QOpenGLContext *current = QOpenGLContext::currentContext();
    return current ? reinterpret_cast<void *>(current->getProcAddress(name)) : nullptr;
}

void MpvVideoWindow::frameReady(void *self)
{
    // Called on a libmpv thread.
    static_cast<MpvVideoWindow *>(self)->requestRender();
}

void MpvVideoWindow::setShowsVideo(bool shows)
{
    if (shows == m_showsVideo)
        return;
    m_showsVideo = shows;
    requestRender();
}

void MpvVideoWindow::requestRender()
{
    // Any thread may ask; the window draws on its own thread, once for any
    // number of requests made before it gets there.
    if (!m_renderQueued.exchange(true))
        QMetaObject::invokeMethod(this, &MpvVideoWindow::render, Qt::QueuedConnection);
}

void MpvVideoWindow::freeRenderContext()
{
    if (!m_render)
        return;
    // The native window may be gone already, or not be there yet.
    QOffscreenSurface spare;
    makeCurrent(spare, handle() != nullptr);
    libMpv()->render_context_free(m_render);
    m_render = nullptr;
    m_gl->doneCurrent();
    Q_EMIT renderContextChanged(false);
}

} // namespace sky
