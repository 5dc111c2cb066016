#include "GuiTestEnvironment.h"

namespace {
[[maybe_unused]] ::testing::Environment *const g_env = ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);
}
