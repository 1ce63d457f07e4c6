#include "main_window_test.h"

namespace sky::test {

void MainWindowTest::init()
{
    rig = std::make_unique<TestRig>();
    main = &rig->startMainWindow();
    m = &rig->program->module();
}

} // namespace sky::test
