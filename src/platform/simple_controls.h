#pragma once

#include "platform/control.h"
#include "platform/symbols.h"

#include <QColor>
#include <QElapsedTimer>

class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace sky {

class Label : public Control
{
public:
    enum Alignment { LeftJustify = 0, RightJustify = 1, Center = 2 };

    Label(Form &form, const QString &name, Control *container = nullptr);

    // The caption as set; a symbol-font caption is shown as symbols.
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int Alignment() const { return m_alignment; }
    void setAlignment(int alignment);
    void setSymbolFont(SymbolFont font, double points);
    // An opaque label paints its back colour; a transparent one lets the
    // window's picture show through.
    void setOpaque(bool opaque);
    // The control that the caption's access key moves to; the key's letter
    // is then underlined rather than shown after an "&".
    void setBuddy(Control &control);
    // A one-line label never wraps: a caption too wide for it is shown with
    // its middle left out, and whole in the label's tooltip.
    void setSingleLine(bool singleLine);

protected:
    void applyBackColor() override;
    void applyForeColor() override;
    QWidget *makeWidget() override;
    void showState() override;
    void placeWidgetAt(const QRect &place) override;

private:
    class View;
    void showCaption();
    void showAlignment();

    View *m_label = nullptr;
    QString m_caption;
    int m_alignment = LeftJustify;
    SymbolFont m_symbolFont = SymbolFont::None;
    bool m_opaque = false;
    bool m_singleLine = false;
    Control *m_buddy = nullptr;
};

class Frame : public Control
{
public:
    Frame(Form &form, const QString &name, Control *container = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    class View;
    QGroupBox *m_box = nullptr;
    QString m_caption;
};

// A rectangle with a border and an optional fill.
class Shape : public Control
{
public:
    Shape(Form &form, const QString &name, Control *container = nullptr);

    long BorderColor() const { return m_borderColor; }
    void setBorderColor(long colour);
    // -1 for a transparent inside.
    void setFillColor(long colour);
    void setBorderWidth(int pixels);

protected:
    QWidget *makeWidget() override;

private:
    class View;
    // What the view draws.
    struct Look
    {
        QColor border = Qt::black;
        QColor fill;
        int borderWidth = 1;
    };
    void repaint();

    View *m_view = nullptr;
    Look m_look;
    long m_borderColor = 0;
};

class TextBox : public Control
{
public:
    TextBox(Form &form, const QString &name, Control *container = nullptr);

    QString Text() const { return m_text; }
    // Replacing the text puts the caret at its start.
    void setText(const QString &text);
    Handler Change;

protected:
    QWidget *makeWidget() override;
    void showState() override;

private:
    QLineEdit *m_edit = nullptr;
    QString m_text;
};

// Raises Tick every Interval milliseconds while it is enabled and its form
// is loaded.
class Timer : public Control
{
public:
    Timer(Form &form, const QString &name);

    int Interval() const { return m_interval; }
    void setInterval(int milliseconds);
    void setEnabled(bool enabled) override;
    Handler Tick;

    void formLoaded() override;
    void formUnloaded() override;

private:
    void update();

    QTimer *m_timer;
    QElapsedTimer m_sinceTick;
    int m_interval = 0;
    bool m_formLoaded = false;
};

} // namespace sky
