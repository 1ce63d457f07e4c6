#include "platform/picture.h"

#include "platform/runtime_error.h"
#include "platform/units.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace sky {

Picture Picture::load(const QString &path, QSize fitWithin)
{
    // A name of no file fails at once: asking the reader would first load
    // every image plug-in, which the skin manager's load at start-up, with
    // no skin chosen yet, does not need.
    if (!QFileInfo(path).isFile())
        throw RuntimeError(QStringLiteral("Invalid picture: ") + path);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (fitWithin.isValid() && size.isValid()
        && (size.width() > fitWithin.width() || size.height() > fitWithin.height()))
        reader.setScaledSize(size.scaled(fitWithin, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(QStringLiteral("Invalid picture: ") + path);
    // In the format windows are drawn in, so that drawing it is a copy of
    // pixels rather than a conversion (of a GIF's palette, say) each time.
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return Picture(std::move(image));
}

void drawPieces(QPainter &painter, const QImage &image, const QRegion &region)
{
    for (const QRect &piece : region)
        painter.drawImage(piece.topLeft(), image, piece);
}

long Picture::Width() const
{
    return pixelsToHimetric(m_image.width());
}

long Picture::Height() const
{
    return pixelsToHimetric(m_image.height());
}

class Image::View : public QWidget
{
public:
    View(const Picture &picture, const bool &stretch) : m_picture(picture), m_stretch(stretch) {}

    // A picture that covers the whole box hides what lies behind it, which
    // is then not drawn: the main window's skin is under the captions whose
    // colours change ten times a second.
    void showCover()
    {
        const QImage &image = m_picture.image();
        const bool covers = !image.isNull() && !image.hasAlphaChannel()
            && (m_stretch || (image.width() >= width() && image.height() >= height()));
        if (covers != testAttribute(Qt::WA_OpaquePaintEvent))
            setAttribute(Qt::WA_OpaquePaintEvent, covers);
    }

protected:
    void resizeEvent(QResizeEvent *) override { showCover(); }

    void paintEvent(QPaintEvent *event) override
    {
        if (m_picture.isNull())
            return;
        QPainter painter(this);
        drawPieces(painter, shown(), event->region());
    }

private:
    // The picture as drawn: stretched to the box when Stretch is on. The
    // stretched copy is made once for each picture and size, not at every
    // paint.
    const QImage &shown()
    {
        const QImage &image = m_picture.image();
        if (!m_stretch || image.size() == size()) {
            m_stretched = QImage();
            return image;
        }
        if (m_stretched.size() != size() || m_stretchedFrom != image.cacheKey()) {
            m_stretched = image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_stretchedFrom = image.cacheKey();
        }
        return m_stretched;
    }

    const Picture &m_picture;
    const bool &m_stretch;
    QImage m_stretched;
    qint64 m_stretchedFrom = 0;
};

Image::Image(Form &form, const QString &name, Control *container) : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *Image::makeWidget()
{
    m_view = new View(m_picture, m_stretch);
    return m_view;
}

void Image::showState()
{
    if (m_atBack)
        m_view->lower();
}

void Image::repaint()
{
    if (m_view) {
        m_view->showCover();
        m_view->update();
    }
}

void Image::setPicture(const Picture &picture)
{
    m_picture = picture;
    if (!m_stretch)
        takeNaturalSize();
    repaint();
}

void Image::setStretch(bool stretch)
{
    m_stretch = stretch;
    if (!stretch)
        takeNaturalSize();
    repaint();
}

void Image::takeNaturalSize()
{
    if (m_picture.isNull())
        return;
    setWidth(himetricToTwips(m_picture.Width()));
    setHeight(himetricToTwips(m_picture.Height()));
}

class PictureBox::View : public QWidget
{
public:
    explicit View(const Picture &picture) : m_picture(picture) {}

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (m_picture.isNull())
            return;
        QPainter painter(this);
        drawPieces(painter, m_picture.image(), event->region());
    }

private:
    const Picture &m_picture;
};

PictureBox::PictureBox(Form &form, const QString &name, Control *container)
    : Control(form, name, MadeWhenNeeded{}, container)
{
}

QWidget *PictureBox::makeWidget()
{
    m_view = new View(m_picture);
    return m_view;
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    if (m_view)
        m_view->update();
}

void Image::sendToBack()
{
    m_atBack = true;
    if (m_view)
        m_view->lower();
}

} // namespace sky
