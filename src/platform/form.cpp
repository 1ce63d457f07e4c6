#include "platform/form.h"

#include "platform/file_drop.h"

#include "platform/colour.h"
#include "platform/control.h"
#include "platform/picture.h"
#include "platform/units.h"

#include <QCloseEvent>
#include <QPainter>
#include <QGuiApplication>
#include <QScreen>

namespace sky {

namespace {

constexpr float kDefaultFrameWidth = 8 * kTwipsPerPixel;
constexpr float kDefaultFrameHeight = 30 * kTwipsPerPixel;
// The outer height a minimised window reports.
constexpr float kMinimizedHeight = 360;

// The form that was active last, so that switching back from another
// program does not count as an activation.
Form *g_lastActive = nullptr;

} // namespace

FormWindow::FormWindow(Form &form) : m_form(form)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

bool FormWindow::event(QEvent *event)
{
    if (answerFileDrag(
            event, [this](const QStringList &files) { return m_form.windowDragOver(files); },
            [this](const QStringList &files) { m_form.windowDropped(files); }))
        return true;
    if (event->type() == QEvent::WindowActivate)
        m_form.windowActivated();
    else if (event->type() == QEvent::WindowStateChange)
        m_form.windowResized();
    else if (event->type() == QEvent::WinIdChange)
        title.windowRemade(*this);
    if (event->type() != QEvent::UpdateRequest)
        return QWidget::event(event);
    title.beforeDrawing(*this);
    const bool handled = QWidget::event(event);
    title.afterDrawing();
    return handled;
}

void FormWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!picture.isNull()) {
        QPainter painter(this);
        drawPieces(painter, picture, event->region());
    }
}

void FormWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    for (Control *control : m_form.Controls())
        control->showWhetherInView();
    m_form.windowResized();
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_form.windowCloseRequested();
}

void FormWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT hiddenOrClosed();
}

Form::Form(const QString &name, Services &services) : m_name(name), m_services(services) { }

Form::~Form()
{
    if (g_lastActive == this)
        g_lastActive = nullptr;
    delete m_window;
}

void Form::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_shownOnce = false;
    m_designing = true;
    design();
    m_designing = false;
    for (Control *control : m_controls)
        control->formLoaded();
    Form_Load();
}

QWidget *Form::window()
{
    if (m_window)
        return m_window;
    m_window = new FormWindow(*this);
    m_window->setObjectName(m_name);
    m_window->setAutoFillBackground(true);
    m_window->setWindowTitle(m_caption);
    if (m_borderSet)
        applyBorder();
    if (m_backColor)
        applyBackColor();
    if (m_picture)
        m_window->picture = m_picture();
    if (m_appliedPixels.isValid())
        m_window->resize(m_appliedPixels);
    if (m_position)
        m_window->move(*m_position);
    if (m_acceptDrops)
        m_window->setAcceptDrops(true);
    return m_window;
}

void Form::Show(bool modal)
{
    Load();
    if (!m_loaded) // the load handler unloaded the window again
        return;
    window();
    if (!m_controlsShown) {
        m_controlsShown = true;
        for (Control *control : m_controls)
            control->formShown();
    }
    if (!m_shownOnce) {
        m_shownOnce = true;
        raiseResize();
    }
    m_window->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    // The window is active from here on, as the runtime has it; the window
    // system's own notice that follows is not counted twice.
    windowActivated();
    if (modal)
        m_services.modal.run(*this);
}

void Form::Hide()
{
    Load();
    if (m_window)
        m_window->hide();
}

void Form::Unload()
{
    if (!m_loaded)
        return;
    Form_Unload();
    m_loaded = false;
    for (Control *control : m_controls)
        control->formUnloaded();
    if (m_window)
        m_window->hide();
    if (g_lastActive == this)
        g_lastActive = nullptr;
}

void Form::setOLEDropMode(bool manual)
{
    m_acceptDrops = manual;
    if (m_window)
        m_window->setAcceptDrops(manual);
}

