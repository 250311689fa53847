#pragma once

#include <gtest/gtest.h>

#include "common/storeaccess.h"
#include "store/scriptedplayer_support.h"
#include "store/scriptedservices_support.h"
#include "store/store.h"

#include <QFile>
#include <memory>

// A store on a scripted player, with sources made by hand (no media opened).
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(CWStore::sessionURL());
        player = new ScriptedPlayer;
        services = new ScriptedServices;
        store = std::make_unique<CWStore>(player, services);
        CWStoreTestAccess::stopObserver(*store);  // ticks come from observeTime() calls
    }

    // A source of the given length and frame rate, named after file.
    CWSource addSource(const QString& file, double duration, float fps = 25)
    {
        CWSource s;
        s.id = QUuid::createUuid();
        s.media.original = file;
        s.media.playable = file;
        s.media.duration = duration;
        s.media.hasVideo = true;
        s.media.naturalSize = QSizeF(1920, 1080);
        s.media.nominalFrameRate = fps;
        CWStoreTestAccess::addSource(*store, s);
        return s;
    }

    // Plays the scripted player to t and lets the observer see it.
    void tickAt(double t)
    {
        player->now = t;
        store->observeTime();
    }

    ScriptedPlayer* player = nullptr;
    ScriptedServices* services = nullptr;  // owned by the store
    std::unique_ptr<CWStore> store;
};
