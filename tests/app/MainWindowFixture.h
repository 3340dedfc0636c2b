#pragma once
// A real main window for app tests, on the offscreen platform, with its own
// config.ini and scripted prompts; closed without questions at the end.
#include <QAction>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include "ScriptedPrompts.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/MainWindow.h"
#include "document/ImageDocument.h"

namespace clipvane::test {

struct FrameFixture : ::testing::Test {
    ~FrameFixture() override {
        if (frame) {
            for (DocumentWindow* f : frame->Documents().Frames()) f->Document()->SetModified(false);
            frame->PrepareToClose();
            frame.reset();
        }
        Settle();
    }
    MainWindow& Make() {
        MainWindow::Options o;
        o.configPath = Config();
        o.prompts = &prompts;
        o.withCaptureDriver = false;
        frame = std::make_unique<MainWindow>(o);
        return *frame;
    }
    QString Config() const { return dir.filePath(QStringLiteral("config.ini")); }
    bool Enabled(unsigned id) {
        frame->UpdateCommandStates();
        return frame->Action(id)->isEnabled();
    }

    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> frame;
};

}  // namespace clipvane::test
