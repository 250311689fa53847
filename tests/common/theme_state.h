#pragma once

#include "theme/mwui.h"

namespace themetest {

// Puts the shared interface back to its finish and zoom when the test ends.
class SharedState {
public:
    SharedState() : theme_(MWUI::shared()->theme()), zoom_(MWUI::shared()->zoom()) {}
    ~SharedState()
    {
        MWUI::shared()->setTheme(theme_);
        MWUI::shared()->setZoom(zoom_);
    }
    SharedState(const SharedState&) = delete;
    SharedState& operator=(const SharedState&) = delete;

private:
    MWTheme theme_;
    double zoom_;
};

}  // namespace themetest
