// One Qt application object for a whole test program: fonts, pictures and text layout need a
// QGuiApplication, widgets a QApplication. The offscreen platform keeps every test headless.
#ifdef ORBELIS_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <gtest/gtest.h>

namespace {

class QtTestEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QCoreApplication::instance())
            m_app = new TestApplication(m_argc, m_argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[16] = "orbelis-tests";
    char *m_argv[2] = {m_name, nullptr};
    TestApplication *m_app = nullptr;
};

[[maybe_unused]] const auto *const g_environment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

} // namespace
