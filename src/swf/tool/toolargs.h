#pragma once

#include <QMap>
#include <QStringList>

// The command line of the SWF tools: "--ticks N" (a positive count, 1 when
// absent), other "--name value" options the tool knows, then file names.
struct ToolArgs {
    int ticks = 1;
    QMap<QString, QString> options;
    QStringList files;
};

// False when an option lacks its value or the tick count is not positive.
inline bool parseToolArgs(const QStringList &args, const QStringList &valueOptions, ToolArgs &out)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool takesValue = args[i] == u"--ticks" || valueOptions.contains(args[i]);
        if (!takesValue) {
            out.files << args[i];
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        if (args[i] == u"--ticks") {
            bool ok = false;
            out.ticks = args[++i].toInt(&ok);
            if (!ok || out.ticks < 1)
                return false;
        } else {
            out.options.insert(args[i], args[i + 1]);
            ++i;
        }
    }
    return true;
}
