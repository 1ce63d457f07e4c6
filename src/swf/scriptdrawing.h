#pragma once

#include "shape.h"
#include "shapepaths.h"

#include <memory>
#include <optional>

namespace sky::swf {

// What a clip's drawing methods (moveTo, lineTo, beginFill...) have drawn,
// in twips of the clip, kept as shape records: each fill begun starts a
// layer of its own, so later fills cover earlier ones and the lines of a
// layer lie over its fill. The clip draws it below its children.
class ScriptDrawing {
public:
    // Ends an open fill and starts one at the pen; a null style draws none.
    void beginFill(const FillStyle *fill);
    // Closes the open fill back to where it began, with a line in the
    // current style.
    void endFill();
    // The style of the lines from here; null draws none.
    void lineStyle(const LineStyle *line);
    // Gives the current line a gradient fill; nothing without a line.
    void lineFill(const FillStyle &fill);
    void moveTo(QPointF to);
    void lineTo(QPointF to);
    void curveTo(QPointF control, QPointF to);
    void clear();

    bool isEmpty() const;
    const CompiledShape &compiled() const;
    // Changes with every change to what is drawn, never repeating.
    quint64 serial() const { return serial_; }

private:
    ShapeLayer &layer();
    void addEdge(const Edge &edge, bool stroked);
    std::optional<Edge> styled(const Edge &edge, const ShapeLayer *layer, bool stroked) const;
    void changed();

    ShapeData data_;
    bool filling_ = false;
    bool lined_ = false;
    QPointF pen_, fillStart_;
    quint64 serial_ = 0;
    mutable std::shared_ptr<const CompiledShape> compiled_;
};

} // namespace sky::swf
