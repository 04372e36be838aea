#pragma once

// A shown window to hold the controls under test, and a link opener over fake services.

#include "controls/link_opener.h"
#include "tests/fakes/fake_platform.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.resize(320, 200);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
        QApplication::setActiveWindow(&m_window);
    }

    // Lets pending events (repaints, enter and leave) through.
    static void Settle() { QApplication::processEvents(); }

    // Moves the pointer over `w` at `at` through the window system, which sends the enter, leave and
    // move events a real pointer would.
    static void MoveTo(QWidget* w, QPoint at) {
        QTest::mouseMove(w->window()->windowHandle(), w->mapTo(w->window(), at));
        Settle();
    }

    FakeShell m_shell;
    FakeBrowserLauncher m_browser;
    FakePrompts m_prompts;
    CLinkOpener m_links{m_shell, m_browser, m_prompts};
    QWidget m_window;
};
