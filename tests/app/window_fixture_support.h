#pragma once

#include <gtest/gtest.h>

#include "app/cwapp.h"
#include "app/delegate.h"
#include "app/mainwindow.h"
#include "store/store_fixture_support.h"
#include "views/mainview.h"

#include <QApplication>
#include <QTest>

// The main window around a store on a scripted player, with a delegate whose
// quit is counted instead of ending the test.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = storetest::scriptedStore(player, services).release();
        delegate = std::make_unique<CWDelegate>();
        delegate->terminate = [this] { ++terminated; };
        delegate->confirmQuitDuringExport = [this] {
            ++asked;
            return answer;
        };
        window = std::make_unique<CWMainWindow>(store, delegate.get());
    }

    void TearDown() override
    {
        window.reset();
        CWApp::publish(nullptr);
    }

    // Shows the window and waits until it has the keyboard.
    void showWindow()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // A key as the window system delivers it: to the window, then its focus widget.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    void type(const QByteArray& keys)
    {
        for (const char c : keys)
            QTest::keyClick(window->windowHandle(), c);
    }
    CWMain* main() const { return window->findChild<CWMain*>(); }

    // A source made by hand (no media opened), selected.
    CWSource addSource(const QString& file, double duration, float fps = 25)
    {
        const CWSource s = storetest::addSource(*store, file, duration, fps);
        store->select(s.id);
        return s;
    }

    ScriptedPlayer* player = nullptr;      // owned by the store
    ScriptedServices* services = nullptr;  // owned by the store
    CWStore* store = nullptr;              // owned by the window
    std::unique_ptr<CWDelegate> delegate;
    std::unique_ptr<CWMainWindow> window;
    int terminated = 0;
    int asked = 0;
    bool answer = false;
};
