// A QGuiApplication for the whole test program: text rendering needs fonts,
// and fonts need an application object (offscreen platform under CTest).
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

class GuiEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_document";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

const auto* const registered = testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