void Form::bringToFront()
{
    if (isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    Show();
}

bool Form::Visible() const
{
    return m_window && m_window->isVisible();
}

void Form::Refresh()
{
    if (m_window)
        m_window->update();
}

// The frame a window of this border style is counted with: borders of 4
// pixels and a title bar of 22 (18 on a tool window). The outer size is the
// client size and this frame, whatever the window system draws around it, so
// that sizes set from code read back exactly.
float Form::frameWidth() const
{
    switch (m_border) {
    case Border::None:
        return 0.0f;
    case Border::ToolWindow:
        // A tool window's fixed border is a pixel thinner on each side.
        return kDefaultFrameWidth - 2 * kTwipsPerPixel;
    default:
        return kDefaultFrameWidth;
    }
}

float Form::frameHeight() const
{
    switch (m_border) {
    case Border::None:
        return 0.0f;
    case Border::ToolWindow:
        return kDefaultFrameHeight - 4 * kTwipsPerPixel;
    default:
        return kDefaultFrameHeight;
    }
}

bool Form::isMinimized() const
{
    return m_window && (m_window->windowState() & Qt::WindowMinimized);
}

void Form::restore()
{
    if (m_window)
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
}

float Form::Width() const
{
    return m_clientWidth + frameWidth();
}

float Form::Height() const
{
    return isMinimized() ? kMinimizedHeight : m_clientHeight + frameHeight();
}

void Form::setWidth(float twips)
{
    m_clientWidth = twips - frameWidth();
    applySize();
    raiseResize();
}

void Form::setHeight(float twips)
{
    m_clientHeight = twips - frameHeight();
    applySize();
    raiseResize();
}

float Form::Left() const
{
    return pixelsToTwips(m_window ? m_window->frameGeometry().x() : m_position.value_or(QPoint()).x());
}

float Form::Top() const
{
    return pixelsToTwips(m_window ? m_window->frameGeometry().y() : m_position.value_or(QPoint()).y());
}

float Form::ScaleWidth() const
{
    return isMinimized() ? 0.0f : m_clientWidth;
}

float Form::ScaleHeight() const
{
    return isMinimized() ? 0.0f : m_clientHeight;
}

void Form::setClientSize(float width, float height)
{
    m_clientWidth = width;
    m_clientHeight = height;
    applySize();
}

void Form::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer(twipsToPixels(Width()), twipsToPixels(Height()));
    const int frameLeft = twipsToPixels(frameWidth() / 2);
    const int frameTop = twipsToPixels(frameHeight()) - frameLeft;
    m_position = QPoint(area.x() + (area.width() - outer.width()) / 2 + frameLeft,
                        area.y() + (area.height() - outer.height()) / 2 + frameTop);
    if (m_window)
        m_window->move(*m_position);
}

void Form::applySize()
{
    const QSize pixels(std::max(1, twipsToPixels(m_clientWidth)),
                       std::max(1, twipsToPixels(m_clientHeight)));
    m_appliedPixels = pixels;
    if (m_window)
        m_window->resize(pixels);
}

void Form::windowResized()
{
    // A size this form set itself has been handled already; a size the user
    // or the window system chose becomes the new outer size.
    const QSize pixels = m_window->size();
    if (!m_loaded || isMinimized() || pixels == m_appliedPixels) {
        if (m_loaded && isMinimized())
            raiseResize();
        return;
    }
    m_appliedPixels = pixels;
    m_clientWidth = pixelsToTwips(pixels.width());
    m_clientHeight = pixelsToTwips(pixels.height());
    raiseResize();
}

void Form::raiseResize()
{
    if (m_loaded)
        Form_Resize();
}

void Form::windowActivated()
{
    if (!m_loaded || g_lastActive == this)
        return;
    g_lastActive = this;
    Form_Activate();
}

void Form::windowCloseRequested()
{
    Unload();
}

void Form::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_window)
        m_window->title.show(*m_window, caption);
}

void Form::setBackColor(long colour)
{
    m_backColor = colour;
    if (m_window)
        applyBackColor();
}

void Form::applyBackColor()
{
    QPalette palette = m_window->palette();
    palette.setColor(QPalette::Window, toQColor(*m_backColor));
    m_window->setPalette(palette);
}

void Form::setBorder(Border border)
{
    m_border = border;
    m_borderSet = true;
    if (m_window)
        applyBorder();
}

void Form::applyBorder()
{
    Qt::WindowFlags flags = Qt::Window;
    switch (m_border) {
    case Border::Sizable:
        break;
    case Border::Fixed:
        flags |= Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::CustomizeWindowHint;
        break;
    case Border::ToolWindow:
        flags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
        break;
    case Border::None:
        flags |= Qt::FramelessWindowHint;
        break;
    }
    m_window->setWindowFlags(flags);
}

void Form::setPicture(std::function<QImage()> draw)
{
    m_picture = std::move(draw);
    if (m_window) {
        m_window->picture = m_picture();
        m_window->update();
    }
}

void Form::registerControl(Control *control)
{
    m_controls.push_back(control);
}

} // namespace sky
