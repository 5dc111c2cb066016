#pragma once

#include <QGuiApplication>
#include <gtest/gtest.h>

// Text layout needs the font database: a GUI application for the whole test program.
class GuiTestEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "graph-tests";
            static char *argv[] = {name, nullptr};
            m_app = new QGuiApplication(argc, argv);
        }
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QGuiApplication *m_app = nullptr;
};
