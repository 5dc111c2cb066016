#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

// Fonts, pixmaps and text layout need a QGuiApplication; the offscreen platform keeps it headless.
class GuiEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QGuiApplication::instance())
            m_app = new QGuiApplication(m_argc, m_argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[16] = "test_picture";
    char *m_argv[2] = {m_name, nullptr};
    QGuiApplication *m_app = nullptr;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
