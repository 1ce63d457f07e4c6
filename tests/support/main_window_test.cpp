#include "main_window_test.h"

namespace sky::test {

void MainWindowTest::init()
{
    restart();
}

void MainWindowTest::restart(const QByteArray &settings)
{
    rig = std::make_unique<TestRig>();
    main = &rig->startMainWindow(settings);
    m = &rig->program->module();
}

} // namespace sky::test
