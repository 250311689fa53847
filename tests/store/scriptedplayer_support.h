#pragma once

#include "platform/player.h"

#include <QList>
#include <QString>

// A player whose clock the test sets: it records every call and moves only
// when told, so transport rules can be checked frame by frame.
class ScriptedPlayer : public Player {
public:
    void replaceItem(std::shared_ptr<const MWAsset>) override
    {
        now = 0;
        calls.append(QStringLiteral("item"));
    }
    void play() override
    {
        rate_ = 1;
        calls.append(QStringLiteral("play"));
    }
    void pause() override
    {
        rate_ = 0;
        calls.append(QStringLiteral("pause"));
    }
    double rate() const override { return rate_; }
    void seekExact(double t) override
    {
        now = t;
        calls.append(QStringLiteral("seek %1").arg(t));
    }
    double currentTime() const override { return now; }
    bool settled() const override { return picture; }

    double now = 0;
    double rate_ = 0;
    bool picture = true;   // whether the newest load's picture is in place
    QList<QString> calls;  // "play", "pause", "seek 1.5", "item"
};
