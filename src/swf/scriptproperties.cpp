// The properties scripts read and set on clips (GetProperty/SetProperty
// and `clip._x`), with the player's conversions: positions are whole
// twips, alpha a fraction in 1/256ths, and a value that is no number
// leaves a numeric property as it was.

#include "movieplayer.h"
#include "scriptruntime.h"

#include <cmath>
#include <limits>

namespace sky::swf {

using avm1::Value;

namespace {

enum Quality { low, medium, high, best };

// A number cut to a 32-bit integer as the player's processor does: values
// out of range, infinities included, become the lowest integer.
qint32 truncated(double v)
{
    if (!(v >= -2147483648.0 && v < 2147483648.0))
        return std::numeric_limits<qint32>::min();
    return qint32(v);
}

double normalisedDegrees(double degrees)
{
    degrees = std::fmod(degrees, 360.0);
    if (degrees > 180)
        degrees -= 360;
    else if (degrees < -180)
        degrees += 360;
    return degrees;
}

double finiteOrZero(double v) { return std::isfinite(v) ? v : 0; }

QString qualityName(int quality)
{
    switch (quality) {
    case low: return QStringLiteral("LOW");
    case medium: return QStringLiteral("MEDIUM");
    case best: return QStringLiteral("BEST");
    default: return QStringLiteral("HIGH");
    }
}

} // namespace

void ScriptRuntime::touchTransform(StageClip &c) { c.takeOverTransform(); }

double ScriptRuntime::propertyNumber(const Value &value)
{
    // valueOf is asked once; an object it leaves is no number.
    const Value primitive = vm_.toPrimitive(value, true);
    return primitive.isNullish() || primitive.isObject() ? std::nan("") : vm_.toNumber(primitive);
}

Value ScriptRuntime::clipProperty(int handle, int index)
{
    StageClip *c = clip(handle);
    if (!c)
        return {};
    const Matrix &m = c->placement.matrix;
    const auto size = [&](bool width) {
        const QRectF area = QTransform(m.a, m.b, m.c, m.d, 0, 0).mapRect(clipBounds(handle));
        return width ? area.width() : area.height();
    };
    switch (index) {
    case 0: return m.tx / 20;
    case 1: return m.ty / 20;
    case 2: return c->scripted ? c->xscale : std::hypot(m.a, m.b) * 100;
    case 3: return c->scripted ? c->yscale : std::hypot(m.c, m.d) * 100;
    case 4: return qMax(1, c->frame);
    case 5:
    case 12: return c->totalFrames();
    case 6: return c->placement.color.mul[3] * 100;
    case 7: return c->placement.visible;
    case 8: return size(true);
    case 9: return size(false);
    case 10: return c->scripted ? c->rotation : std::atan2(m.b, m.a) * 180 / M_PI;
    case 11: {
        // "/a/b" in the main movie, "_level1/a/b" in level 1.
        QString path = clipTarget(handle);
        const qsizetype levelEnd = path.indexOf(u'.') < 0 ? path.size() : path.indexOf(u'.');
        const QString level = path.left(levelEnd);
        path = path.mid(levelEnd).replace(u'.', u'/');
        if (level != u"_level0")
            return level + path;
        return path.isEmpty() ? QStringLiteral("/") : path;
    }
    case 13: return c->placement.name;
    case 14: return dropTarget(handle);
    case 15:
        for (const StageClip *holder = c; holder; holder = holder->parent)
            if (holder->loaded)
                return QStringLiteral("file:///") + holder->loadedFrom;
        return QStringLiteral("file:///");
    case 16: return settings_.quality == best ? 2 : settings_.quality == low ? 0 : 1;
    case 17: {
        // Before SWF 6, and on a level's root, the movie's own: a number
        // before SWF 6. Else the object's own, null while it has none.
        if (vm_.movieVersion() < 6)
            return settings_.focusRect ? 1 : 0;
        if (!c->parent)
            return settings_.focusRect;
        const auto own = ownFocusRect_.find(handle);
        return own != ownFocusRect_.end() ? Value(own->second) : Value::null();
    }
    case 18: return settings_.soundBufferTime;
    case 19: return qualityName(settings_.quality);
    case 20: return mouseIn(handle).x();
    case 21: return mouseIn(handle).y();
    default: return {};
    }
}

void ScriptRuntime::setClipProperty(int handle, int index, const Value &value)
{
    StageClip *c = clip(handle);
    if (!c)
        return;
    switch (index) {
    case 13:
        c->placement.name = vm_.toString(value);
        return;
    case 17: {
        // From SWF 6 on a button or clip has one of its own, which
        // outweighs the movie's: null gives it back to the movie's.
        if (vm_.movieVersion() >= 6 && c->parent) {
            if (value.isNullish())
                ownFocusRect_.erase(handle);
            else
                ownFocusRect_[handle] = vm_.toBoolean(value);
            return;
        }
        // The movie's takes a number, objects turning it off unasked;
        // null, undefined and what is no number leave it.
        const double v = value.isObject() ? 0 : value.isNullish() ? NAN : vm_.toNumber(value);
        if (!std::isnan(v))
            settings_.focusRect = v != 0;
        return;
    }
    case 19: {
        const QString name = vm_.toString(value);
        for (int quality = low; quality <= best; ++quality)
            if (name.compare(qualityName(quality), Qt::CaseInsensitive) == 0)
                settings_.quality = quality;
        return;
    }
    default: break;
    }
    const double v = propertyNumber(value);
    if (std::isnan(v))
        return;
    Matrix &m = c->placement.matrix;
    const auto rebuild = [&] {
        const double r = c->rotation * M_PI / 180;
        m.a = finiteOrZero(std::cos(r) * c->xscale / 100);
        m.b = finiteOrZero(std::sin(r) * c->xscale / 100);
        m.c = finiteOrZero(-std::sin(r) * c->yscale / 100);
        m.d = finiteOrZero(std::cos(r) * c->yscale / 100);
    };
    switch (index) {
    case 0:
    case 1:
        touchTransform(*c);
        (index == 0 ? m.tx : m.ty) = std::isfinite(v) ? std::round(v * 20) : truncated(v);
        break;
    case 2:
    case 3:
    case 10:
        touchTransform(*c);
        (index == 2 ? c->xscale : index == 3 ? c->yscale : c->rotation) = index == 10 ? normalisedDegrees(v) : v;
        rebuild();
        break;
    case 6:
        touchTransform(*c);
        c->placement.color.mul[3] = qint16(truncated(v * 2.56)) / 256.0;
        c->placement.color.add[3] = 0;
        break;
    case 7:
        touchTransform(*c);
        c->placement.visible = v != 0;
        // Hidden, it gives up the keyboard's focus.
        if (v == 0 && handle == focus_)
            focusOn(0, false);
        break;
    case 8:
    case 9: {
        if (c->field) {
            // A text field's box takes the size; its text is laid out again.
            if (std::isfinite(v) && v >= 0) {
                QRectF &box = c->field->box;
                (index == 8 ? box.setWidth(std::round(v * 20)) : box.setHeight(std::round(v * 20)));
                textFieldChanged(handle, false);
            }
            break;
        }
        if (!std::isfinite(v))
            break;
        const double now = clipProperty(handle, index).number;
        const QRectF own = clipBounds(handle);
        const double ownSize = index == 8 ? own.width() : own.height();
        touchTransform(*c);
        if (now > 0)
            (index == 8 ? c->xscale : c->yscale) *= v / now;
        else if (ownSize > 0)
            (index == 8 ? c->xscale : c->yscale) = v / ownSize * 100;
        else
            c->xscale = c->yscale = 0; // nothing to size: the clip shrinks to nothing
        rebuild();
        break;
    }
    case 16:
        settings_.quality = v >= 2 ? best : v != 0 ? high : low;
        break;
    case 18:
        settings_.soundBufferTime = truncated(v);
        break;
    default: break;
    }
}

} // namespace sky::swf
