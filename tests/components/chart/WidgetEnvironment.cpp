#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need a QApplication for the whole test run.
namespace {

class WidgetEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "chart_ui_tests";
        static char *argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QApplication *m_app = nullptr;
};

[[maybe_unused]] const auto *const g_environment = ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

} // namespace
