#pragma once

#include "Platform/SyntheticKeyboard.h"

namespace Platform {

// Counts the pastes it was asked to post.
class FakeSyntheticKeyboard : public SyntheticKeyboard {
public:
    int pastesPosted = 0;
    bool succeeds = true;

    bool postPaste() override {
        ++pastesPosted;
        return succeeds;
    }
};

} // namespace Platform
