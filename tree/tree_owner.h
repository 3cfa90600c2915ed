// ClTreeOwner: holds one ClTree and destroys it with ClTreeDestroy, like a std::unique_ptr.
#pragma once

#include <memory>

#include "tree/tree.h"

struct ClTreeDestroyer {
    void operator()(ClTree* tree) const { ClTreeDestroy(tree); }
};

using ClTreeOwner = std::unique_ptr<ClTree, ClTreeDestroyer>;
