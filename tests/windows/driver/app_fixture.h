// GoogleTest fixture for the end-to-end tests: a fresh run of tolvane.exe per
// test, and a screenshot of its window saved as an artefact when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/window_description.h"
#include "tests/windows/driver/driver.h"

namespace driver {

// Printable forms for failure messages.
inline std::string Utf8(const std::wstring& text) { return ToUtf8(text); }
inline std::string NameOf(uint32_t id) { return ToUtf8(ControlNameOf(id)); }

// "Suite.Name" of the running test, made fit for a file name.
inline std::wstring CurrentTestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|') c = '_';
    }
    return FromUtf8(name);
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { Launch(); }

    void TearDown() override {
        if (app_ && app_->Started() && IsWindow(app_->Window())) {
            std::wstring saved = SaveScreenshot(app_->Window(), CurrentTestName());
            EXPECT_FALSE(saved.empty()) << "no screenshot saved";
        }
    }

    // Starts the program (again, for tests that need a second run).
    void Launch(const std::wstring& exePath = TolvaneExePath()) {
        app_.reset();
        app_ = std::make_unique<App>(exePath);
        ASSERT_TRUE(app_->Started()) << Utf8(app_->Error());
    }

    App& app() { return *app_; }
    HWND Window() { return app_->Window(); }

    // The control, which must exist.
    HWND Get(uint32_t id) {
        HWND control = app_->Control(id);
        EXPECT_NE(control, nullptr) << "no control " << NameOf(id);
        return control;
    }

    // Clicks a control and waits until it has the focus.
    void ClickAndFocus(uint32_t id) {
        ASSERT_TRUE(Click(Get(id))) << "click on " << NameOf(id);
        ASSERT_TRUE(app_->WaitForFocus(id)) << "focus after click on " << NameOf(id) << " is on "
                                            << NameOf(app_->FocusedControl());
    }

    std::unique_ptr<App> app_;
};

} // namespace driver
