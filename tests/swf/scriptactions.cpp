#include "scriptactions.h"

namespace swftest {

Actions valueOf(const QByteArray &path)
{
    const QList<QByteArray> parts = path.split('.');
    Actions a;
    a.push(parts[0]).op(0x1C);
    for (qsizetype i = 1; i < parts.size(); ++i)
        a.push(parts[i]).op(0x4E);
    return a;
}

Actions trace(const QByteArray &path) { return Actions(valueOf(path)).op(0x26); }

Actions callOn(const QByteArray &path, const QByteArray &method, const QList<QByteArray> &args)
{
    Actions a;
    for (qsizetype i = args.size() - 1; i >= 0; --i)
        a.push(args[i]);
    return a.push(int(args.size())).then(valueOf(path)).push(method).op(0x52);
}

Actions construct(const QByteArray &name, const QByteArray &className, const QList<QByteArray> &args)
{
    Actions a;
    a.push(name);
    for (qsizetype i = args.size() - 1; i >= 0; --i)
        a.push(args[i]);
    return a.push(int(args.size())).push(className).op(0x40).op(0x1D);
}

Actions setMember(const QByteArray &path, const QByteArray &member, const Actions &value)
{
    return Actions(valueOf(path)).push(member).then(value).op(0x4F);
}

} // namespace swftest
