#include "store/scriptedplayer_support.h"

void ScriptedPlayer::replaceItem(std::shared_ptr<const MWAsset> asset)
{
    item = std::move(asset);
    ++items;
    now = 0;
    calls.append(QStringLiteral("item"));
}

void ScriptedPlayer::play()
{
    rate_ = 1;
    calls.append(QStringLiteral("play"));
}

void ScriptedPlayer::pause()
{
    rate_ = 0;
    calls.append(QStringLiteral("pause"));
}

void ScriptedPlayer::seekExact(double t)
{
    now = t;
    calls.append(QStringLiteral("seek %1").arg(t));
}
