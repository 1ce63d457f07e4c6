#pragma once

#include <QString>

namespace sky::swf::avm1 {

class Vm;
struct Value;

// Clip properties by the index GetProperty/SetProperty use:
// 0 _x, 1 _y, 2 _xscale, 3 _yscale, 4 _currentframe, 5 _totalframes,
// 6 _alpha, 7 _visible, 8 _width, 9 _height, 10 _rotation, 11 _target,
// 12 _framesloaded, 13 _name, 14 _droptarget, 15 _url, 16 _highquality,
// 17 _focusrect, 18 _soundbuftime, 19 _quality, 20 _xmouse, 21 _ymouse.
constexpr int clipPropertyCount = 22;
QString clipPropertyName(int index);
// The index of a property name, -1 for other names. These names compare
// without case in every version.
int clipPropertyIndex(const QString &name);
// SetProperty converts the value it is given even where there is no clip
// to take it: to a number for the numeric properties, to text for _name
// and _quality; the others take it as it is.
void convertForProperty(Vm &vm, int index, const Value &value);

} // namespace sky::swf::avm1
