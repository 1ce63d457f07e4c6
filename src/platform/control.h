#pragma once

#include "platform/file_drop.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace sky {

class Form;

// A named control on a form. Geometry is in twips; colours are colour
// values (see colour.h). Events are plain callables that the form wires to
// its handlers; a control raises them for the user's actions and, where the
// runtime does, for changes made from code.
//
// Most controls keep what they show themselves and make their widget only
// when it is first needed: as their form is first shown with them visible,
// or when someone asks for the widget. A form that is loaded and unloaded
// without being shown (the skin manager, at every start) then makes no
// widgets at all, and a control hidden until later makes its own then.
class Control : public QObject
{
public:
    using Handler = std::function<void()>;
    using KeyPressHandler = std::function<void(int &keyAscii)>;
    using KeyHandler = std::function<void(int keyCode, int shift)>;
    using MouseHandler = std::function<void(int button, int shift, float x, float y)>;

    // A control whose widget is made at once; widget is null for controls
    // that have no window (a timer, a dialog). A control inside another one
    // (a frame) names it as its container.
    Control(Form &form, const QString &name, QWidget *widget, Control *container = nullptr);
    ~Control() override;

    const QString &Name() const { return m_name; }
    Form &form() { return m_form; }
    // The widget, made now if it was not yet.
    QWidget *widget() const;
    bool hasVisibility() const { return m_windowed; }
    Control *container() const { return m_container; }

    bool Visible() const { return m_visible; }
    void setVisible(bool visible);
    bool Enabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float twips);
    void setTop(float twips);
    virtual void setWidth(float twips);
    virtual void setHeight(float twips);
    void Move(float left, float top, float width, float height);

    long BackColor() const { return m_backColor; }
    void setBackColor(long colour);
    long ForeColor() const { return m_foreColor; }
    void setForeColor(long colour);
    void setFont(const QString &family, double points, bool bold = false);
    // Changes only the size of the font.
    void setFontSize(double points);

    void SetFocus();
    // True: files dragged from a file manager come to OLEDragOver and
    // OLEDragDrop.
    void setOLEDropMode(bool manual);

    Handler Click;
    Handler DblClick;
    Handler GotFocus;
    Handler LostFocus;
    KeyPressHandler KeyPress;
    KeyHandler KeyUp;
    MouseHandler MouseDown;
    MouseHandler MouseUp;
    DragOverHandler OLEDragOver;
    DragDropHandler OLEDragDrop;

    // Called by the form when it is loaded or unloaded.
    virtual void formLoaded() {}
    virtual void formUnloaded() {}
    // Called by the form as it is first shown: a visible control makes its
    // widget, one made already takes its place in the design's order.
    void formShown();
    // Called as the area the control lies in changes size: a visible
    // control shows its widget only while that lies at least partly within
    // the area. One wholly outside, which nobody can see, is thus out of
    // the keyboard's reach too: no stop of Tab, no access key.
    void showWhetherInView();

protected:
    struct MadeWhenNeeded
    {
    };
    // A control whose widget makeWidget() makes when it is first needed.
    Control(Form &form, const QString &name, MadeWhenNeeded, Control *container = nullptr);
    // Makes the widget (unparented); the control then shows its geometry,
    // colours and font on it and calls showState().
    virtual QWidget *makeWidget() { return nullptr; }
    // Puts what the control holds into its newly made widget.
    virtual void showState() {}

    // Raises an event, except while the form puts its controls into their
    // design-time state.
    void fire(const Handler &handler) const;
    // How the back colour shows on this kind of control.
    virtual void applyBackColor();
    virtual void applyForeColor();
    // Raised for keys with a character: returns the key code the handler
    // left, 0 when it swallowed the key.
    int raiseKeyPress(int keyAscii);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void applyGeometry();
    // Puts the widget where the control stands, nothing more.
    void placeWidget();
    // Gives the widget its place, in pixels of its parent.
    virtual void placeWidgetAt(const QRect &place);
    // Also takes the mouse and key events of a part of the widget (the
    // viewport of a list).
    void watch(QObject *part);
    // The widget if it has been made, without making it.
    QWidget *madeWidget() const { return m_widget; }

private:
    QWidget *parentWidget() const;
    // True when Tab takes the focus from this control to another of its
    // window.
    bool tabMovesFocus() const;
    // Calls `show` when the widget has been made.
    void showOnWidget(void (Control::*show)());
    void makeWidgetNow();
    void takePlaceInOrder();
    void takeFocusOrderPlace();
    void applyFont();

    Form &m_form;
    QString m_name;
    QWidget *m_widget;
    Control *m_container;
    bool m_windowed;
    QObject *m_part = nullptr;
    // What the font was changed to: an empty family and no size keep the
    // widget's own.
    QString m_fontFamily;
    double m_fontPoints = 0;
    std::optional<bool> m_fontBold;
    bool m_acceptDrops = false;
    bool m_backColorSet = false;
    bool m_foreColorSet = false;
    bool m_visible = true;
    bool m_enabled = true;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
    long m_backColor = -1;
    long m_foreColor = -1;
};

} // namespace sky
