#pragma once

#include <QString>

#include <stdexcept>

namespace sky {

// An error raised by a control or a file operation, as the forms runtime
// raises it: handlers that trap errors catch it; the others let it end the
// handler. It carries a short description for diagnostics only.
class RuntimeError : public std::runtime_error
{
public:
    explicit RuntimeError(const QString &what) : std::runtime_error(what.toStdString()) {}
};

// Runs one step of a handler that skips any failing step and goes on.
template<typename Step>
void skipOnError(Step &&step)
{
    try {
        step();
    } catch (const RuntimeError &) {
    }
}

} // namespace sky
