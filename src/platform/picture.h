#pragma once

#include "platform/control.h"

#include <QImage>

class QPainter;
class QRegion;

namespace sky {

// A picture as the runtime loads it: its natural size is reported in
// HIMETRIC units (0.01 mm).
class Picture
{
public:
    Picture() = default;
    explicit Picture(QImage image) : m_image(std::move(image)) {}

    // Loads a JPEG, BMP, GIF or PNG file; throws when it cannot be read.
    // A preview that is always drawn scaled may ask for a picture no larger
    // than `fitWithin`, which large photographs decode much faster to.
    static Picture load(const QString &path, QSize fitWithin = {});

    bool isNull() const { return m_image.isNull(); }
    const QImage &image() const { return m_image; }
    long Width() const;
    long Height() const;

private:
    QImage m_image;
};

// Draws `image` at its natural size from the painter's origin, only where
// `region` lies: the main window's animated captions and buttons, which lie
// over its skin, have the pieces of the skin under them repainted ten times
// a second, and drawing the whole picture clipped to them cost ten times as
// much as copying the pieces.
void drawPieces(QPainter &painter, const QImage &image, const QRegion &region);

// A picture box that draws its picture at its natural size, or scaled to
// the box when Stretch is on. With Stretch off, the box takes the picture's
// natural size at once.
class Image : public Control
{
public:
    Image(Form &form, const QString &name, Control *container = nullptr);

    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch);
    // Draws behind every other control of the form.
    void sendToBack();

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    class View;
    void takeNaturalSize();
    void repaint();

    View *m_view = nullptr;
    Picture m_picture;
    bool m_stretch = false;
    bool m_atBack = false;
};

// A box that holds other controls and draws a picture at its natural size
// from its top-left corner.
class PictureBox : public Control
{
public:
    PictureBox(Form &form, const QString &name, Control *container = nullptr);

    void setPicture(const Picture &picture);

protected:
    QWidget *makeWidget() override;

private:
    class View;
    View *m_view = nullptr;
    Picture m_picture;
};

} // namespace sky
