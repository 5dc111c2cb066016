#include <QGuiApplication>

#include <gtest/gtest.h>

// Fonts, images and painting need a QGuiApplication for the whole test run.
namespace {

class GuiEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "chart_tests";
        static char *argv[] = {name, nullptr};
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QGuiApplication *m_app = nullptr;
};

[[maybe_unused]] const auto *const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
