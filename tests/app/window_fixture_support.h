#pragma once

#include <gtest/gtest.h>

#include "app/cwapp.h"
#include "app/delegate.h"
#include "app/mainwindow.h"
#include "common/storeaccess.h"
#include "common/testutil.h"
#include "store/scriptedplayer_support.h"
#include "store/scriptedservices_support.h"
#include "store/store.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

// The main window around a store on a scripted player, with a delegate whose
// quit is counted instead of ending the test.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(CWStore::sessionURL());
        player = new ScriptedPlayer;
        services = new ScriptedServices;
        store = new CWStore(player, services);
        CWStoreTestAccess::stopObserver(*store);
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

    CWSource addSource(const QString& file, double duration, float fps = 25)
    {
        CWSource s;
        s.id = QUuid::createUuid();
        s.media.original = s.media.playable = file;
        s.media.duration = duration;
        s.media.hasVideo = true;
        s.media.naturalSize = QSizeF(1920, 1080);
        s.media.nominalFrameRate = fps;
        CWStoreTestAccess::addSource(*store, s);
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
