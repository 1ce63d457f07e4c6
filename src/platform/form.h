#pragma once

#include "platform/services.h"
#include "platform/window_title.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace sky {

class Control;
class Form;

// The top-level widget of a form. It passes the window system's events on
// to its form.
class FormWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FormWindow(Form &form);

    QImage picture;
    WindowTitle title;

Q_SIGNALS:
    void hiddenOrClosed();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Form &m_form;
};

// A window of the player with its named controls. There is one instance per
// window, created on first use; unloading closes the window and resets it,
// while the instance keeps its window-level variables for the next load.
// The window's widget is made when it is first needed, its controls' as it
// is first shown (see Control).
class Form
{
public:
    enum class Border { Sizable, Fixed, ToolWindow, None };

    Form(const QString &name, Services &services);
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const QString &name() const { return m_name; }
    Services &services() { return m_services; }
    // The top-level widget, made now if it was not yet.
    QWidget *window();
    // True once the window has been shown: controls made visible from then
    // on make their widgets at once.
    bool controlsShown() const { return m_controlsShown; }

    // Lifetime.
    void Load();
    void Show(bool modal = false);
    void Hide();
    void Unload();
    // Shows the window over the others, out of the taskbar when minimized.
    void bringToFront();
    // True: files dragged from a file manager onto the window come to
    // Form_OLEDragOver and Form_OLEDragDrop.
    void setOLEDropMode(bool manual);
    bool isLoaded() const { return m_loaded; }
    // True while design() runs: controls raise no events then.
    bool isDesigning() const { return m_designing; }
    bool Visible() const;
    // Repaints the window.
    void Refresh();

    // Outer size (frame and title bar included) and position, in twips.
    float Width() const;
    float Height() const;
    void setWidth(float twips);
    void setHeight(float twips);
    float Left() const;
    float Top() const;
    // The client area, in twips.
    float ScaleWidth() const;
    float ScaleHeight() const;
    void setClientSize(float width, float height);
    void centreOnScreen();
    bool isMinimized() const;
    // Brings a minimised window back to its size before.
    void restore();

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    long BackColor() const { return m_backColor.value_or(0); }
    void setBackColor(long colour);
    void setBorder(Border border);
    // A picture drawn from the client area's top-left corner, which `draw`
    // makes as the window is first needed: a window loaded and unloaded
    // unseen, as the skin manager is at every start, draws none.
    void setPicture(std::function<QImage()> draw);

    const std::vector<Control *> &Controls() const { return m_controls; }

    // Called by the forms layer.
    void registerControl(Control *control);
    void windowResized();
    void windowActivated();
    void windowCloseRequested();
    bool windowDragOver(const QStringList &files) { return Form_OLEDragOver(files); }
    void windowDropped(const QStringList &files) { Form_OLEDragDrop(files); }

protected:
    // Puts every control into its state at design time; runs at each load.
    virtual void design() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload() {}
    virtual bool Form_OLEDragOver(const QStringList &) { return false; }
    virtual void Form_OLEDragDrop(const QStringList &) {}

private:
    void applySize();
    void applyBackColor();
    void applyBorder();
    void raiseResize();
    float frameWidth() const;
    float frameHeight() const;

    QString m_name;
    Services &m_services;
    FormWindow *m_window = nullptr;
    std::vector<Control *> m_controls;
    bool m_loaded = false;
    bool m_shownOnce = false;
    bool m_controlsShown = false;
    bool m_designing = false;
    float m_clientWidth = 0;
    float m_clientHeight = 0;
    QSize m_appliedPixels;
    // What the window shows once it is made.
    QString m_caption;
    std::optional<long> m_backColor;
    Border m_border = Border::Sizable;
    bool m_borderSet = false;
    std::optional<QPoint> m_position;
    std::function<QImage()> m_picture;
    bool m_acceptDrops = false;
};

} // namespace sky
