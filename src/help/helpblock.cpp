#include "help/helpblock.h"

#include <type_traits>

HelpBlockKind kind(const HelpBlock& block)
{
    return static_cast<HelpBlockKind>(block.index());
}

QString searchableText(const HelpBlock& block)
{
    return std::visit(
        [](const auto& b) -> QString {
            using B = std::decay_t<decltype(b)>;
            if constexpr (std::is_same_v<B, HelpSteps> || std::is_same_v<B, HelpBullets>)
                return b.items.join(QLatin1Char(' '));
            else if constexpr (std::is_same_v<B, HelpControl>)
                return b.name + QLatin1Char(' ') + b.description;
            else if constexpr (std::is_same_v<B, HelpKey>)
                return b.keys + QLatin1Char(' ') + b.description;
            else
                return b.text;
        },
        block);
}
