#pragma once

#include "core/module1.h"
#include "test_rig.h"

#include <QObject>
#include <memory>

namespace sky::test {

// The base of the tests of the main window and the windows it opens: each
// test function starts from a fresh program with its main window loaded.
class MainWindowTest : public QObject
{
    Q_OBJECT
protected Q_SLOTS:
    void init();

protected:
    // A fresh program whose main window loads over a settings file with
    // this content.
    void restart(const QByteArray &settings = {});

    std::unique_ptr<TestRig> rig;
    Form1 *main = nullptr;
    Module1 *m = nullptr;
};

} // namespace sky::test
