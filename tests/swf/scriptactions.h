#pragma once

// Scripts the tests' movies run, written as the values and calls they make.

#include "swfwriter.h"

#include <QList>

namespace swftest {

// The value at a dotted path of variables and members: "x.firstChild.nodeName".
Actions valueOf(const QByteArray &path);
Actions trace(const QByteArray &path);
// Calls `method` of the object at `path` with text arguments; the result
// stays pushed.
Actions callOn(const QByteArray &path, const QByteArray &method, const QList<QByteArray> &args = {});
// name = new Class(text arguments)
Actions construct(const QByteArray &name, const QByteArray &className, const QList<QByteArray> &args = {});
// path.member = what `value` pushes
Actions setMember(const QByteArray &path, const QByteArray &member, const Actions &value);

} // namespace swftest
