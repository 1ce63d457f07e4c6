#include "media/mediaplayer_control.h"

#include "platform/form.h"

#include <QWidget>

namespace sky {

namespace {

// The area of an engine that shows nothing of its own.
QWidget *viewOf(MediaEngine &engine)
{
    if (QWidget *view = engine.view())
        return view;
    auto *blank = new QWidget;
    blank->setAutoFillBackground(true);
    QPalette palette = blank->palette();
    palette.setColor(QPalette::Window, Qt::black);
    blank->setPalette(palette);
    return blank;
}

} // namespace

MediaPlayerControl::MediaPlayerControl(Form &form, const QString &name, const MediaEngineFactory &factory)
    : MediaPlayerControl(form, name, factory(form.window()))
{
}

MediaPlayerControl::MediaPlayerControl(Form &form, const QString &name, std::unique_ptr<MediaEngine> engine)
    : Control(form, name, viewOf(*engine)), m_engine(std::move(engine))
{
}

} // namespace sky
