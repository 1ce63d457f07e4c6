#pragma once

#include "platform/file_drop.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace sky {

class Form;

// A named control on a form. Geometry is in twips; colours are colour
// values (see colour.h). Events are plain callables that the form wires to
// its handlers; a control raises them for the user's actions and, where the
// runtime does, for changes made from code.
class Control : public QObject
{
public:
    using Handler = std::function<void()>;
    using KeyPressHandler = std::function<void(int &keyAscii)>;
    using KeyHandler = std::function<void(int keyCode, int shift)>;
    using MouseHandler = std::function<void(int button, int shift, float x, float y)>;

    // widget is null for controls that have no window (a timer, a dialog).
    // A control inside another one (a frame) names it as its container.
    Control(Form &form, const QString &name, QWidget *widget, Control *container = nullptr);
    ~Control() override;

    const QString &Name() const { return m_name; }
    Form &form() { return m_form; }
    QWidget *widget() const { return m_widget; }
    bool hasVisibility() const { return m_widget != nullptr; }

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

protected:
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
    // Also takes the mouse and key events of a part of the widget (the
    // viewport of a list).
    void watch(QObject *part);

private:
    Form &m_form;
    QString m_name;
    QWidget *m_widget;
    QObject *m_part = nullptr;
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
