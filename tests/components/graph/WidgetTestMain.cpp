#include <QApplication>
#include <gtest/gtest.h>

namespace {

class WidgetTestEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "graph-canvas-tests";
        static char *argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QApplication *m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment *const g_env =
    ::testing::AddGlobalTestEnvironment(new WidgetTestEnvironment);

} // namespace
