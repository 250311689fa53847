#pragma once

#include "platform/player.h"

// A player that plays nothing, for stores driven by a program rather than a person.
class SilentPlayer : public Player {
public:
    void replaceItem(std::shared_ptr<const MWAsset>) override {}
    void play() override {}
    void pause() override {}
    double rate() const override { return 0; }
    void seekExact(double) override {}
    double currentTime() const override { return 0; }
};
