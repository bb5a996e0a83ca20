// One QApplication for the whole test program: fonts, widgets and timers need it.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vantrel_tests";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

[[maybe_unused]] testing::Environment* const s_env = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
