#pragma once

namespace sky {

// The names, style and font every program of the player shares; called
// once the application object exists.
void setUpApplication();

} // namespace sky
